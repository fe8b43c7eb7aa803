#include "sync/Import.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QTimeZone>

#include <algorithm>
#include <optional>
#include <set>

#include "assign/AssignmentRules.h"
#include "assign/NoticeRules.h"
#include "assign/Repetition.h"
#include "data/FieldWidth.h"
#include "data/Keys.h"
#include "data/Numbering.h"
#include "data/Preferences.h"
#include "data/Tables.h"
#include "people/PeopleFilters.h"

namespace tko::sync {

namespace {

constexpr int kImportTimeoutMs = 3000;
constexpr int kMaxRepeatNumber = 999;  // the Repeat Assignment dialog's three digits

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<int> wholeNumber(const std::string& text) {
    const std::string t = trimmed(text);
    if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(t);
}

std::optional<Date> isoDate(const std::string& text) {
    const std::string t = trimmed(text);
    if (t.size() != 10 || t[4] != '-' || t[7] != '-') return std::nullopt;
    const auto y = wholeNumber(t.substr(0, 4)), m = wholeNumber(t.substr(5, 2)),
               d = wholeNumber(t.substr(8, 2));
    if (!y || !m || !d || *m < 1 || *m > 12 || *d < 1 || *d > daysInMonth(*y, *m))
        return std::nullopt;
    const Date date = fromYmd(*y, *m, *d);
    if (!isSupportedDate(date)) return std::nullopt;
    return date;
}

// ---- CSV ----------------------------------------------------------------------------

// The records of an RFC 4180 text: quoted fields may hold commas, quotes
// (doubled) and line breaks; lines end in CRLF or LF.
std::vector<std::vector<std::string>> csvRecords(const std::string& text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false, any = false;
    size_t i = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    auto endRecord = [&] {
        record.push_back(field);
        field.clear();
        if (!(record.size() == 1 && record[0].empty())) records.push_back(record);
        record.clear();
        any = false;
    };
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        any = true;
        if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            record.push_back(field);
            field.clear();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRecord();
        } else {
            field += c;
        }
    }
    if (any || !field.empty() || !record.empty()) endRecord();
    return records;
}

// The export guards a text that a spreadsheet would run as a formula with a
// leading "'": taken off again.
std::string unguarded(const std::string& text) {
    if (text.size() >= 2 && text[0] == '\'' &&
        std::string("=+-@\t\r").find(text[1]) != std::string::npos)
        return text.substr(1);
    return text;
}

struct CsvField {
    const char* word;
    std::vector<const char*> headers;  // recognised header texts, lower case
};

const std::vector<CsvField>& csvFields() {
    static const std::vector<CsvField> fields{
        {"name", {"ass:name", "name", "title", "summary", "subject", "task", "content"}},
        {"due", {"ass:duedate", "due", "due date", "duedate", "deadline"}},
        {"priority", {"ass:priority", "priority"}},
        {"person", {"ass:person", "person", "assignee", "assigned to"}},
        {"comments", {"ass:generalmemo", "comments", "notes", "note", "description"}},
        {"secondary", {"ass:secondary", "secondary"}},
        {"assigneeconclude", {"ass:assigneeconclude", "assignee can conclude"}},
        {"repeat", {"ass:repeattype", "repeat"}},
        {"every", {"ass:repnumber", "every"}},
        {"weekdays", {"ass:setdayrept", "weekdays"}},
        {"occurrence", {"ass:weekinmonth", "occurrence"}},
        {"dayno", {"ass:dayno", "dayno"}},
        {"concluded", {"ass:closedate", "concluded", "completed", "done"}},
    };
    return fields;
}

std::optional<int> flagValue(const std::string& text) {
    const std::string t = lower(trimmed(text));
    if (t.empty() || t == "0" || t == "no" || t == "false" || t == "n") return 0;
    if (t == "1" || t == "yes" || t == "true" || t == "y" || t == "x") return 1;
    return std::nullopt;
}

