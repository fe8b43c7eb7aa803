#include "assign/lists/ui/AssignmentListScreens.h"

#include "assign/lists/ui/DueNowWindow.h"
#include "assign/lists/ui/UnseenWindow.h"
#include "assign/ui/AssignmentScreens.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"

namespace tko {

ListActions programListActions() {
    ListActions actions;
    actions.openForm = &runAssignmentForm;
    actions.conclude = &concludeSeenRow;
    actions.printDue = [](QWidget* parent, Workspace& workspace, const QString& order) {
        if (workspace.services.printDueAssignments)
            workspace.services.printDueAssignments(parent, workspace, order);
        else
            MessageBox::showStandard(parent, 6, QLatin1String(kDueReportProcedure));
    };
    actions.printReminders = [](QWidget* parent, Workspace& workspace) {
        if (!procedures().run(QLatin1String(kRemindersReportProcedure), parent, workspace))
            MessageBox::showStandard(parent, 6, QLatin1String(kRemindersReportProcedure));
    };
    return actions;
}

void registerAssignmentListScreens(Procedures& procedures) {
    procedures.add(QLatin1String(kDueNowProcedure), [](QWidget* parent, Workspace& workspace) {
        showTranslated(new DueNowWindow(workspace, programListActions(), parent));
    });
    procedures.add(QLatin1String(kUnseenProcedure), [](QWidget* parent, Workspace& workspace) {
        showTranslated(new UnseenWindow(workspace, programListActions(), parent));
    });
}

}  // namespace tko
