#include "views/ui/ViewScreens.h"

#include "assign/lists/ui/AssignmentListScreens.h"
#include "assign/lists/ui/ListActions.h"
#include "projects/ui/ProjectScreens.h"
#include "translator/Lingua.h"
#include "views/ui/FindWindow.h"

namespace tko {

std::optional<Assignment> selectFromLookForward(QWidget* parent, Workspace& workspace) {
    ScheduleWindow window(workspace, ScheduleKind::LookForward, ScheduleScreen::General,
                          programListActions(), &showProjectsForAssignment, true, parent);
    Translate(&window);
    if (window.exec() != QDialog::Accepted) return std::nullopt;
    return window.chosen();
}

ScheduleWindow* openScheduleWindow(QWidget* parent, Workspace& workspace, ScheduleKind kind,
                                   ScheduleScreen screen) {
    auto* window = new ScheduleWindow(workspace, kind, screen, programListActions(),
                                      &showProjectsForAssignment, false, parent);
    Translate(window);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void registerScheduleScreens(Procedures& procedures) {
    struct Entry {
        const char* name;
        ScheduleKind kind;
        ScheduleScreen screen;
    };
    static const Entry entries[] = {
        {"LookForwardGeneral", ScheduleKind::LookForward, ScheduleScreen::General},
        {"LookForwardPerson", ScheduleKind::LookForward, ScheduleScreen::Person},
        {"LookForwardGroup", ScheduleKind::LookForward, ScheduleScreen::Group},
        {"HistoryGeneral", ScheduleKind::History, ScheduleScreen::General},
        {"HistoryPerson", ScheduleKind::History, ScheduleScreen::Person},
        {"HistoryGroup", ScheduleKind::History, ScheduleScreen::Group},
    };
    for (const Entry& e : entries)
        procedures.add(QLatin1String(e.name), [e](QWidget* parent, Workspace& workspace) {
            openScheduleWindow(parent, workspace, e.kind, e.screen);
        });
    procedures.add(QStringLiteral("FindInOffice"), &openFindWindow);
}

}  // namespace tko