bool readCsv(const std::string& text, const CsvMapping& mapping, std::vector<ImportItem>& items,
             std::string& error) {
    const auto records = csvRecords(text);
    if (records.empty()) {
        error = "The file is empty: a CSV file starts with a header row.";
        return false;
    }
    const std::vector<std::string>& header = records.front();
    std::map<std::string, size_t> column;  // field word -> column index
    for (const CsvField& f : csvFields()) {
        const auto given = mapping.find(f.word);
        for (size_t c = 0; c < header.size(); ++c) {
            const std::string h = lower(trimmed(header[c]));
            const bool match =
                given != mapping.end()
                    ? h == lower(trimmed(given->second))
                    : std::find(f.headers.begin(), f.headers.end(), h) != f.headers.end();
            if (match) {
                column[f.word] = c;
                break;
            }
        }
        if (given != mapping.end() && !column.count(f.word)) {
            error = "The header row has no column \"" + given->second + "\" (mapped to " + f.word +
                    ").";
            return false;
        }
    }
    if (!column.count("name")) {
        error = "No column holds the names: name one with --map name=COLUMN.";
        return false;
    }
    for (size_t r = 1; r < records.size(); ++r) {
        const auto& rec = records[r];
        ImportItem item;
        item.source = static_cast<int>(r);
        auto value = [&](const char* word) -> std::optional<std::string> {
            auto it = column.find(word);
            if (it == column.end() || it->second >= rec.size()) return std::nullopt;
            return rec[it->second];
        };
        auto problem = [&](const std::string& text) {
            if (item.problem.empty()) item.problem = text;
        };
        item.name = unguarded(value("name").value_or(""));
        if (auto v = value("comments")) {
            item.comments = unguarded(*v);
            std::string flat;
            for (size_t i = 0; i < item.comments.size(); ++i) {
                if (item.comments[i] == '\r') {
                    if (i + 1 < item.comments.size() && item.comments[i + 1] == '\n') ++i;
                    flat += '\n';
                } else {
                    flat += item.comments[i];
                }
            }
            item.comments = flat;
        }
        if (auto v = value("person")) item.person = trimmed(unguarded(*v));
        if (auto v = value("due"); v && !trimmed(*v).empty()) {
            if (const auto d = isoDate(*v))
                item.due = *d;
            else
                problem("The due date \"" + *v +
                        "\" is not a date from 1801-01-01 to 2099-12-31 "
                        "(YYYY-MM-DD).");
        }
        if (auto v = value("priority"); v && !trimmed(*v).empty()) {
            const auto p = wholeNumber(*v);
            if (p && *p >= 1 && *p <= 9)
                item.priority = *p;
            else
                problem("The priority \"" + *v + "\" is not a number from 1 to 9.");
        }
        for (auto [word, target] : {std::pair{"secondary", &item.secondary},
                                    std::pair{"assigneeconclude", &item.assigneeConclude}}) {
            if (auto v = value(word); v && !trimmed(*v).empty()) {
                if (const auto f = flagValue(*v))
                    *target = *f;
                else
                    problem(std::string("The ") + word + " flag \"" + *v + "\" is not 0 or 1.");
            }
        }
        if (auto v = value("repeat"); v && !trimmed(*v).empty()) {
            const int type = repeatTypeNumber(trimmed(*v));
            if (type == 0) {
                problem("The repeat type \"" + *v + "\" is none of the program's.");
            } else {
                item.rule.type = repeatTypeName(type);
                if (takesRepeatNumber(type)) {
                    const auto n = wholeNumber(value("every").value_or(""));
                    if (n && *n >= 1 && *n <= kMaxRepeatNumber)
                        item.rule.number = *n;
                    else
                        problem("A repeating assignment of type \"" + item.rule.type +
                                "\" needs a number of days, weeks or months from 1 to 999.");
                }
                if (type == 9) {
                    const std::string flags = trimmed(value("weekdays").value_or(""));
                    if (flags.size() == 7 && flags.find_first_not_of("01") == std::string::npos)
                        for (size_t d = 0; d < 7; ++d) item.rule.weekdays[d] = flags[d] == '1';
                    else if (!flags.empty())
                        problem("The weekdays \"" + flags + "\" are not seven digits 0 or 1.");
                }
                if (type == 2) {
                    item.rule.occurrence = occurrenceIndex(value("occurrence").value_or(""));
                    const auto day = wholeNumber(value("dayno").value_or(""));
                    if (item.rule.occurrence == 0 || !day || *day > 6)
                        problem(
                            "A \"Specific Weekday\" rule needs an occurrence (1st, 2nd, 3rd, "
                            "4th, Last) and a weekday number from 0 to 6.");
                    else
                        item.rule.dayNo = *day;
                }
            }
        }
        if (auto v = value("concluded")) {
            const std::string t = lower(trimmed(*v));
            item.concluded = !t.empty() && t != "0" && t != "no" && t != "false";
        }
        items.push_back(std::move(item));
    }
    return true;
}

