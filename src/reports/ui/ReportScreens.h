// The reports as the rest of the program starts them: "Report Selection"
// from the main menu, and the Print buttons of the windows (the due-now list,
// Current Reminders, the assignment form, the person form, the address book,
// a group list). Registered under their procedure names at start-up.
#pragma once

#include <QString>

#include <cstdint>

#include "data/Workspace.h"
#include "platform/ui/Procedures.h"
#include "reports/ui/ReportOutput.h"
#include "reports/ui/ReportSelectionDialog.h"

class QWidget;

namespace tko {

inline constexpr const char* kReportSelectionProcedure = "ReportSelection";
inline constexpr const char* kAddressBookByShortNameProcedure = "ReportAddressBookByShortName";
inline constexpr const char* kAddressBookByLastNameProcedure = "ReportAddressBookByLastName";

// The person look-up: "Browse People Who Can Be Viewed" in select mode.
std::optional<QString> lookUpViewablePerson(QWidget* parent, Workspace& workspace);

// Runs the report of `params` with its output options.
ReportRunOutcome runSelectedReport(QWidget* parent, Workspace& workspace,
                                   const ReportParams& params);
// "Assignments Due" in the order a due-now list shows ("Due Date",
// "Priority", "Person", "Alphabetically"), to the printer.
ReportRunOutcome printDueAssignments(QWidget* parent, Workspace& workspace,
                                     const QString& orderName, bool includeSecondary);
ReportRunOutcome printCurrentReminders(QWidget* parent, Workspace& workspace);
ReportRunOutcome printAddressBook(QWidget* parent, Workspace& workspace, bool byLastName);
// The assignment form's Print: the assignment as the form shows it.
ReportRunOutcome printAssignment(QWidget* parent, Workspace& workspace, const Assignment& shown,
                                 bool confidential);
// The person form's Print, after its questions.
ReportRunOutcome printPerson(QWidget* parent, Workspace& workspace, const Person& shown,
                             bool comments, bool confidential);
// The group list form's Print ("Print this group list").
ReportRunOutcome printGroupList(QWidget* parent, Workspace& workspace, std::int32_t groupNumber);

// Registers "ReportSelection", "ReportCurrentReminders", "ReportDueAssignments"
// and the address books.
void registerReportScreens(Procedures& procedures);
// Binds the print-outs of the forms and of the due-now list's Print (in its
// order, with or without the secondary assignments it shows).
void bindReportServices(Services& services);

}  // namespace tko
