#include "reports/ReportEngine.h"

#include "access/Access.h"
#include "assign/AssignmentRules.h"
#include "assign/Repetition.h"
#include "data/Keys.h"
#include "data/Messages.h"
#include "people/PeopleRules.h"
#include "platform/Picture.h"
#include "platform/QtText.h"
#include "projects/ProjectRules.h"

#include <unordered_map>

namespace tko {

using namespace store;

namespace {

constexpr int kReadChunk = 256;

QString tr(const char* source) {
    return QString::fromStdString(translateText(source));
}

QString shortDate(Date date) {
    return formatDate(date, u"@D17b");
}

QString longDate(Date date) {
    return formatDate(date, u"@D18b");
}

QString number(std::int64_t value, QStringView picture) {
    return formatNumber(static_cast<double>(value), picture);
}

// Columns of the tabular layouts (character columns of the page grid).
const std::vector<ReportColumn> kListColumns{{0, 40}, {41, 15}, {57, 8, true}, {66, 12}, {79, 15}};
const char* const kListCaptions[] = {"Assignment", "Person", "Priority", "Due Date", "Assigned by"};

const std::vector<ReportColumn> kHistoryColumns{{0, 31},  {32, 15}, {48, 8, true},
                                                {57, 13}, {71, 12}, {84, 14}};
const char* const kHistoryCaptions[] = {"Assignment",    "Person",   "Priority",
                                        "Date Assigned", "Due Date", "Date Concluded"};

const std::vector<ReportColumn> kReminderColumns{{0, 13}, {14, 40}, {55, 28}, {84, 15}};
const char* const kReminderCaptions[] = {"Reminder Date", "Reminder Note", "Assignment", "Person"};

const std::vector<ReportColumn> kPeopleColumns{{0, 15}, {16, 25}, {42, 20}, {63, 36}};
const char* const kPeopleCaptions[] = {"Short Name", "Last Name", "First Name", "Organization:"};

template <size_t N>
std::vector<PageLine> captionRow(const std::vector<ReportColumn>& columns,
                                 const char* const (&captions)[N]) {
    QStringList texts;
    for (const char* caption : captions) texts << tr(caption);
    return tableRow(columns, texts, true);
}

void append(std::vector<PageLine>& to, const std::vector<PageLine>& lines) {
    to.insert(to.end(), lines.begin(), lines.end());
}

// A memo under its caption, indented by four.
void appendMemo(std::vector<PageLine>& to, const char* caption, const std::string& memo) {
    const QString text = qsClipped(memo);
    if (text.trimmed().isEmpty()) return;
    to.push_back(PageLine::text(4, tr(caption), true));
    for (const QString& part : wrapText(text, kPageColumns - 8))
        to.push_back(part.isEmpty() ? PageLine::blank() : PageLine::text(8, part));
}

bool isHistory(ReportType type) {
    return type == ReportType::HistoryGeneral || type == ReportType::HistoryPerson ||
           type == ReportType::HistoryGroup;
}

}  // namespace

std::optional<ListBy> listByFromName(const QString& name) {
    for (size_t i = 0; i < kListByCaptions.size(); ++i)
        if (name == QLatin1String(kListByCaptions[i])) return static_cast<ListBy>(i + 1);
    return std::nullopt;
}

// One run of a report: the sink, the progress and the outcome.
class ReportEngine::Run {
public:
    Run(PageSink& sink, const ReportProgress& progress) : m_sink(sink), m_progress(progress) {}

    bool begin() {
        if (!m_sink.begin()) {
            m_failure = m_sink.errorText();
            return false;
        }
        m_begun = true;
        return report(0);
    }

    // One record printed of `total`; false when the user cancelled.
    bool tick(std::int64_t done, std::int64_t total) {
        countRecord();
        return step(done, total);
    }
    // A record printed whose progress is counted otherwise (the assignments
    // under the projects of a project report: the bar follows the projects).
    void countRecord() { ++m_records; }
    // Progress `done` of `total` without a record printed; false when the
    // user cancelled.
    bool step(std::int64_t done, std::int64_t total) {
        const int percent =
            total <= 0 ? 100 : static_cast<int>(std::min<std::int64_t>(100, done * 100 / total));
        if (percent == m_percent && (m_records & 63) != 0) return true;
        return report(percent);
    }