// ---- Taskwarrior --------------------------------------------------------------------

// Taskwarrior's own form, "20260201T120000Z" (UTC); an invalid QDateTime
// for any other text. Read by hand: Qt's pattern parser costs more than the
// rest of a task's import together.
QDateTime taskwarriorUtc(const QString& text) {
    if (text.size() != 16 || text[8] != u'T' || text[15] != u'Z') return {};
    int digits[14];
    for (int i = 0, d = 0; i < 15; ++i) {
        if (i == 8) continue;
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return {};
        digits[d++] = c - u'0';
    }
    auto number = [&](int from, int count) {
        int n = 0;
        for (int i = from; i < from + count; ++i) n = n * 10 + digits[i];
        return n;
    };
    const QDate day(number(0, 4), number(4, 2), number(6, 2));
    const QTime time(number(8, 2), number(10, 2), number(12, 2));
    if (!day.isValid() || !time.isValid()) return {};
    return QDateTime(day, time, QTimeZone::utc());
}

std::optional<Date> taskwarriorDate(const QString& text) {
    QDateTime when = taskwarriorUtc(text);
    if (!when.isValid()) when = QDateTime::fromString(text, Qt::ISODate);
    if (!when.isValid()) return std::nullopt;
    // The station's zone, read once: the C library's local time looks the
    // zone file up again at every call.
    static const QTimeZone station = QTimeZone::systemTimeZone();
    const QDate local = when.toTimeZone(station).date();
    const Date date = fromYmd(local.year(), local.month(), local.day());
    if (!isSupportedDate(date)) return std::nullopt;
    return date;
}

// Taskwarrior's recurrence periods ("weekly", "3d", "P2W" ...) as rules.
std::optional<RepeatRule> taskwarriorRule(const std::string& recur) {
    const std::string r = lower(trimmed(recur));
    RepeatRule rule;
    auto of = [&](const char* type, int n) {
        rule.type = type;
        rule.number = n;
        return std::optional<RepeatRule>(rule);
    };
    if (r == "daily" || r == "day") return of(repeat::DaysAfterLastDue, 1);
    if (r == "weekly" || r == "week") return of(repeat::WeeksAfterLastDue, 1);
    if (r == "biweekly" || r == "fortnight") return of(repeat::WeeksAfterLastDue, 2);
    if (r == "monthly" || r == "month") return of(repeat::MonthsAfterLastDue, 1);
    if (r == "bimonthly") return of(repeat::MonthsAfterLastDue, 2);
    if (r == "quarterly") return of(repeat::MonthsAfterLastDue, 3);
    if (r == "semiannual") return of(repeat::MonthsAfterLastDue, 6);
    if (r == "yearly" || r == "annual" || r == "biannual" || r == "year")
        return of(repeat::MonthsAfterLastDue, r == "biannual" ? 24 : 12);
    if (r == "weekdays") {
        rule.type = repeat::SetWeekdays;
        rule.weekdays = {0, 1, 1, 1, 1, 1, 0};
        return rule;
    }
    // A count and a unit: "3d", "2wks", "6months", or ISO 8601 "P3D".
    std::string rest = r.rfind('p', 0) == 0 ? r.substr(1) : r;
    size_t digits = 0;
    while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits]))) ++digits;
    if (digits == 0 || digits > 3) return std::nullopt;
    const int n = std::stoi(rest.substr(0, digits));
    const std::string unit = rest.substr(digits);
    if (n < 1) return std::nullopt;
    if (unit == "d" || unit == "day" || unit == "days") return of(repeat::DaysAfterLastDue, n);
    if (unit == "w" || unit == "wk" || unit == "wks" || unit == "week" || unit == "weeks")
        return of(repeat::WeeksAfterLastDue, n);
    if (unit == "m" || unit == "mo" || unit == "mos" || unit == "mth" || unit == "month" ||
        unit == "months")
        return of(repeat::MonthsAfterLastDue, n);
    if ((unit == "y" || unit == "yr" || unit == "yrs" || unit == "year" || unit == "years") &&
        n * 12 <= kMaxRepeatNumber)
        return of(repeat::MonthsAfterLastDue, n * 12);
    return std::nullopt;
}

