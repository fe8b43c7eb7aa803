#include "views/ui/ListScreens.h"

#include "assign/lists/ui/AssignmentListScreens.h"
#include "platform/ui/WindowTranslation.h"
#include "views/ui/ReminderWindow.h"

namespace tko {

void registerListScreens(Procedures& procedures) {
    procedures.add(QLatin1String(kRemindersProcedure), [](QWidget* parent, Workspace& workspace) {
        showTranslated(new ReminderWindow(workspace, programListActions(), parent));
    });
}

}  // namespace tko
