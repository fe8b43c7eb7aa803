#include "assign/AssignmentRules.h"
#include "assign/NoticeRules.h"

#include <QRegularExpression>

#include <QFile>
#include <QTextStream>

#include "access/Access.h"
#include "assign/Repetition.h"
#include "data/Keys.h"
#include "data/Numbering.h"
#include "data/Records.h"
#include "data/Tables.h"
#include "people/PeopleFilters.h"
#include "people/PeopleRules.h"
#include "platform/Picture.h"
#include "platform/QtText.h"

namespace tko {
namespace {

constexpr int kNameWidth = Assignment::Width::USERNAME;
constexpr int kDuplicateTimeoutMs = 2000;

bool sameName(const std::string& a, const std::string& b) {
    return store::clipText(a, kNameWidth) == store::clipText(b, kNameWidth);
}

std::string padded(const std::string& text, int width) {
    std::string out = store::clipText(text, width);
    for (int n = store::utf8Length(out); n < width; ++n) out += ' ';
    return out;
}

// The record's fields without the memos that do not count as a change
// (confidential comments) or are the program's own (the log).
Assignment withoutConfAndLog(Assignment a) {
    a.CONFMEMO.clear();
    a.LOG.clear();
    return a;
}

// `label: value`, and when that passes 60 characters, the rest on further
// lines under the value.
void addLabelled(QStringList& lines, const QString& label, const QString& value) {
    const QString head = label + QStringLiteral(": ");
    QString line = head + value;
    if (line.size() <= kTextFileWidth) {
        lines << line;
        return;
    }
    const QString indent(head.size() < kTextFileWidth / 2 ? head.size() : 0, QLatin1Char(' '));
    lines << line.left(kTextFileWidth);
    QString rest = line.mid(kTextFileWidth);
    const int room = kTextFileWidth - static_cast<int>(indent.size());
    while (!rest.isEmpty()) {
        lines << indent + rest.left(room);
        rest = rest.mid(room);
    }
}

}  // namespace

bool isOwner(const Assignment& a, const Session& s) {
    return access::isUser(a.USERNAME, s.GlobalUser);
}
bool isAssignee(const Assignment& a, const Session& s) {
    return access::isUser(a.PERSON, s.GlobalUser);
}

bool mayConclude(const Assignment& a, const Session& s) {
    return isOwner(a, s) || s.isSystemAdministrator() ||
           (isAssignee(a, s) && a.ASSIGNEECONCLUDE == 1);
}

std::vector<FieldView> assignmentFieldViews(bool confidential) {
    std::vector<FieldView> views = {
        {"NAME", "Assignment:", "", ""},
        {"PERSON", "Person Assigned:", "", ""},
        {"PERSONNUMBER", "", "", "PERSON"},
        {"PRIORITY", "Priority:", "@n1", ""},
        {"SECONDARY", "Secondary", kCheckPicture, ""},
        {"DUEDATE", "Due Date:", "@D18b", ""},
        {"REPEATTYPE", "Repeating", "", ""},
        {"REPNUMBER", "", "@n3b", "REPEATTYPE"},
        {"WEEKINMONTH", "", "@s4", "REPEATTYPE"},
        {"WEEKDAY", "", "@s9", "REPEATTYPE"},
        {"DAYNO", "", "@n2b", "REPEATTYPE"},
        {"SETDAYREPT", "", "", "REPEATTYPE"},
        {"ASSIGNEECONCLUDE", "Assignee can conclude", kCheckPicture, ""},
        {"ASSIGNEDDATE", "Assigned:", "@D18b", ""},
        {"USERNAME", "By:", "", ""},
        {"CLOSEDATE", "Concluded:", "@D18b", ""},
        {"PREVDUE", "Previous Due:", "@D18b", ""},
        {"GENERALMEMO", "Comments", "", ""},
        {"LOG", "Log", "", ""},
        {"ASSIGNMEMO", "Assignee", "", ""},
    };
    if (confidential) views.push_back({"CONFMEMO", "Confidential", "", ""});
    return views;
}

EditRights editRights(const Assignment& a, const Session& s, Request request,
                      bool confidentialSetting) {
    EditRights r;
    const bool admin = s.isSystemAdministrator();
    // A new record is the user's own.
    r.ownerOrAdmin = request == Request::Insert || isOwner(a, s) || admin;
    r.assignMemo = isAssignee(a, s) || admin;
    r.duplicate = request == Request::Insert;
    r.confidential = confidentialSetting;
    if (!r.ownerOrAdmin) {
        r.general = false;
        r.generalMemo = false;
        r.projects = false;
        r.reminders = false;
        r.duplicate = false;
        r.confidential = false;
        r.conclude = isAssignee(a, s) && a.ASSIGNEECONCLUDE == 1;
    }
    return r;
}

bool essentialsFilled(const Assignment& a) {
    return !store::rtrim(a.NAME).empty() && a.PRIORITY != 0 && !store::rtrim(a.PERSON).empty() &&
           a.DUEDATE != 0;
}

std::optional<StandardMessage> checkAssignmentPriority(int priority) {
    if (priority >= 1 && priority <= 9) return std::nullopt;
    return standardMessage(10, translateText("Importance of Assignment"), "1 and 9");
}

std::string notAssignableText() {
    return translateText("You are not authorized to give assignments to this person.");
}

std::string ambiguousPersonText(const std::string& shortName) {
    return mergeParameters(
        translateText("More than one person is named %1. Please choose one from the list."),
        store::rtrim(shortName));
}

AssigneeCheck checkAssignee(Database& db, const Session& s, Assignment& a, const Assignment& opened,
                            Request request) {
    AssigneeCheck out;
    if (store::rtrim(a.PERSON).empty()) return out;
    const bool samePerson =
        sameName(a.PERSON, opened.PERSON) && a.PERSONNUMBER == opened.PERSONNUMBER;
    if (request != Request::Insert && samePerson) return out;
    if (a.PERSONNUMBER == 0) {
        const TypedPerson typed = lookUpTypedPerson(db, PeopleList::Assignable, s, a.PERSON);
        switch (typed.kind) {
            case TypedPerson::Found:
                a.PERSON = typed.person.SHORTNAME;
                a.PERSONNUMBER = typed.person.PERSONNUMBER;
                return out;
            case TypedPerson::Ambiguous:
                out.kind = AssigneeCheck::Ambiguous;
                out.message = ambiguousPersonText(a.PERSON);
                return out;
            case TypedPerson::NotListed:
                out.kind = AssigneeCheck::NotAssignable;
                out.message = notAssignableText();
                return out;
            case TypedPerson::Failed:
                out.kind = AssigneeCheck::Failed;
                out.message = db.lastError().describe();
                return out;
        }
    }
    // A person chosen earlier: still the one of that number and name, and still listed.
    SystemPref sys;
    const Status read = readSystemPref(db, sys);
    bool listed = false;
    if ((!read.ok() && read.code != store::kRecordNotFound) ||
        !personInList(db, PeopleList::Assignable, s, sys.VIEWALL != 0, a.PERSONNUMBER, listed)
             .ok()) {
        out.kind = AssigneeCheck::Failed;
        out.message = db.lastError().describe();
        return out;
    }
    Person person;
    if (listed) {
        const Status found =
            db.fetch(key::PEO_PERSONNUMBER_KEY, {std::int64_t{a.PERSONNUMBER}}, person);
        if (!found.ok() && found.code != store::kRecordNotFound) {
            out.kind = AssigneeCheck::Failed;
            out.message = db.lastError().describe();
            return out;
        }
        listed = found.ok() && sameName(person.SHORTNAME, a.PERSON);
    }
    if (!listed) {
        out.kind = AssigneeCheck::NotAssignable;
        out.message = notAssignableText();
    }
    return out;
}

Assignment primeAssignment(const UserPref& pref, const std::string& user, Date today) {
    Assignment a;
    a.PRIORITY =
        static_cast<std::uint8_t>(pref.PRIORITY >= 1 && pref.PRIORITY <= 9 ? pref.PRIORITY : 9);
    a.ASSIGNEECONCLUDE = pref.ASSIGNEECONCLUDE ? 1 : 0;
    a.DUEDATE = today;
    a.ASSIGNEDDATE = today;
    a.USERNAME = store::clipText(user, kNameWidth);
    a.REPEATTYPE = repeat::NoRepeats;
    return a;
}

std::string logLine(const std::string& word, const std::string& user, Date today, Time now) {
    return translateText(word) + " " + formatTime(now, u"@T1").toStdString() + " " +
           formatDate(today, u"@D18").toStdString() + " " + translateText("By") + " " +
           padded(user, kNameWidth) + "\r";
}

std::string appendToLog(const std::string& log, const std::string& addition) {
    std::string out = store::rtrim(log) + addition;
    while (store::utf8Length(out) > kLogWidth) {
        // Drop the oldest line (up to and including its carriage return).
        const size_t end = out.find('\r', 1);
        if (end == std::string::npos || end + 1 >= out.size()) {
            // One line longer than the log: keep its end.
            const int excess = store::utf8Length(out) - kLogWidth;
            size_t cut = 0;
            for (int n = 0; n < excess && cut < out.size(); ++n) {
                ++cut;
                while (cut < out.size() && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
                    ++cut;
            }
            out.erase(0, cut);
            break;
        }
        out.erase(0, end + 1);
    }
    return out;
}

QString activityLogText(const std::string& log) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList entries;
    for (const QString& line : QString::fromStdString(log).split(lineEnd))
        if (!line.trimmed().isEmpty()) entries << line;
    return entries.join(QLatin1Char('\n'));
}

bool applyChangeOnOk(Assignment& current, const Assignment& opened, const Session& s, Date today,
                     Time now) {
    current.PREVDUE = current.DUEDATE != opened.DUEDATE ? opened.DUEDATE : opened.PREVDUE;
    const bool changed = !withoutConfAndLog(current).sameValues(withoutConfAndLog(opened));
    if (changed) {
        current.LOG = appendToLog(current.LOG, logLine("Changed", s.GlobalUser, today, now));
        if (!isAssignee(current, s)) current.SEEN = 0;
    }
    return changed || !current.sameValues(opened);
}

void applyInsertOnOk(Assignment& current, const Session& s, Date today, Time now) {
    current.LOG = logLine("Created", s.GlobalUser, today, now);
}

Status addNewAssignment(Database& db, Assignment& a) {
    return addNumbered(db, a, &Assignment::ASSIGNNUMBER, key::ASS_NUMBER_KEY);
}

Outcome storeAssignment(Database& db, Assignment& current, const Assignment& opened,
                        const std::string& actor) {
    Outcome out;
    const Assignment entered = current;
    // The change runs as a savepoint inside this transaction, so that the
    // notices it calls for are stored with it or not at all.
    if (!db.begin(transactionTables(Assignment::def(), false), kIntegrityTimeoutMs).ok())
        return Outcome::failed(standardMessage(34, db.lastError().describe(),
                                               translateText("Update"), label::ASSIGNMENT));
    const Outcome r = changeRecord(db, current, opened, true);
    if (r.ok()) {
        if (queueAssignmentNotices(db, &opened, current, actor, AssignmentEvent::Stored).ok() &&
            db.commit().ok())
            return out;
        const std::string error = db.lastError().describe();
        if (db.engine().transactionDepth() > 0) db.rollback();
        current = entered;
        return Outcome::failed(standardMessage(15, error, label::ASSIGNMENT));
    }
    if (db.engine().transactionDepth() > 0) db.rollback();
    out.kind = r.kind == Outcome::ChangedElsewhere ? Outcome::ChangedElsewhere : Outcome::Failed;
    if (db.lastError().code == store::kDuplicateKey && out.kind == Outcome::Failed)
        out.message = standardMessage(24, translateText("Assignment Number Key"));
    else
        out.message = r.message;
    return out;
}

Outcome markSeenByAssignee(Database& db, Assignment& a, const Session& s, bool* marked) {
    if (marked) *marked = false;
    if (!isAssignee(a, s) || a.SEEN != 0) return {};
    const Assignment opened = a;
    a.SEEN = 1;
    const Outcome r = changeRecord(db, a, opened, false);
    if (r.ok()) {
        if (marked) *marked = true;
        // Read again, so that the form's copies come from the stored record.
        if (!db.reread(a).ok())
            return Outcome::failed(standardMessage(35, db.lastError().describe(), label::ASSIGNMENT,
                                                   {}, kReadErrorStays));
        return r;
    }
    if (r.kind == Outcome::Failed) a = opened;
    return r;
}

Status remindersOf(Database& db, std::int32_t assignNumber, std::vector<Reminder>& out) {
    return db.readAll(key::REM_ASSIGNNUMBER_KEY,
                      store::eq("ASSIGNNUMBER", std::int64_t{assignNumber}), out);
}

Status projectLinksOf(Database& db, std::int32_t assignNumber, std::vector<ProjAssign>& out) {
    return db.readAll(key::PRA_ASSIGNMENT_KEY,
                      store::eq("ASSIGNNUMBER", std::int64_t{assignNumber}), out);
}

Outcome duplicateAssignment(Database& db, Assignment& current, Assignment& copy, const Session& s,
                            Date today, Time now) {
    Outcome out;
    if (!essentialsFilled(current)) {
        StandardMessage refusal;  // no title of its own: shown under the form's
        refusal.text = translateText("Fill in the name, priority, person and due date first.");
        return Outcome::refused(refusal);
    }
    auto fail = [&](StandardMessage message) {
        if (db.engine().transactionDepth() > 0) db.rollback();
        out.kind = Outcome::Failed;
        out.message = std::move(message);
        return out;
    };
    if (!db.begin({label::ASSIGNMENT, label::REMINDER, label::PROJASSGN}, kDuplicateTimeoutMs).ok())
        return fail(standardMessage(34, db.lastError().describe(), translateText("Update"),
                                    label::ASSIGNMENT));
    Assignment first = current;
    first.LOG = logLine("Created", s.GlobalUser, today, now);
    const Status stored = db.change(first);
    if (stored.code == store::kChangedByOther) {
        db.rollback();
        out.kind = Outcome::ChangedElsewhere;
        out.message = standardMessage(38);
        if (db.reread(current).ok()) return out;
        return fail(
            standardMessage(35, db.lastError().describe(), label::ASSIGNMENT, {}, kReadErrorStays));
    }
    if (stored.code == store::kDuplicateKey)
        return fail(standardMessage(24, translateText("Assignment Number Key")));
    if (!stored.ok())
        return fail(standardMessage(15, db.lastError().describe(), label::ASSIGNMENT));
    if (!queueAssignmentNotices(db, nullptr, first, s.GlobalUser, AssignmentEvent::Stored).ok())
        return fail(standardMessage(15, db.lastError().describe(), label::ASSIGNMENT));

    Assignment next = first;
    next.rowPos = 0;
    next.rowVersion = 0;
    next.PERSON.clear();
    next.PERSONNUMBER = 0;
    next.SEEN = 0;
    next.LOG.clear();
    if (!addNewAssignment(db, next).ok())
        return fail(standardMessage(25, db.lastError().describe()));
    std::vector<Reminder> reminders;
    if (!remindersOf(db, first.ASSIGNNUMBER, reminders).ok())
        return fail(
            standardMessage(35, db.lastError().describe(), "REMINDERS", {}, kReadErrorStays));
    for (Reminder r : reminders) {
        r.rowPos = 0;
        r.rowVersion = 0;
        r.ASSIGNNUMBER = next.ASSIGNNUMBER;
        if (!addNumbered(db, r, &Reminder::REMINDNUMBER, key::REM_REMINDERNUMBER_KEY).ok())
            return fail(standardMessage(14, db.lastError().describe()));
    }
    std::vector<ProjAssign> links;
    if (!projectLinksOf(db, first.ASSIGNNUMBER, links).ok())
        return fail(
            standardMessage(35, db.lastError().describe(), label::PROJASSGN, {}, kReadErrorStays));
    for (ProjAssign link : links) {
        link.rowPos = 0;
        link.rowVersion = 0;
        link.ASSIGNNUMBER = next.ASSIGNNUMBER;
        if (!db.add(link).ok()) return fail(standardMessage(14, db.lastError().describe()));
    }
    if (!db.commit().ok())
        return fail(standardMessage(15, db.lastError().describe(), label::ASSIGNMENT));
    current = first;
    copy = next;
    return out;
}

Status addProjectLink(Database& db, const Assignment& a, const Project& project,
                      const std::string& user, bool& added) {
    added = false;
    std::vector<ProjAssign> links;
    Status s = db.readAll(key::PRA_PRIMARY_KEY,
                          store::allOf({store::eq("PROJNUMBER", std::int64_t{project.PROJNUMBER}),
                                        store::eq("ASSIGNNUMBER", std::int64_t{a.ASSIGNNUMBER})}),
                          links);
    if (!s.ok() || !links.empty()) return s;
    ProjAssign link{project.NAME, project.PROJNUMBER, a.ASSIGNNUMBER,
                    store::clipText(user, kNameWidth)};
    s = db.add(link);
    added = s.ok();
    return s;
}

QStringList assignmentTextLines(const Assignment& a, const QString& description,
                                const QString& projectName) {
    auto tr = [](const char* text) { return qs(translateText(text)); };
    auto longDate = [](Date d) { return formatDate(d, u"@D18"); };
    QStringList lines;
    lines << QStringLiteral("         ") + tr("ASSIGNMENT INFORMATION") << QString();
    addLabelled(lines, tr("Assignment"), qs(store::rtrim(a.NAME)));
    addLabelled(lines, tr("Person"),
                qs(padded(a.PERSON, kNameWidth)) + QString(10, QLatin1Char(' ')) + tr("Priority") +
                    QStringLiteral(": ") + QString::number(a.PRIORITY));
    addLabelled(lines, tr("Due Date"), longDate(a.DUEDATE));
    if (!description.isEmpty()) lines << description.left(kTextFileWidth);
    lines << QString();
    addLabelled(lines, tr("Date Assigned"), longDate(a.ASSIGNEDDATE));
    addLabelled(lines, tr("Assigned by"), qs(store::rtrim(a.USERNAME)));
    addLabelled(lines, tr("Date Concluded"), longDate(a.CLOSEDATE));
    addLabelled(lines, tr("Project"), projectName);
    lines << QString() << tr("COMMENTS:");
    // The comments in slices of 58 characters; a line break in the comments
    // starts a new slice. Three empty slices end the file.
    QString memo = qs(a.GENERALMEMO);
    memo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (memo.endsWith(QLatin1Char('\n')) || memo.endsWith(QLatin1Char(' '))) memo.chop(1);
    if (!memo.isEmpty()) {
        for (const QString& paragraph : memo.split(QLatin1Char('\n'))) {
            if (paragraph.isEmpty()) {
                lines << QString();
                continue;
            }
            for (qsizetype at = 0; at < paragraph.size(); at += kCommentSlice)
                lines << paragraph.mid(at, kCommentSlice);
        }
    }
    lines << QString() << QString() << QString();
    for (QString& line : lines) {
        while (line.endsWith(QLatin1Char(' '))) line.chop(1);
    }
    return lines;
}

QString writeTextLines(const QString& path, const QStringList& lines) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return file.errorString();
    QTextStream out(&file);
    for (const QString& line : lines) out << line << '\n';
    out.flush();
    if (file.error() != QFileDevice::NoError) return file.errorString();
    file.close();
    return {};
}

}  // namespace tko