ImportItem taskwarriorItem(const QJsonObject& task, int source) {
    ImportItem item;
    item.source = source;
    item.name = task.value(QStringLiteral("description")).toString().toStdString();
    const QString status = task.value(QStringLiteral("status")).toString();
    item.concluded = status == QStringLiteral("completed") || status == QStringLiteral("deleted");
    std::vector<std::string> lines;
    for (const QJsonValue& a : task.value(QStringLiteral("annotations")).toArray())
        lines.push_back(a.toObject().value(QStringLiteral("description")).toString().toStdString());
    if (task.contains(QStringLiteral("project")))
        lines.push_back("Project: " +
                        task.value(QStringLiteral("project")).toString().toStdString());
    QStringList tags;
    for (const QJsonValue& t : task.value(QStringLiteral("tags")).toArray()) tags << t.toString();
    if (!tags.isEmpty()) lines.push_back("Tags: " + tags.join(QStringLiteral(", ")).toStdString());
    for (const std::string& line : lines)
        item.comments += (item.comments.empty() ? "" : "\n") + line;
    if (task.contains(QStringLiteral("due"))) {
        const QString due = task.value(QStringLiteral("due")).toString();
        if (const auto d = taskwarriorDate(due))
            item.due = *d;
        else
            item.problem = "The due date \"" + due.toStdString() + "\" cannot be read.";
    }
    const QString priority = task.value(QStringLiteral("priority")).toString();
    if (priority == QStringLiteral("H")) item.priority = 1;
    if (priority == QStringLiteral("M")) item.priority = 5;
    if (priority == QStringLiteral("L")) item.priority = 9;
    if (task.contains(QStringLiteral("parent")) && item.problem.empty())
        item.problem =
            "An occurrence of a repeating task: the task is imported once, as the "
            "repeating assignment.";
    if (task.contains(QStringLiteral("recur"))) {
        const std::string recur = task.value(QStringLiteral("recur")).toString().toStdString();
        if (const auto rule = taskwarriorRule(recur))
            item.rule = *rule;
        else
            item.comments +=
                std::string(item.comments.empty() ? "" : "\n") + "Repeats in Taskwarrior: " + recur;
    }
    return item;
}

bool readTaskwarrior(const std::string& text, std::vector<ImportItem>& items, std::string& error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &parseError);
    QJsonArray tasks;
    if (doc.isArray()) {
        tasks = doc.array();
    } else if (doc.isObject()) {
        tasks.append(doc.object());
    } else {
        // Older versions write one task a line.
        int lineNumber = 0;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            const std::string line = trimmed(text.substr(start, end - start));
            start = end + 1;
            ++lineNumber;
            if (line.empty() || line == "[" || line == "]") continue;
            std::string object = line;
            if (object.back() == ',') object.pop_back();
            const QJsonDocument one = QJsonDocument::fromJson(QByteArray::fromStdString(object));
            if (!one.isObject()) {
                error = "Line " + std::to_string(lineNumber) +
                        " is not Taskwarrior's JSON: " + parseError.errorString().toStdString();
                return false;
            }
            tasks.append(one.object());
        }
    }
    int source = 0;
    for (const QJsonValue& task : tasks) {
        ++source;
        if (!task.isObject()) {
            ImportItem item;
            item.source = source;
            item.problem = "Not a task.";
            items.push_back(item);
            continue;
        }
        items.push_back(taskwarriorItem(task.toObject(), source));
    }
    return true;
}

// ---- iCalendar ----------------------------------------------------------------------

