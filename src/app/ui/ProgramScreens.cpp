#include "app/ui/ProgramScreens.h"

#include "app/ui/LanguageProcedure.h"

#include "assign/Conclude.h"
#include "assign/lists/ui/AssignmentListScreens.h"
#include "assign/ui/AssignmentScreens.h"
#include "assign/ui/DeletionScreens.h"
#include "people/ui/GroupScreens.h"
#include "people/ui/PeopleScreens.h"
#include "platform/ui/Procedures.h"
#include "projects/ui/ProjectScreens.h"
#include "reports/ui/CalendarPrint.h"
#include "reports/ui/DbaseExportWindow.h"
#include "reports/ui/ReportScreens.h"
#include "sync/ui/ImportWindow.h"
#include "users/ui/UserScreens.h"
#include "views/ui/CalendarWindow.h"
#include "views/ui/ListScreens.h"
#include "views/ui/ViewScreens.h"

namespace tko {

// Every subsystem's screens, by procedure name (see Procedures.h).
void registerProgramScreens() {
    registerPeopleScreens(procedures());
    registerAssignmentScreens(procedures());
    registerAssignmentListScreens(procedures());
    registerListScreens(procedures());
    registerDeletionScreens(procedures());
    registerProjectScreens(procedures());
    registerExportScreens(procedures());
    registerImportScreens(procedures());
    registerUserScreens(procedures());
    registerReportScreens(procedures());
    registerGroupScreens(procedures());
    registerScheduleScreens(procedures());
    registerCalendarScreen(
        procedures(), [](QWidget* parent, Workspace& workspace, const CalendarSettings& settings,
                         Date from, Date to, const QString& title, bool preview) {
            printCalendarPeriod(parent, workspace, settings, from, to, title, preview);
        });
    registerLanguageProcedure(procedures());
    defaultServices() = programServices();
    // "Print" of Update Group List names its group through groupListToPrint().
    procedures().add(QStringLiteral("PrintGroupList"), [](QWidget* parent, Workspace& workspace) {
        if (const std::optional<GroupName>& group = groupListToPrint())
            printGroupList(parent, workspace, group->GROUPNUMBER);
    });
}

Services programServices() {
    Services services;
    services.openAssignmentForm = &runAssignmentForm;
    services.concludeAssignment = &concludeSeenRow;
    services.pickAssignment = &selectFromLookForward;
    bindUserServices(services);
    bindReportServices(services);
    return services;
}

}  // namespace tko
