#include "views/ui/ListScreens.h"

#include "assign/lists/ui/DueNowWindow.h"
#include "assign/lists/ui/UnseenWindow.h"
#include "assign/ui/AssignmentScreens.h"
#include "platform/ui/MessageBox.h"
#include "translator/Lingua.h"
#include "views/ui/ReminderWindow.h"

namespace tko {

namespace {

DueReport& dueReport() {
    static DueReport report;
    return report;
}

}  // namespace

void setDueAssignmentsReport(DueReport report) {
    dueReport() = std::move(report);
}

ListActions programListActions() {
    ListActions actions;
    actions.openForm = &runAssignmentForm;
    actions.conclude = [](Database& db, const Session& session, const Assignment& seen,
                          Date today) {
        return ConcludeAssignment(db, session, seen.ASSIGNNUMBER, today, &seen);
    };
    actions.printDue = [](QWidget* parent, Workspace& workspace, const QString& order) {
        if (dueReport())
            dueReport()(parent, workspace, order);
        else
            MessageBox::showStandard(parent, 6, QLatin1String(kDueReportProcedure));
    };
    actions.printReminders = [](QWidget* parent, Workspace& workspace) {
        if (!procedures().run(QLatin1String(kRemindersReportProcedure), parent, workspace))
            MessageBox::showStandard(parent, 6, QLatin1String(kRemindersReportProcedure));
    };
    return actions;
}

QWidget* openListWindow(const QString& procedure, QWidget* parent, Workspace& workspace,
                        const ListActions& actions) {
    QWidget* window = nullptr;
    if (procedure == QLatin1String(kDueNowProcedure))
        window = new DueNowWindow(workspace, actions, parent);
    else if (procedure == QLatin1String(kUnseenProcedure))
        window = new UnseenWindow(workspace, actions, parent);
    else if (procedure == QLatin1String(kRemindersProcedure))
        window = new ReminderWindow(workspace, actions, parent);
    if (!window) return nullptr;
    Translate(window);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void registerListScreens(Procedures& procedures) {
    for (const char* name : {kDueNowProcedure, kUnseenProcedure, kRemindersProcedure}) {
        const QString procedure = QLatin1String(name);
        procedures.add(procedure, [procedure](QWidget* parent, Workspace& workspace) {
            openListWindow(procedure, parent, workspace, programListActions());
        });
    }
}

}  // namespace tko