bool readIcs(const std::string& text, std::vector<ImportItem>& items, std::string& error) {
    std::vector<Todo> todos;
    if (!readTodos(text, todos, error)) return false;
    int source = 0;
    for (const Todo& t : todos) {
        ImportItem item;
        item.source = ++source;
        item.name = t.summary;
        item.comments = t.description;
        item.due = t.due;
        item.priority = t.priority;
        item.rule = t.rule;
        item.alarms = t.alarms;
        item.concluded = t.completed;
        if (t.rule.type != repeat::NoRepeats) {
            // The export describes a rule that has no exact RRULE in the
            // description: not part of the comments.
            Assignment probe;
            applyRule(t.rule, probe);
            const RepeatLine line = RepeatDescription(probe);
            const std::string tail = "\n" + line.text;
            if (line.kind == RepeatLine::Text && !line.text.empty()) {
                if (item.comments == line.text)
                    item.comments.clear();
                else if (item.comments.size() > tail.size() &&
                         item.comments.compare(item.comments.size() - tail.size(), tail.size(),
                                               tail) == 0)
                    item.comments.erase(item.comments.size() - tail.size());
            }
        }
        if (!t.unmatchedRule.empty())
            item.comments += std::string(item.comments.empty() ? "" : "\n") +
                             "Repeats in the calendar: " + t.unmatchedRule;
        items.push_back(std::move(item));
    }
    return true;
}

// ---- saving ----------------------------------------------------------------------------

struct PersonChoice {
    bool ok = false;
    std::string shortName;
    std::int32_t number = 0;
    std::string reason;
    bool failed = false;
};

std::string memoOf(const std::string& text) {
    std::string memo;
    for (char c : text) {
        if (c == '\n')
            memo += "\r\n";
        else
            memo += c;
    }
    return memo;
}

}  // namespace

bool importFormatOf(const std::string& word, ImportFormat& format) {
    const std::string w = lower(word);
    if (w == "ics" || w == "ical" || w == "icalendar")
        format = ImportFormat::Ics;
    else if (w == "csv")
        format = ImportFormat::Csv;
    else if (w == "taskwarrior" || w == "task")
        format = ImportFormat::Taskwarrior;
    else
        return false;
    return true;
}

std::string csvFieldWords() {
    std::string words;
    for (const CsvField& f : csvFields())
        words += (words.empty() ? "" : ", ") + std::string(f.word);
    return words;
}

bool parseCsvMapping(const std::string& text, CsvMapping& mapping, std::string& error) {
    mapping.clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        const std::string pair = text.substr(start, end - start);
        start = end + 1;
        if (trimmed(pair).empty()) {
            if (end == text.size()) break;
            continue;
        }
        const size_t eq = pair.find('=');
        if (eq == std::string::npos || trimmed(pair.substr(eq + 1)).empty()) {
            error = "\"" + pair + "\" is not FIELD=COLUMN.";
            return false;
        }
        const std::string word = lower(trimmed(pair.substr(0, eq)));
        const auto& fields = csvFields();
        if (std::none_of(fields.begin(), fields.end(),
                         [&](const CsvField& f) { return word == f.word; })) {
            error = "\"" + word + "\" is no field; the fields are " + csvFieldWords() + ".";
            return false;
        }
        mapping[word] = trimmed(pair.substr(eq + 1));
        if (end == text.size()) break;
    }
    return true;
}

bool readImportFile(ImportFormat format, const std::string& text, const CsvMapping& mapping,
                    std::vector<ImportItem>& items, std::string& error) {
    items.clear();
    switch (format) {
        case ImportFormat::Ics:
            return readIcs(text, items, error);
        case ImportFormat::Csv:
            return readCsv(text, mapping, items, error);
        case ImportFormat::Taskwarrior:
            return readTaskwarrior(text, items, error);
    }
    return false;
}