    bool report(int percent) {
        m_percent = percent;
        if (m_progress && !m_progress(percent)) m_cancelled = true;
        return !m_cancelled;
    }

    // After a composer or storage call returned false.
    bool cancelled() const { return m_cancelled; }
    void storageFailed(const Database& db, const char* table) {
        m_failure = QString::fromStdString(
            standardMessage(35, db.lastError().describe(), table, {}, kReadErrorStays).text);
    }
    void outputFailed(const QString& text) { m_failure = text; }

    ReportResult refused(const QString& message) {
        if (m_begun) m_sink.abort();
        return {ReportResult::Outcome::Refused, message, 0, 0};
    }

    ReportResult end(PageComposer* composer, const QString& emptyText) {
        ReportResult result;
        result.records = m_records;
        if (!m_cancelled && m_failure.isEmpty() && composer && !composer->finish(emptyText))
            m_failure = m_sink.errorText();
        if (!m_cancelled && m_failure.isEmpty()) report(100);
        if (!m_cancelled && m_failure.isEmpty() && !m_sink.finish()) m_failure = m_sink.errorText();
        if (m_cancelled || !m_failure.isEmpty()) {
            if (m_begun) m_sink.abort();
            result.outcome =
                m_cancelled ? ReportResult::Outcome::Cancelled : ReportResult::Outcome::Failed;
            result.message = m_failure;
            return result;
        }
        result.pages = composer ? composer->pagesSent() : 0;
        return result;
    }

private:
    PageSink& m_sink;
    const ReportProgress& m_progress;
    bool m_begun = false;
    bool m_cancelled = false;
    int m_percent = -1;
    std::int64_t m_records = 0;
    QString m_failure;
};

ReportEngine::ReportEngine(Database& db, const Session& session, Date today)
    : m_db(db), m_session(session) {
    m_scopeStatus = loadReportScope(db, session, today, m_scope);
}

namespace {

PageHeading headingFor(const QString& title, const QString& subtitle, Date today) {
    PageHeading heading;
    heading.title = title;
    heading.subtitle = subtitle;
    heading.printedOn = tr("Printed On") + QLatin1Char(' ') + longDate(today);
    heading.pageCaption = tr("Page:");
    return heading;
}

// Reads `R` along `keyLabel` from `from` with `filter`, calling `each` per
// record until it returns false or the records end. kRecordNotAvailable is
// the normal end and gives success.
template <class R, class Each>
Status readAlong(Database& db, const char* keyLabel, const KeyPosition& from, const Filter& filter,
                 bool memos, Each&& each) {
    ReadRequest request;
    request.key = R::def().key(keyLabel);
    request.from = from;
    request.filter = filter;
    request.limit = kReadChunk;
    request.withMemos = memos;
    for (;;) {
        std::vector<R> page;
        const Status s = db.read(request, page);
        if (s.endOfRange()) return Status::success();
        if (!s.ok()) return s;
        for (const R& record : page)
            if (!each(record)) return Status::success();
        if (static_cast<int>(page.size()) < request.limit) return Status::success();
        const Row last = page.back().toRow();
        request.from = KeyPosition::continuing(keyValuesOf(*request.key, last), last.pos);
    }
}

// The comments of an assignment the user may open, those he asked for.
void appendComments(std::vector<PageLine>& lines, const Assignment& a, const ReportParams& params,
                    const ReportScope& scope) {
    if (params.generalComments) appendMemo(lines, "General Comments:", a.GENERALMEMO);
    if (params.assigneeComments) appendMemo(lines, "Assignee Comments:", a.ASSIGNMEMO);
    if (params.confidentialComments && mayPrintConfidential(a, scope))
        appendMemo(lines, "Confidential Comments", a.CONFMEMO);
}

// The lines one assignment takes in the full layout; the comments only when
// `mayOpen` (the user may open the assignment where the report lists it).
std::vector<PageLine> fullAssignment(Database& db, const Assignment& a, const ReportParams& params,
                                     const ReportScope& scope, bool mayOpen) {
    std::vector<PageLine> lines;
    append(lines, captionedText(0, tr("Assignment"), qsClipped(a.NAME), 16));
    PageLine who = PageLine::text(0, tr("Person"), true);
    who.add(16, qsClipped(a.PERSON));
    who.add(34, tr("Priority:"), true).add(45, number(a.PRIORITY, u"@n1"));
    who.add(50, tr("Due Date:"), true).add(61, longDate(a.DUEDATE));
    lines.push_back(who);
    PageLine given = PageLine::text(0, tr("Date Assigned"), true);
    given.add(16, shortDate(a.ASSIGNEDDATE));
    given.add(34, tr("Assigned by"), true).add(50, qsClipped(a.USERNAME));
    lines.push_back(given);
    if (a.CLOSEDATE != 0) {
        PageLine closed = PageLine::text(0, tr("Date Concluded"), true);
        closed.add(16, longDate(a.CLOSEDATE));
        lines.push_back(closed);
    }
    const RepeatLine repeatLine = RepeatDescription(a);
    if (repeatLine.kind == RepeatLine::Text)
        for (const QString& part : wrapText(QString::fromStdString(repeatLine.text), 84))
            lines.push_back(PageLine::text(16, part));
    // Only the projects the user may see are named.
    std::vector<ProjAssign> links;
    if (visibleProjectLinks(db, scope.viewer, a.ASSIGNNUMBER, links).ok() && !links.empty()) {
        QStringList names;
        for (const ProjAssign& link : links) names << qsClipped(link.NAME);
        append(lines, captionedText(0, tr("Projects:"), names.join(QStringLiteral(", ")), 16));
    }
    if (mayOpen) appendComments(lines, a, params, scope);
    lines.push_back(PageLine::blank());
    return lines;
}

// The dates and priorities of one report's list, each formatted once: a list
// repeats a few hundred dates and nine priorities over its rows. Holds at most
// kKept texts of each, so that a long report keeps its memory flat.
class ListTexts {
public:
    QString date(Date date) {
        return lookUp(m_dates, date, [date] { return shortDate(date); });
    }
    QString priority(std::int64_t priority) {
        return lookUp(m_priorities, priority, [priority] { return number(priority, u"@n1"); });
    }

private:
    static constexpr std::size_t kKept = 4096;

