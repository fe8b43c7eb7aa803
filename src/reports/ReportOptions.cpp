#include "reports/ReportOptions.h"

#include <algorithm>

#include "data/Keys.h"
#include "platform/store/NameCollation.h"
#include "platform/store/Schema.h"

namespace tko {

const ReportTypeInfo& reportTypeInfo(ReportType type) {
    return kReportTypes[static_cast<size_t>(static_cast<int>(type) - 1)];
}

const ReportTypeInfo* reportTypeByNumber(int number) {
    if (number < 1 || number > static_cast<int>(kReportTypes.size())) return nullptr;
    return &kReportTypes[static_cast<size_t>(number - 1)];
}

namespace {

bool isLookForward(ReportType type) {
    return type == ReportType::LookForwardGeneral || type == ReportType::LookForwardPerson ||
           type == ReportType::LookForwardGroup;
}

bool isHistory(ReportType type) {
    return type == ReportType::HistoryGeneral || type == ReportType::HistoryPerson ||
           type == ReportType::HistoryGroup;
}

}  // namespace

ReportOptionUse optionsUsedBy(ReportType type) {
    ReportOptionUse use;
    use.person = type == ReportType::LookForwardPerson || type == ReportType::HistoryPerson;
    use.group = type == ReportType::LookForwardGroup || type == ReportType::HistoryGroup;
    use.project = type == ReportType::ProjectSingle;
    use.startDate = isHistory(type);
    use.endDate = isHistory(type) || isLookForward(type);
    use.includeDueNow = isLookForward(type);
    use.openOnly =
        isHistory(type) || type == ReportType::ProjectSingle || type == ReportType::ProjectAll;
    use.summary = type == ReportType::AssignmentsDue || type == ReportType::ProjectSingle;
    use.listBy = type != ReportType::CurrentReminders;
    use.comments = type != ReportType::CurrentReminders;
    use.secondary = type != ReportType::CurrentReminders;
    return use;
}

bool printEnabled(const ReportParams& params) {
    if (isLookForward(params.type)) return params.endDate != 0;
    if (isHistory(params.type)) return params.startDate != 0 && params.endDate != 0;
    return true;
}

ListBy listByAfterTypeChange(ReportType type, ListBy current) {
    const int preset = reportTypeInfo(type).defaultListBy;
    return preset == 0 ? current : static_cast<ListBy>(preset);
}

namespace {

bool blank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

}  // namespace

std::string checkReportParams(const ReportParams& params) {
    const ReportOptionUse use = optionsUsedBy(params.type);
    // Too long a name is refused rather than cut, so no other name is matched.
    if (use.person && store::utf8Length(params.person) > kReportPersonWidth)
        return "The short name of a person has at most 15 characters.";
    if (use.group && store::utf8Length(params.group) > kReportGroupWidth)
        return "The name of a group list has at most 20 characters.";
    if (use.project && store::utf8Length(params.project) > kReportProjectWidth)
        return "The name of a project has at most 30 characters.";
    if (use.person && blank(params.person)) return "Enter the short name of a person.";
    if (use.group && blank(params.group)) return "Enter the name of a group list.";
    if (use.project && blank(params.project)) return "Enter the name of a project.";
    if (use.startDate && use.endDate && params.startDate != 0 && params.endDate != 0 &&
        params.startDate > params.endDate)
        return "The Start Date lies after the End Date.";
    const int listBy = static_cast<int>(params.listBy);
    if (listBy < 1 || listBy > 6) return "Choose how the report is listed.";
    return {};
}

const char* assignmentKeyFor(ListBy listBy) {
    switch (listBy) {
        case ListBy::DueDate:
            return key::ASS_DUEDATE_KEY;
        case ListBy::Priority:
            return key::ASS_PRIORITY_KEY;
        case ListBy::Person:
            return key::ASS_PERSONDATE_KEY;
        case ListBy::DateAssigned:
            return key::ASS_ASSIGNEDDATE_KEY;
        case ListBy::DateConcluded:
            return key::ASS_CONCLPRIORITY_KEY;
        case ListBy::Alphabetically:
            return key::ASS_NAME_KEY;
    }
    return key::ASS_DUEDATE_KEY;
}

ReportOrder::ReportOrder(ListBy listBy)
    : m_endsOnPerson(listBy == ListBy::DueDate || listBy == ListBy::Priority) {}

bool ReportOrder::add(const Assignment& a, const Emit& emit) {
    if (!m_endsOnPerson) return emit(a);
    // Both keys order by due date and priority first, in one order or the other.
    if (!m_tied.empty() &&
        (m_tied.front().DUEDATE != a.DUEDATE || m_tied.front().PRIORITY != a.PRIORITY) &&
        !flush(emit))
        return false;
    m_tied.push_back(a);
    return true;
}

bool ReportOrder::finish(const Emit& emit) {
    return flush(emit);
}

bool ReportOrder::flush(const Emit& emit) {
    std::stable_sort(m_tied.begin(), m_tied.end(), [](const Assignment& x, const Assignment& y) {
        return store::compareNames(store::rtrim(x.PERSON), store::rtrim(y.PERSON)) < 0;
    });
    std::vector<Assignment> tied;
    tied.swap(m_tied);
    for (const Assignment& a : tied)
        if (!emit(a)) return false;
    return true;
}

}  // namespace tko