ImportReport importAssignments(Database& db, const Session& session,
                               const std::vector<ImportItem>& items, const ImportOptions& options,
                               Date today, Time now) {
    ImportReport report;
    auto fail = [&](const std::string& what) {
        if (db.engine().transactionDepth() > 0) db.rollback();
        report.failed = true;
        report.failure = what + ": " + db.lastError().describe();
        return report;
    };
    UserPref pref;
    Request prefRequest = Request::None;
    if (!loadUserPref(db, session.GlobalUser, pref, prefRequest).ok())
        return fail("The user's preferences cannot be read");
    const std::string defaultPerson =
        options.person.empty() ? store::rtrim(session.GlobalUser) : options.person;

    // Each name is looked up once, as the form looks up a typed person.
    std::map<std::string, PersonChoice> people;
    auto personOf = [&](const std::string& name) -> const PersonChoice& {
        auto it = people.find(name);
        if (it != people.end()) return it->second;
        PersonChoice choice;
        if (store::utf8Length(name) > Assignment::Width::PERSON) {
            choice.reason = "The person \"" + name + "\" is longer than a short name (" +
                            std::to_string(Assignment::Width::PERSON) + " characters).";
        } else {
            const TypedPerson typed = lookUpTypedPerson(db, PeopleList::Assignable, session, name);
            switch (typed.kind) {
                case TypedPerson::Found:
                    choice.ok = true;
                    choice.shortName = typed.person.SHORTNAME;
                    choice.number = typed.person.PERSONNUMBER;
                    break;
                case TypedPerson::Ambiguous:
                    choice.reason = ambiguousPersonText(name);
                    break;
                case TypedPerson::NotListed:
                    choice.reason = notAssignableText() + " (" + name + ")";
                    break;
                case TypedPerson::Failed:
                    choice.failed = true;
                    break;
            }
        }
        return people.emplace(name, choice).first->second;
    };

    // The form's "Created" line is the same for every task of the import.
    Assignment probe;
    applyInsertOnOk(probe, session, today, now);
    const std::string createdLog = probe.LOG;

    // The record of one item by the form's rules; a refusal's reason when
    // it breaks one.
    auto recordOf = [&](const ImportItem& item, Assignment& a, std::string& note,
                        bool& storeFailed) -> std::string {
        if (!item.problem.empty()) return item.problem;
        std::string name = trimmed(item.name);
        if (name.empty()) return translateText("The assignment needs a name.");
        if (const auto refusal = checkLineText("Assignment", name)) return *refusal;
        std::string comments = item.comments;
        if (store::utf8Length(name) > Assignment::Width::NAME) {
            // Nothing is cut away: the whole text stays in the comments.
            comments = name + (comments.empty() ? "" : "\n") + comments;
            name = store::clipText(name, Assignment::Width::NAME);
            note = "name shortened to " + std::to_string(Assignment::Width::NAME) +
                   " characters; the whole text is in the comments";
        }
        const std::string memo = memoOf(comments);
        if (const auto tooLong = checkFieldWidth("Comments", memo, Assignment::Width::GENERALMEMO))
            return *tooLong;
        a = primeAssignment(pref, session.GlobalUser, today);
        a.NAME = name;
        a.GENERALMEMO = memo;
        if (item.priority != 0) {
            if (const auto message = checkAssignmentPriority(item.priority)) return message->text;
            a.PRIORITY = static_cast<std::uint8_t>(item.priority);
        }
        if (item.due != kNoDate) a.DUEDATE = item.due;
        if (item.secondary >= 0) a.SECONDARY = static_cast<std::uint8_t>(item.secondary);
        if (item.assigneeConclude >= 0)
            a.ASSIGNEECONCLUDE = static_cast<std::uint8_t>(item.assigneeConclude);
        applyRule(item.rule, a);
        const PersonChoice& person = personOf(item.person.empty() ? defaultPerson : item.person);
        if (person.failed) {
            storeFailed = true;
            return {};
        }
        if (!person.ok) return person.reason;
        a.PERSON = person.shortName;
        a.PERSONNUMBER = person.number;
        a.LOG = createdLog;
        return {};
    };

    // A task's reminders from its alarms, owned by the importing user; the
    // notes that had to be shortened are told in `note`.
    auto remindersOf = [&](const ImportItem& item, const Assignment& a, std::string& note) {
        std::vector<Reminder> out;
        for (const TodoAlarm& alarm : item.alarms) {
            Reminder r;
            r.DATE = alarm.date;
            r.NOTE = store::clipText(alarm.note, Reminder::Width::NOTE);
            if (store::utf8Length(alarm.note) > Reminder::Width::NOTE)
                note += std::string(note.empty() ? "" : "; ") + "a reminder's note shortened to " +
                        std::to_string(Reminder::Width::NOTE) + " characters";
            r.ASSIGNNUMBER = a.ASSIGNNUMBER;
            r.PERSON = a.PERSON;
            r.USER = store::clipText(session.GlobalUser, Reminder::Width::USER);
            r.ALARMFLAG = 1;
            out.push_back(r);
        }
        return out;
    };

    // Each batch is one transaction: every task is first made and checked in
    // memory (numbers given from the highest one read under the batch's
    // lock, the "Created" line, its reminders and the notices it calls for),
    // then each table gets all of the batch's rows at once (Database::addAll).
    // A refused task leaves nothing behind and takes no number.
    const int batchSize = std::max(1, options.batchSize);
    const bool writing = !options.preview;
    std::int64_t nextNumber = 0, nextReminder = 0;
    size_t at = 0;
    while (at < items.size()) {
        std::vector<ImportLine> pending;
        std::vector<Assignment> assignments;
        std::vector<Reminder> reminders;
        if (writing) {
            assignments.reserve(std::min(items.size() - at, static_cast<size_t>(batchSize)));
            if (!db.begin({label::ASSIGNMENT, label::REMINDER, label::OUTBOX}, kImportTimeoutMs)
                     .ok())
                return fail("The assignments cannot be locked for the import");
            // Numbers are read once a batch: the transaction holds the lock.
            if (!highestNumber(db, Assignment::def(), key::ASS_NUMBER_KEY, nextNumber).ok() ||
                !highestNumber(db, Reminder::def(), key::REM_REMINDERNUMBER_KEY, nextReminder).ok())
                return fail("The highest assignment number cannot be read");
        }
        int taken = 0;
        for (; at < items.size() && taken < batchSize; ++at) {
            const ImportItem& item = items[at];
            if (item.concluded) {
                ++report.concluded;
                continue;
            }
            ImportLine line;
            line.source = item.source;
            line.name = item.name;
            Assignment a;
            bool storeFailed = false;
            std::string refusal = recordOf(item, a, line.note, storeFailed);
            if (storeFailed) return fail("The people cannot be read");
            std::vector<Reminder> own;
            if (refusal.empty()) {
                own = remindersOf(item, a, line.note);
                // The store's own guard, asked before anything is written, so
                // that it refuses this task alone.
                Status guard = checkRowText(Assignment::def(), a.toRow());
                for (size_t r = 0; guard.ok() && r < own.size(); ++r)
                    guard = checkRowText(Reminder::def(), own[r].toRow());
                if (!guard.ok()) refusal = guard.describe();
            }
            if (!refusal.empty()) {
                line.person = item.person;
                line.note = refusal;
                report.refused.push_back(line);
                continue;
            }
            line.person = store::rtrim(a.PERSON);
            line.due = a.DUEDATE;
            ++taken;
            if (!writing) {
                report.created.push_back(line);
                continue;
            }
            a.ASSIGNNUMBER = static_cast<std::int32_t>(++nextNumber);
            for (Reminder& r : own) {
                r.ASSIGNNUMBER = a.ASSIGNNUMBER;
                r.REMINDNUMBER = static_cast<std::int32_t>(++nextReminder);
                reminders.push_back(r);
            }
            line.number = a.ASSIGNNUMBER;
            assignments.push_back(std::move(a));
            pending.push_back(line);
        }
        if (!writing) continue;
        if (!assignments.empty() && !db.addAll(assignments).ok())
            return fail("The batch's assignments cannot be added");
        if (!reminders.empty() && !db.addAll(reminders).ok())
            return fail("The batch's reminders cannot be added");
        if (!queueNewAssignmentNotices(db, assignments, session.GlobalUser).ok())
            return fail("The batch's notices cannot be queued");
        if (!db.commit().ok()) return fail("The import cannot be committed");
        report.created.insert(report.created.end(), pending.begin(), pending.end());
    }
    return report;
}

}  // namespace tko::sync