    template <class Key, class Format>
    static QString lookUp(std::unordered_map<Key, QString>& texts, Key key, Format format) {
        const auto found = texts.find(key);
        if (found != texts.end()) return found->second;
        if (texts.size() >= kKept) texts.clear();
        return texts.emplace(key, format()).first->second;
    }

    std::unordered_map<Date, QString> m_dates;
    std::unordered_map<std::int64_t, QString> m_priorities;
};

// The lines of one assignment in a list: its row, and under it the comments
// the user asked for.
std::vector<PageLine> listedAssignment(const Assignment& a, const ReportParams& params,
                                       const ReportScope& scope, bool history, bool comments,
                                       ListTexts& texts) {
    std::vector<PageLine> lines;
    if (history)
        lines = tableRow(kHistoryColumns, {qsClipped(a.NAME), qsClipped(a.PERSON),
                                           texts.priority(a.PRIORITY), texts.date(a.ASSIGNEDDATE),
                                           texts.date(a.DUEDATE), texts.date(a.CLOSEDATE)});
    else
        lines = tableRow(kListColumns,
                         {qsClipped(a.NAME), qsClipped(a.PERSON), texts.priority(a.PRIORITY),
                          texts.date(a.DUEDATE), qsClipped(a.USERNAME)});
    if (comments) appendComments(lines, a, params, scope);
    return lines;
}

}  // namespace

ReportResult ReportEngine::run(const ReportParams& params, PageSink& sink,
                               const ReportProgress& progress) {
    Run run(sink, progress);
    const std::string wrong = checkReportParams(params);
    if (!wrong.empty()) return run.refused(tr(wrong.c_str()));
    if (!m_scopeStatus.ok()) {
        run.storageFailed(m_db, "SYSTEMPREF");
        return run.end(nullptr, {});
    }
    const Date today = m_scope.today;
    const QString title = tr(reportTypeInfo(params.type).title);

    // Reminders: the user's own, dated today or earlier.
    if (params.type == ReportType::CurrentReminders) {
        PageHeading heading = headingFor(
            tr("Current Reminders For") + QLatin1Char(' ') + QString::fromStdString(m_scope.user),
            {}, today);
        heading.columns = captionRow(kReminderColumns, kReminderCaptions);
        const Filter filter = allOf({le("DATE", today), access::fieldIsUser("USER", m_scope.user)});
        std::int64_t total = 0;
        if (!m_db.count<Reminder>(filter, total).ok()) {
            run.storageFailed(m_db, "REMINDER");
            return run.end(nullptr, {});
        }
        if (!run.begin()) return run.end(nullptr, {});
        PageComposer composer(sink, heading);
        std::int64_t done = 0;
        bool ok = true;
        const Status s = readAlong<Reminder>(
            m_db, key::REM_DATE_KEY, KeyPosition::start(), filter, false, [&](const Reminder& r) {
                Assignment a;
                const bool found =
                    m_db.fetch(key::ASS_NUMBER_KEY, {std::int64_t{r.ASSIGNNUMBER}}, a).ok();
                ok = composer.addBlock(tableRow(
                    kReminderColumns,
                    {shortDate(r.DATE), qsClipped(r.NOTE), found ? qsClipped(a.NAME) : QString(),
                     found ? qsClipped(a.PERSON) : qsClipped(r.PERSON)}));
                return ok && run.tick(++done, total);
            });
        if (!s.ok()) run.storageFailed(m_db, "REMINDER");
        if (!ok) run.outputFailed(composer.errorText());
        return run.end(&composer, tr("There is nothing to print."));
    }

    // Project reports: each project the user may see, its assignments under it.
    if (params.type == ReportType::ProjectSingle || params.type == ReportType::ProjectAll) {
        std::vector<Project> projects;
        if (params.type == ReportType::ProjectSingle) {
            Project project;
            const Status s = findReportProject(m_db, m_scope, params.project, project);
            if (s.code == kRecordNotFound)
                return run.refused(QString::fromStdString(mergeParameters(
                    translateText("There is no project %1 that you may see."), params.project)));
            if (!s.ok()) {
                run.storageFailed(m_db, "PROJECT");
                return run.end(nullptr, {});
            }
            projects.push_back(project);
        } else {
            const Status s =
                m_db.readAll(key::PRO_NAME_KEY, access::visibleProjects(m_scope.viewer), projects);
            if (!s.ok()) {
                run.storageFailed(m_db, "PROJECT");
                return run.end(nullptr, {});
            }
        }
        const bool full = params.type == ReportType::ProjectSingle && !params.summary;
        QString subtitle;
        if (params.type == ReportType::ProjectSingle)
            subtitle = tr("Project:") + QLatin1Char(' ') + qsClipped(projects.front().NAME);
        PageHeading heading = headingFor(title, subtitle, today);
        if (!full) heading.columns = captionRow(kListColumns, kListCaptions);
        if (!run.begin()) return run.end(nullptr, {});
        PageComposer composer(sink, heading);
        const char* key = assignmentKeyFor(params.listBy);
        const bool memos = full || params.generalComments || params.assigneeComments ||
                           params.confidentialComments;
        std::int64_t done = 0;
        const auto total = static_cast<std::int64_t>(projects.size());
        bool ok = true;
        ListTexts texts;
        for (const Project& project : projects) {
            if (params.type == ReportType::ProjectAll) {
                composer.holdWithNext(
                    {PageLine::blank(),
                     PageLine::text(0, tr("Projects:") + QLatin1Char(' ') + qsClipped(project.NAME),
                                    true)});
            }
            // The project's window lists these rows and opens only some of
            // them; the comments are printed where it opens them.
            ReportOrder order(params.listBy);
            const ReportOrder::Emit print = [&](const Assignment& a) {
                const bool mayOpen = mayOpenFromProject(a, m_scope.viewer);
                ok = composer.addBlock(
                    full ? fullAssignment(m_db, a, params, m_scope, mayOpen)
                         : listedAssignment(a, params, m_scope, false, memos && mayOpen, texts));
                run.countRecord();
                return ok;
            };
            const Status s = readAlong<Assignment>(
                m_db, key, KeyPosition::start(),
                projectReportFilter(params, m_scope, project.PROJNUMBER), memos,
                [&](const Assignment& a) { return order.add(a, print); });
            if (!s.ok()) {
                run.storageFailed(m_db, "ASSIGNMENT");
                break;
            }
            if (ok) order.finish(print);
            if (!ok || !run.step(++done, total)) break;
        }
        if (!ok && !run.cancelled()) run.outputFailed(composer.errorText());
        return run.end(&composer, tr("There is nothing to print."));
    }

    // Assignment lists: due, look forward, history.
    std::optional<ReportGroup> group;
    QString subtitle;
    if (optionsUsedBy(params.type).group) {
        ReportGroup found;
        const Status s = findReportGroup(m_db, m_scope, params.group, found);
        if (s.code == kRecordNotFound)
            return run.refused(QString::fromStdString(mergeParameters(
                translateText("There is no group list %1 that you may use."), params.group)));
        if (!s.ok()) {
            run.storageFailed(m_db, "GROUPNAME");
            return run.end(nullptr, {});
        }
        group = found;
        subtitle = tr("Group:") + QLatin1Char(' ') + QString::fromStdString(found.name);
    }
    if (optionsUsedBy(params.type).person)
        subtitle = tr("Person:") + QLatin1Char(' ') + QString::fromStdString(params.person);

    QString headingTitle = title;
    switch (params.type) {
        case ReportType::LookForwardGeneral:
            headingTitle =
                tr("General Look Forward To") + QLatin1Char(' ') + longDate(params.endDate);
            break;
        case ReportType::LookForwardPerson:
        case ReportType::LookForwardGroup:
            headingTitle = tr("Look Forward To") + QLatin1Char(' ') + longDate(params.endDate);
            break;
        case ReportType::HistoryGeneral:
            headingTitle = tr("General History From") + QLatin1Char(' ') +
                           longDate(params.startDate) + QStringLiteral(" - ") +
                           longDate(params.endDate);
            break;
        case ReportType::HistoryPerson:
        case ReportType::HistoryGroup:
            headingTitle = tr("History From") + QLatin1Char(' ') + longDate(params.startDate) +
                           QStringLiteral(" - ") + longDate(params.endDate);
            break;
        default:
            break;
    }
    const bool history = isHistory(params.type);
    const bool full = params.type == ReportType::AssignmentsDue && !params.summary;
    PageHeading heading = headingFor(headingTitle, subtitle, today);
    if (!full)
        heading.columns = history ? captionRow(kHistoryColumns, kHistoryCaptions)
                                  : captionRow(kListColumns, kListCaptions);

    Filter filter;
    if (!reportAssignmentFilter(m_db, params, m_scope, group, filter).ok()) {
        run.storageFailed(m_db, "ASSIGNMENT");
        return run.end(nullptr, {});
    }
    // The rows to come, for the progress bar.
    std::int64_t total = 0;
    const Status counted = reportCountsByScan(params, m_scope)
                               ? m_db.countByScan<Assignment>(filter, total)
                               : m_db.count<Assignment>(filter, total);
    if (!counted.ok()) {
        run.storageFailed(m_db, "ASSIGNMENT");
        return run.end(nullptr, {});
    }
    if (!run.begin()) return run.end(nullptr, {});
    PageComposer composer(sink, heading);
    const bool memos =
        full || params.generalComments || params.assigneeComments || params.confidentialComments;
    std::int64_t done = 0;
    bool ok = true;
    ReportOrder order(params.listBy);
    ListTexts texts;
    const ReportOrder::Emit print = [&](const Assignment& a) {
        // The filters list only what the user may open on the screens.
        ok = composer.addBlock(full ? fullAssignment(m_db, a, params, m_scope, true)
                                    : listedAssignment(a, params, m_scope, history, memos, texts));
        if (!ok) return false;
        return run.tick(++done, total);
    };
    const Status s =
        readAlong<Assignment>(m_db, assignmentKeyFor(params.listBy), KeyPosition::start(), filter,
                              memos, [&](const Assignment& a) { return order.add(a, print); });
    if (!s.ok())
        run.storageFailed(m_db, "ASSIGNMENT");
    else if (ok && !run.cancelled())
        order.finish(print);
    if (!ok) run.outputFailed(composer.errorText());
    return run.end(&composer, tr("There is nothing to print."));
}

ReportResult ReportEngine::runPersonSheet(const Person& shown, const PersonSheetOptions& options,
                                          PageSink& sink, const ReportProgress& progress) {
    Run run(sink, progress);
    const std::int32_t personNumber = shown.PERSONNUMBER;
    // The person must be one the user may see in the address book.
    std::vector<Person> found;
    ReadRequest request;
    request.key = Person::def().key(key::PEO_PERSONNUMBER_KEY);
    request.from = KeyPosition::at({std::int64_t{personNumber}});
    request.filter = allOf(
        {eq("PERSONNUMBER", std::int64_t{personNumber}), access::visiblePeople(m_scope.viewer)});
    request.limit = 1;
    const Status s = m_db.read(request, found);
    if (s.endOfRange() || (s.ok() && found.empty()))
        return run.refused(tr("You may not print this person's information."));
    if (!s.ok()) {
        run.storageFailed(m_db, "PEOPLE");
        return run.end(nullptr, {});
    }
    const Person& stored = found.front();
    Person p = shown;
    p.USER = stored.USER;
    SystemPref sys;
    sys.CONFIDENTIAL = m_scope.confidentialOn ? 1 : 0;
    if (!run.begin()) return run.end(nullptr, {});
    PageComposer composer(sink, headingFor(tr("Person Information"), {}, m_scope.today));
    std::vector<PageLine> lines;
    auto field = [&](const char* caption, const std::string& value) {
        append(lines, captionedText(0, tr(caption), qsClipped(value), 18));
    };
    field("Short Name", p.SHORTNAME);
    field("Last Name", p.LASTNAME);
    field("First Name", p.FIRSTNAME);
    field("Position:", p.POSITIONHELD);
    field("Organization:", p.ORGANIZATION);
    field("Phone Number:", p.PHONENUMBER);
    field("Fax Number", p.FAXNUMBER);
    field("E-mail Address", p.EMAIL);
    lines.push_back(PageLine::blank());
    appendMemo(lines, "Mailing Address", p.MAILADDRESS);
    if (options.comments) appendMemo(lines, "General Comments:", p.COMMENTS);
    if (options.confidential && confidentialAllowed(m_session, sys, stored.TYPE, stored.USER) &&
        confidentialAllowed(m_session, sys, p.TYPE, stored.USER))
        appendMemo(lines, "Confidential Comments", p.CONFCOMMENTS);
    bool ok = composer.addBlock(lines);
    if (ok) run.tick(1, 1);
    if (!ok) run.outputFailed(composer.errorText());
    return run.end(&composer, {});
}

ReportResult ReportEngine::runAddressBook(bool byLastName, PageSink& sink,
                                          const ReportProgress& progress) {
    Run run(sink, progress);
    const Filter filter = access::visiblePeople(m_scope.viewer);
    std::int64_t total = 0;
    if (!m_db.count<Person>(filter, total).ok()) {
        run.storageFailed(m_db, "PEOPLE");
        return run.end(nullptr, {});
    }
    if (!run.begin()) return run.end(nullptr, {});
    PageHeading heading = headingFor(tr("TASKORBIT Address Book"), {}, m_scope.today);
    heading.columns = captionRow(kPeopleColumns, kPeopleCaptions);
    PageComposer composer(sink, heading);
    std::int64_t done = 0;
    bool ok = true;
    const Status s = readAlong<Person>(
        m_db, byLastName ? key::PEO_LASTNAME_KEY : key::PEO_SHORT_KEY, KeyPosition::start(), filter,
        true, [&](const Person& p) {
            std::vector<PageLine> lines =
                tableRow(kPeopleColumns, {qsClipped(p.SHORTNAME), qsClipped(p.LASTNAME),
                                          qsClipped(p.FIRSTNAME), qsClipped(p.ORGANIZATION)});
            if (!rtrim(p.PHONENUMBER).empty())
                append(lines, captionedText(4, tr("Phone Number:"), qsClipped(p.PHONENUMBER), 20));
            if (!rtrim(p.EMAIL).empty())
                append(lines, captionedText(4, tr("E-mail Address"), qsClipped(p.EMAIL), 20));
            if (!rtrim(p.MAILADDRESS).empty())
                append(lines,
                       captionedText(4, tr("Mailing Address"), qsClipped(p.MAILADDRESS), 20));
            lines.push_back(PageLine::blank());
            ok = composer.addBlock(lines);
            return ok && run.tick(++done, total);
        });
    if (!s.ok()) run.storageFailed(m_db, "PEOPLE");
    if (!ok && !run.cancelled()) run.outputFailed(composer.errorText());
    return run.end(&composer, tr("There is nothing to print."));
}

ReportResult ReportEngine::runGroupList(std::int32_t groupNumber, PageSink& sink,
                                        const ReportProgress& progress) {
    Run run(sink, progress);
    GroupName group;
    std::vector<GroupName> groups;
    const Status g = m_db.readAll(
        key::GRO_AUTONUMBER_KEY,
        allOf({eq("GROUPNUMBER", std::int64_t{groupNumber}), visibleGroupsFilter(m_scope)}),
        groups);
    if (!g.ok()) {
        run.storageFailed(m_db, "GROUPNAME");
        return run.end(nullptr, {});
    }
    if (groups.empty()) return run.refused(tr("You may not print this group list."));
    group = groups.front();
    const Filter members = eq("GROUPNUMBER", std::int64_t{groupNumber});
    std::int64_t total = 0;
    if (!m_db.count<GroupPeople>(members, total).ok()) {
        run.storageFailed(m_db, "GROUPPEOPLE");
        return run.end(nullptr, {});
    }
    if (!run.begin()) return run.end(nullptr, {});
    PageHeading heading =
        headingFor(tr("People in Group List:") + QLatin1Char(' ') + qsClipped(group.GROUPNAME), {},
                   m_scope.today);
    heading.columns = captionRow(kPeopleColumns, kPeopleCaptions);
    PageComposer composer(sink, heading);
    std::int64_t done = 0;
    bool ok = true;
    const Status s = readAlong<GroupPeople>(
        m_db, key::GRP_GROUPNAME_KEY, KeyPosition::at({group.GROUPNAME}),
        allOf({eq("GROUPNAME", group.GROUPNAME), members}), false, [&](const GroupPeople& m) {
            Person p;
            const bool found =
                m_db.fetch(key::PEO_PERSONNUMBER_KEY, {std::int64_t{m.PERSONNUMBER}}, p).ok();
            std::vector<PageLine> lines = tableRow(
                kPeopleColumns, {qsClipped(m.SHORTNAME), found ? qsClipped(p.LASTNAME) : QString(),
                                 found ? qsClipped(p.FIRSTNAME) : QString(),
                                 found ? qsClipped(p.ORGANIZATION) : QString()});
            if (found && !rtrim(p.PHONENUMBER).empty())
                append(lines, captionedText(4, tr("Phone Number:"), qsClipped(p.PHONENUMBER), 20));
            ok = composer.addBlock(lines);
            return ok && run.tick(++done, total);
        });
    if (!s.ok()) run.storageFailed(m_db, "GROUPPEOPLE");
    if (!ok && !run.cancelled()) run.outputFailed(composer.errorText());
    return run.end(&composer, tr("There is nothing to print."));
}

ReportResult ReportEngine::runAssignment(const Assignment& shown, bool confidential, PageSink& sink,
                                         const ReportProgress& progress) {
    Run run(sink, progress);
    Assignment a;
    const Status s = m_db.fetch(key::ASS_NUMBER_KEY, {std::int64_t{shown.ASSIGNNUMBER}}, a);
    if (s.code == kRecordNotFound) return run.refused(tr("The assignment no longer exists."));
    if (!s.ok()) {
        run.storageFailed(m_db, "ASSIGNMENT");
        return run.end(nullptr, {});
    }
    // As on the person screens: printed where the user may open it.
    Person p;
    const Status ps = m_db.fetch(key::PEO_PERSONNUMBER_KEY, {std::int64_t{a.PERSONNUMBER}}, p);
    if (!ps.ok() && ps.code != kRecordNotFound) {
        run.storageFailed(m_db, "PEOPLE");
        return run.end(nullptr, {});
    }
    if (!access::mayOpenAssignment(a, ps.ok() ? &p : nullptr, m_scope.viewer))
        return run.refused(tr("You may not print this assignment."));
    ReportParams params;
    params.generalComments = true;
    params.assigneeComments = true;
    // Whether the confidential memo may be printed is the stored owner's
    // question, not the form's.
    params.confidentialComments = confidential && mayPrintConfidential(a, m_scope);
    Assignment printed = shown;
    printed.USERNAME = a.USERNAME;
    if (!run.begin()) return run.end(nullptr, {});
    PageComposer composer(sink, headingFor(tr("Assignment Information"), {}, m_scope.today));
    const bool ok = composer.addBlock(fullAssignment(m_db, printed, params, m_scope, true));
    if (ok) run.tick(1, 1);
    if (!ok) run.outputFailed(composer.errorText());
    return run.end(&composer, {});
}

}  // namespace tko
