#include "reports/ui/ReportScreens.h"

#include <QCheckBox>

#include "assign/lists/ui/AssignmentListScreens.h"
#include "assign/lists/ui/DueNowWindow.h"
#include "assign/lists/ui/ListActions.h"
#include "people/ui/GroupScreens.h"
#include "people/ui/PeopleBrowser.h"
#include "platform/Date.h"
#include "platform/ui/WindowTranslation.h"
#include "projects/ui/ProjectScreens.h"
#include "translator/Lingua.h"

namespace tko {

namespace {

// The "..." look-ups of the selection window: a group list's and a
// project's name, from their subsystems' browsers in select mode.
std::optional<QString> lookUpGroupList(QWidget* parent, Workspace& workspace) {
    const std::optional<GroupName> group = selectGroupList(parent, workspace);
    return group ? std::optional<QString>(QString::fromStdString(group->GROUPNAME)) : std::nullopt;
}

std::optional<QString> lookUpProject(QWidget* parent, Workspace& workspace) {
    const std::optional<Project> project = selectProject(parent, workspace);
    return project ? std::optional<QString>(QString::fromStdString(project->NAME)) : std::nullopt;
}

// Reports started from a window's Print go to the printer.
ReportRunOutcome toPrinter(QWidget* parent, ReportProducer producer) {
    ReportJob job;
    job.produce = std::move(producer);
    return runReportJob(parent, job);
}

}  // namespace

std::optional<QString> lookUpViewablePerson(QWidget* parent, Workspace& workspace) {
    PeopleBrowser browser(workspace, PeopleList::Viewable, true, parent);
    if (execTranslated(&browser) != QDialog::Accepted || !browser.chosen()) return std::nullopt;
    return QString::fromStdString(browser.chosen()->SHORTNAME);
}

ReportRunOutcome runSelectedReport(QWidget* parent, Workspace& workspace,
                                   const ReportParams& params) {
    ReportJob job;
    job.printToFile = params.printToFile;
    job.preview = params.preview;
    job.produce = [&workspace, params](PageSink& sink, const ReportProgress& progress) {
        ReportEngine engine(*workspace.db, workspace.session, Clock::today());
        return engine.run(params, sink, progress);
    };
    return runReportJob(parent, job);
}

ReportRunOutcome printDueAssignments(QWidget* parent, Workspace& workspace,
                                     const QString& orderName, bool includeSecondary) {
    ReportParams params;
    params.type = ReportType::AssignmentsDue;
    params.listBy = listByFromName(orderName).value_or(ListBy::DueDate);
    params.includeSecondary = includeSecondary;
    params.summary = true;
    return toPrinter(parent, [&workspace, params](PageSink& sink, const ReportProgress& progress) {
        ReportEngine engine(*workspace.db, workspace.session, Clock::today());
        return engine.run(params, sink, progress);
    });
}

ReportRunOutcome printCurrentReminders(QWidget* parent, Workspace& workspace) {
    ReportParams params;
    params.type = ReportType::CurrentReminders;
    return toPrinter(parent, [&workspace, params](PageSink& sink, const ReportProgress& progress) {
        ReportEngine engine(*workspace.db, workspace.session, Clock::today());
        return engine.run(params, sink, progress);
    });
}

ReportRunOutcome printAddressBook(QWidget* parent, Workspace& workspace, bool byLastName) {
    return toPrinter(parent,
                     [&workspace, byLastName](PageSink& sink, const ReportProgress& progress) {
                         ReportEngine engine(*workspace.db, workspace.session, Clock::today());
                         return engine.runAddressBook(byLastName, sink, progress);
                     });
}

ReportRunOutcome printAssignment(QWidget* parent, Workspace& workspace, const Assignment& shown,
                                 bool confidential) {
    return toPrinter(
        parent, [&workspace, shown, confidential](PageSink& sink, const ReportProgress& progress) {
            ReportEngine engine(*workspace.db, workspace.session, Clock::today());
            return engine.runAssignment(shown, confidential, sink, progress);
        });
}

ReportRunOutcome printPerson(QWidget* parent, Workspace& workspace, const Person& shown,
                             bool comments, bool confidential) {
    PersonSheetOptions options;
    options.comments = comments;
    options.confidential = confidential;
    return toPrinter(parent,
                     [&workspace, shown, options](PageSink& sink, const ReportProgress& progress) {
                         ReportEngine engine(*workspace.db, workspace.session, Clock::today());
                         return engine.runPersonSheet(shown, options, sink, progress);
                     });
}

ReportRunOutcome printGroupList(QWidget* parent, Workspace& workspace, std::int32_t groupNumber) {
    return toPrinter(parent,
                     [&workspace, groupNumber](PageSink& sink, const ReportProgress& progress) {
                         ReportEngine engine(*workspace.db, workspace.session, Clock::today());
                         return engine.runGroupList(groupNumber, sink, progress);
                     });
}

void registerReportScreens(Procedures& procedures) {
    procedures.add(QLatin1String(kReportSelectionProcedure),
                   [](QWidget* parent, Workspace& workspace) {
                       ReportLookups lookups;
                       lookups.person = &lookUpViewablePerson;
                       lookups.group = &lookUpGroupList;
                       lookups.project = &lookUpProject;
                       ReportSelectionDialog dialog(workspace, lookups, &runSelectedReport, parent);
                       execTranslated(&dialog);
                   });
    procedures.add(
        QLatin1String(kRemindersReportProcedure),
        [](QWidget* parent, Workspace& workspace) { printCurrentReminders(parent, workspace); });
    procedures.add(QLatin1String(kDueReportProcedure), [](QWidget* parent, Workspace& workspace) {
        printDueAssignments(parent, workspace, QStringLiteral("Due Date"), false);
    });
    procedures.add(
        QLatin1String(kAddressBookByShortNameProcedure),
        [](QWidget* parent, Workspace& workspace) { printAddressBook(parent, workspace, false); });
    procedures.add(
        QLatin1String(kAddressBookByLastNameProcedure),
        [](QWidget* parent, Workspace& workspace) { printAddressBook(parent, workspace, true); });
    // The due-now list prints in its current order, with or without the
    // secondary assignments it shows.
}

void bindReportServices(Services& services) {
    services.printAssignment = [](QWidget* parent, Workspace& workspace, const Assignment& shown,
                                  bool confidential) {
        printAssignment(parent, workspace, shown, confidential);
    };
    services.printPerson = [](QWidget* parent, Workspace& workspace, const Person& shown,
                              bool comments, bool confidential) {
        printPerson(parent, workspace, shown, comments, confidential);
    };
    services.printDueAssignments = [](QWidget* parent, Workspace& workspace, const QString& order) {
        bool secondary = false;
        if (auto* window = qobject_cast<DueNowWindow*>(parent))
            secondary = window->includeSecondaryCheck()->isChecked();
        printDueAssignments(parent, workspace, order, secondary);
    };
}

}  // namespace tko
