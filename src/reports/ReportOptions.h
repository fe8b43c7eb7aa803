// What "Report Selection" offers: the ten report types with their titles, tool
// tips and default "List by", the options a report is run with, and the rules
// of the window (which options a type uses, when "Print" is enabled, what a
// change of type does to "List by"), so that a test can drive every rule
// without a window. Texts here are source texts; callers translate them.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "data/Records.h"
#include "platform/Date.h"

namespace tko {

enum class ReportType : int {
    AssignmentsDue = 1,
    CurrentReminders = 2,
    LookForwardGeneral = 3,
    LookForwardPerson = 4,
    LookForwardGroup = 5,
    HistoryGeneral = 6,
    HistoryPerson = 7,
    HistoryGroup = 8,
    ProjectSingle = 9,
    ProjectAll = 10,
};

enum class ListBy : int {
    DueDate = 1,
    Priority = 2,
    Person = 3,
    DateAssigned = 4,
    DateConcluded = 5,
    Alphabetically = 6,
};

struct ReportTypeInfo {
    ReportType type;
    const char* title;       // "Look Forward (General)"
    const char* tip;         // the tool tip: what the report prints
    int defaultListBy;       // 0: choosing the type keeps the current "List by"
    const char* objectName;  // the object name of the type's radio button
};

inline constexpr std::array<ReportTypeInfo, 10> kReportTypes{{
    {ReportType::AssignmentsDue, "Assignments Due", "Print assignments due now", 1, "dueType"},
    {ReportType::CurrentReminders, "Current Reminders",
     "Print active reminders for today or earlier", 0, "remindersType"},
    {ReportType::LookForwardGeneral, "Look Forward (General)",
     "Print unconcluded assignments due before a specified date", 1, "lookForwardGeneralType"},
    {ReportType::LookForwardPerson, "Look Forward (Person)",
     "Print unconcluded assignments of one person due by specified date", 1,
     "lookForwardPersonType"},
    {ReportType::LookForwardGroup, "Look Forward (Group)",
     "Print assignments of specified group due before a specified date", 1, "lookForwardGroupType"},
    {ReportType::HistoryGeneral, "History (General)", "Print assignments made in specific period",
     4, "historyGeneralType"},
    {ReportType::HistoryPerson, "History (Person)",
     "Print all assignments given to one person during specified period", 4, "historyPersonType"},
    {ReportType::HistoryGroup, "History (Group)",
     "Assignments given to specified group in a specified period", 4, "historyGroupType"},
    {ReportType::ProjectSingle, "Project (Single)", "Assignments of a specified project", 1,
     "projectSingleType"},
    {ReportType::ProjectAll, "Project (All)", "Print all projects with their assignments", 1,
     "projectAllType"},
}};

// The six "List by" choices, in the order of their numbers.
inline constexpr std::array<const char*, 6> kListByCaptions{
    {"Due Date", "Priority", "Person", "Date Assigned", "Date Concluded", "Alphabetically"}};

// Tool tips of the selection window's options (texts as the window shows them).
namespace reporttips {
inline constexpr const char* kSecondary = "Include secondary assignments in report";
inline constexpr const char* kPerson = "Short name of person";
inline constexpr const char* kPersonLookup = "Look up person";
inline constexpr const char* kGroup = "Name of group";
inline constexpr const char* kGroupLookup = "Look up group";
inline constexpr const char* kProject = "Name of project";
inline constexpr const char* kProjectLookup = "Look up project";
inline constexpr const char* kPrintToFile = "Print to an ASCII text file";
inline constexpr const char* kPreview = "Preview report before printing";
inline constexpr const char* kDueNow = "Include assignments that are already due";
inline constexpr const char* kOpenOnly = "Do not inlcude any assignments that are concluded";
inline constexpr const char* kSummary = "Mimimum assignement information printed";
}  // namespace reporttips

// Field widths of the look-up entries (characters).
inline constexpr int kReportPersonWidth = Person::Width::SHORTNAME;
inline constexpr int kReportGroupWidth = GroupName::Width::GROUPNAME;
inline constexpr int kReportProjectWidth = Project::Width::NAME;

// Everything a report is run with.
struct ReportParams {
    ReportType type = ReportType::AssignmentsDue;
    ListBy listBy = ListBy::DueDate;
    bool includeSecondary = false;
    std::string person;   // PEO:SHORTNAME
    std::string group;    // GRO:GROUPNAME
    std::string project;  // PRO:NAME
    bool summary = false;
    bool generalComments = false;
    bool assigneeComments = false;
    bool confidentialComments = false;
    bool printToFile = false;
    bool preview = false;
    Date startDate = 0;
    Date endDate = 0;
    bool includeDueNow = false;
    bool openOnly = false;
};

const ReportTypeInfo& reportTypeInfo(ReportType type);
// The type numbered 1..10; nullptr for any other number.
const ReportTypeInfo* reportTypeByNumber(int number);

// Which options a type reads: the window enables just these.
struct ReportOptionUse {
    bool person = false;
    bool group = false;
    bool project = false;
    bool startDate = false;
    bool endDate = false;
    bool includeDueNow = false;
    bool openOnly = false;
    bool summary = false;
    bool listBy = false;
    bool comments = false;  // the "Include" check boxes
    bool secondary = false;
};
ReportOptionUse optionsUsedBy(ReportType type);

// "Print" is enabled except for the look-forward types while the End Date is
// empty and for the history types unless both dates are filled in.
bool printEnabled(const ReportParams& params);

// "List by" after the user picks `type`: the type's default, or `current`
// for a type without one (Current Reminders).
ListBy listByAfterTypeChange(ReportType type, ListBy current);

// What is wrong with `params` before a report can run, as a source text
// ("" when nothing is): a missing person, group or project for the types
// that need one, a period that ends before it starts. Pressing "Print" shows
// it rather than printing an empty report.
std::string checkReportParams(const ReportParams& params);

// The ASSIGNMENT key that lists in the "List by" order.
const char* assignmentKeyFor(ListBy listBy);

// The full "List by" order of assignment reports. "Due Date" lists by due
// date, priority and person, "Priority" by priority, due date and person; the
// keys they are read along end before the person. The rows a key yields come
// in the key's order, so only rows that tie on its fields (the same due date
// and priority) still need sorting: they are held back while they tie and
// then handed on by person (names ordered as the keys order them, the read
// order kept among equal names). The other orders pass rows straight on.
// One report run at a time per object; `Emit` returns false to stop.
class ReportOrder {
public:
    using Emit = std::function<bool(const Assignment&)>;
    explicit ReportOrder(ListBy listBy);
    // The next row read, in key order; false when `emit` stopped.
    bool add(const Assignment& a, const Emit& emit);
    // After the last row: hands on those still held.
    bool finish(const Emit& emit);

private:
    bool flush(const Emit& emit);
    bool m_endsOnPerson = false;
    std::vector<Assignment> m_tied;
};

}  // namespace tko
