#include "cli/ScriptCommands.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <streambuf>

#include "assign/AssignmentRules.h"
#include "assign/Conclude.h"
#include "assign/NoticeRules.h"
#include "assign/Repetition.h"
#include "assign/lists/DueNowList.h"
#include "assign/lists/UnseenList.h"
#include "cli/CliLogin.h"
#include "cli/CliTable.h"
#include "cli/ImportCommand.h"
#include "cli/NoticeCommands.h"
#include "cli/TerminalText.h"
#include "data/FieldWidth.h"
#include "data/Keys.h"
#include "data/Messages.h"
#include "data/Numbering.h"
#include "data/Preferences.h"
#include "data/Records.h"
#include "data/StationSettings.h"
#include "people/PeopleFilters.h"
#include "people/PeopleRules.h"
#include "platform/IniFiles.h"
#include "platform/store/TextFold.h"
#include "reports/CsvExport.h"
#include "reports/DbaseExport.h"
#include "reports/IcsExport.h"
#include "views/Calendar.h"
#include "views/ReminderList.h"
#include "views/Search.h"

namespace tko::cli {

namespace {

constexpr int kPageRows = 200;
constexpr size_t kFindHitsPerKind = 50;  // as many of each kind as Edit > Find shows
constexpr int kNameWidth = Assignment::Width::NAME;
constexpr int kShortNameWidth = Assignment::Width::PERSON;
constexpr int kGeneralMemoWidth = Assignment::Width::GENERALMEMO;
constexpr int kMaxRepeatNumber = 999;  // the dialog's three digits
// How often add takes fresh numbers when other stations took every one tried.
constexpr int kNumberingRounds = 3;

int runCommand(const std::vector<std::string>& words, const std::string& server,
               const QString& programDir, std::istream& in, std::ostream& out, std::ostream& err);

// Passes what is written on to another buffer and keeps a copy.
class TeeBuffer : public std::streambuf {
public:
    explicit TeeBuffer(std::streambuf* target) : m_target(target) {}
    const std::string& kept() const { return m_kept; }

protected:
    int overflow(int c) override {
        if (c == traits_type::eof()) return traits_type::not_eof(c);
        m_kept.push_back(static_cast<char>(c));
        return m_target ? m_target->sputc(static_cast<char>(c)) : c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        m_kept.append(s, static_cast<size_t>(n));
        return m_target ? m_target->sputn(s, n) : n;
    }
    int sync() override { return m_target ? m_target->pubsync() : 0; }

private:
    std::streambuf* m_target;
    std::string m_kept;
};

const std::set<std::string> kCommands{"due",      "unseen", "reminders", "add",    "conclude",
                                      "calendar", "export", "find",      "import", "sync"};

// Options that take a value; every other option is a flag.
const std::set<std::string> kValueOptions{
    "--user",     "--order",  "--limit", "--person",     "--name",    "--due",        "--priority",
    "--comments", "--repeat", "--every", "--occurrence", "--weekday", "--weekdays",   "--secondary",
    "--from",     "--to",     "--map",   "--batch",      "--url",     "--caldav-user"};
const std::set<std::string> kFlagOptions{"--json", "--preview"};

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;

    bool has(const std::string& option) const { return values.count(option) != 0; }
    std::string value(const std::string& option) const {
        auto it = values.find(option);
        return it == values.end() ? std::string() : it->second;
    }
};

// Splits the arguments after the command. "--secondary" may stand alone
// (add: the assignment is secondary) or take yes/no (due).
bool parseArgs(const std::vector<std::string>& words, size_t first, Args& args, std::ostream& err) {
    for (size_t i = first; i < words.size(); ++i) {
        std::string word = words[i];
        std::string value;
        bool inlineValue = false;
        if (word.rfind("--", 0) == 0) {
            const size_t eq = word.find('=');
            if (eq != std::string::npos) {
                value = word.substr(eq + 1);
                word = word.substr(0, eq);
                inlineValue = true;
            }
            if (kFlagOptions.count(word) || noticeFlagOptions().count(word)) {
                args.flags.insert(word);
                continue;
            }
            if (!kValueOptions.count(word) && !noticeValueOptions().count(word)) {
                err << "taskorbit-cli: unknown option " << word << "\n";
                return false;
            }
            if (!inlineValue) {
                const bool next = i + 1 < words.size() && words[i + 1].rfind("--", 0) != 0;
                if (word == "--secondary" && !next) {
                    value = "yes";
                } else if (!next) {
                    err << "taskorbit-cli: " << word << " needs a value\n";
                    return false;
                } else {
                    value = words[++i];
                }
            }
            if (args.values.count(word)) {
                err << "taskorbit-cli: " << word << " is given twice\n";
                return false;
            }
            args.values[word] = value;
        } else {
            args.positional.push_back(word);
        }
    }
    return true;
}

std::optional<bool> yesNo(const std::string& text) {
    if (text == "yes" || text == "1" || text == "true") return true;
    if (text == "no" || text == "0" || text == "false") return false;
    return std::nullopt;
}

// A whole number within [low, high], or nothing.
std::optional<long long> wholeNumber(const std::string& text, long long low, long long high) {
    if (text.empty() || text.size() > 12) return std::nullopt;
    size_t start = text[0] == '-' ? 1 : 0;
    if (start == text.size()) return std::nullopt;
    for (size_t i = start; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const long long value = std::stoll(text);
    if (value < low || value > high) return std::nullopt;
    return value;
}

// "YYYY-MM-DD" within the supported dates, or nothing.
std::optional<Date> isoDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto year = wholeNumber(text.substr(0, 4), 1801, 2099);
    const auto month = wholeNumber(text.substr(5, 2), 1, 12);
    const auto day = wholeNumber(text.substr(8, 2), 1, 31);
    if (!year || !month || !day || *day > daysInMonth(int(*year), int(*month))) return std::nullopt;
    return fromYmd(int(*year), int(*month), int(*day));
}

void print(const CliTable& table, const Args& args, std::ostream& out) {
    if (args.flags.count("--json"))
        table.printJson(out);
    else
        table.printText(out);
}

// The logged-in user's command context.
struct Context {
    Database& db;
    Session session;
    QString programDir;
    std::ostream& out;
    std::ostream& err;
    Args args;
};

// Reads rows along `key` within `filter` in the key's order, up to `limit`
// (0: all), the way a list pages through them.
template <class R>
Status readAlong(Database& db, const std::string& keyLabel, const std::vector<store::Value>& range,
                 const store::Filter& filter, size_t limit, std::vector<R>& out) {
    out.clear();
    store::ReadRequest request;
    request.key = R::def().key(keyLabel);
    request.from = store::KeyPosition::at(range);
    request.filter = filter;
    request.withMemos = false;
    for (;;) {
        request.limit = limit ? int(std::min<size_t>(kPageRows, limit - out.size())) : kPageRows;
        std::vector<R> page;
        const Status s = db.read(request, page);
        if (s.endOfRange()) return Status::success();
        if (!s.ok()) return s;
        out.insert(out.end(), page.begin(), page.end());
        if (static_cast<int>(page.size()) < request.limit || (limit && out.size() >= limit))
            return Status::success();
        const store::Row last = page.back().toRow();
        request.from =
            store::KeyPosition::continuing(store::keyValuesOf(*request.key, last), last.pos);
    }
}

int storeFailure(Context& c, const char* table) {
    c.err << "taskorbit-cli: cannot read the " << table
          << " table: " << terminalText(c.db.lastError()) << "\n";
    return kExitFailed;
}

CliCell flagCell(int value) {
    return {std::to_string(value), QJsonValue(value != 0)};
}

// ---- due ---------------------------------------------------------------------
int runDue(Context& c) {
    static const std::map<std::string, size_t> orders{
        {"priority", 0}, {"date", 1}, {"person", 2}, {"name", 3}};
    const std::string orderName = c.args.has("--order") ? c.args.value("--order") : "priority";
    const auto order = orders.find(orderName);
    if (order == orders.end()) {
        c.err << "taskorbit-cli: --order is one of priority, date, person, name\n";
        return kExitUsage;
    }
    // Like the window, the secondary choice starts from the station's TASKORB.INI.
    bool includeSecondary = readIncludeSecondary(todayIniPath(c.programDir));
    if (c.args.has("--secondary")) {
        const auto choice = yesNo(c.args.value("--secondary"));
        if (!choice) {
            c.err << "taskorbit-cli: --secondary is yes or no\n";
            return kExitUsage;
        }
        includeSecondary = *choice;
    }
    size_t limit = 0;
    if (c.args.has("--limit")) {
        const auto n = wholeNumber(c.args.value("--limit"), 1, 1000000000);
        if (!n) {
            c.err << "taskorbit-cli: --limit takes a number of rows from 1\n";
            return kExitUsage;
        }
        limit = static_cast<size_t>(*n);
    }
    DueNowScope scope;
    if (!loadDueNowScope(c.db, c.session, includeSecondary, Clock::today(), scope).ok())
        return storeFailure(c, label::SYSTEMPREF);
    std::vector<Assignment> rows;
    if (!readAlong(c.db, kDueNowOrders[order->second].keyLabel, {}, dueNowFilter(scope), limit,
                   rows)
             .ok())
        return storeFailure(c, label::ASSIGNMENT);

    CliTable table({{"Assignment", "name"},
                    {"Person", "person"},
                    {"Priority", "priority", true},
                    {"Due Date", "dueDate"},
                    {"User Name", "userName"},
                    {"Secondary", "secondary", true},
                    {"Assign Number", "assignNumber", true}});
    for (const Assignment& a : rows)
        table.addRow({textCell(a.NAME), textCell(a.PERSON), numberCell(a.PRIORITY),
                      dateCell(a.DUEDATE), textCell(a.USERNAME), flagCell(a.SECONDARY),
                      numberCell(a.ASSIGNNUMBER)});
    print(table, c.args, c.out);
    return kExitOk;
}

// ---- unseen --------------------------------------------------------------------
int runUnseen(Context& c) {
    std::vector<Assignment> rows;
    if (!readAlong(c.db, kUnseenKey, unseenRange(), unseenFilter(c.session.GlobalUser), 0, rows)
             .ok())
        return storeFailure(c, label::ASSIGNMENT);
    CliTable table({{"Name", "name"},
                    {"Due Date", "dueDate"},
                    {"Priority", "priority", true},
                    {"Assigned Date", "assignedDate"},
                    {"Assign Number", "assignNumber", true}});
    for (const Assignment& a : rows)
        table.addRow({textCell(a.NAME), dateCell(a.DUEDATE), numberCell(a.PRIORITY),
                      dateCell(a.ASSIGNEDDATE), numberCell(a.ASSIGNNUMBER)});
    print(table, c.args, c.out);
    return kExitOk;
}

// ---- reminders -----------------------------------------------------------------
int runReminders(Context& c) {
    std::vector<Reminder> rows;
    if (!readAlong(c.db, kCurrentRemindersKey, {},
                   currentRemindersFilter(c.session.GlobalUser, Clock::today()), 0, rows)
             .ok())
        return storeFailure(c, label::REMINDER);
    ReminderAssignments assignments(c.db);
    CliTable table({{"Date", "date"},
                    {"Note", "note"},
                    {"Assignment", "assignment"},
                    {"Person", "person"},
                    {"Alarm Flag", "alarm", true},
                    {"Assign Number", "assignNumber", true},
                    {"User", "user"}});
    for (const Reminder& r : rows) {
        const Assignment* a = assignments.find(r.ASSIGNNUMBER);
        table.addRow({dateCell(r.DATE), textCell(r.NOTE), textCell(a ? a->NAME : std::string()),
                      textCell(a ? a->PERSON : std::string()), flagCell(r.ALARMFLAG),
                      numberCell(r.ASSIGNNUMBER), textCell(r.USER)});
    }
    print(table, c.args, c.out);
    return kExitOk;
}

// ---- find ----------------------------------------------------------------------
// The words after the directory are the text looked for.
int runFind(Context& c) {
    std::string typed;
    for (const std::string& word : c.args.positional) typed += (typed.empty() ? "" : " ") + word;
    if (store::searchTokens(typed).empty()) {
        c.err << "taskorbit-cli: find needs a word to look for\n";
        return kExitUsage;
    }
    std::vector<SearchHit> hits;
    if (!searchOffice(c.db, c.session, typed, kFindHitsPerKind, hits).ok())
        return storeFailure(c, label::ASSIGNMENT);
    CliTable table({{"Table", "table"},
                    {"Number", "number", true},
                    {"Title", "title"},
                    {"Snippet", "snippet"}});
    for (const SearchHit& hit : hits)
        table.addRow({textCell(hit.table), numberCell(hit.number), textCell(hit.title),
                      textCell(hit.snippet)});
    print(table, c.args, c.out);
    return kExitOk;
}

// ---- calendar ------------------------------------------------------------------
// What the Calendar window draws from --from to --to, one entry per date.
int runCalendar(Context& c) {
    const auto from = isoDate(c.args.value("--from"));
    const auto to = isoDate(c.args.value("--to"));
    if (!c.args.has("--from") || !c.args.has("--to") || !from || !to) {
        c.err << "taskorbit-cli: calendar needs --from YYYY-MM-DD and --to YYYY-MM-DD (1801 to "
                 "2099)\n";
        return kExitUsage;
    }
    if (*from > *to) {
        c.err << "taskorbit-cli: --from is after --to\n";
        return kExitUsage;
    }
    CalendarSettings settings;
    settings.today = Clock::today();
    // Like the window, the secondary choice starts from the station's TASKORB.INI.
    settings.includeSecondary = readIncludeSecondary(todayIniPath(c.programDir));
    if (c.args.has("--secondary")) {
        const auto choice = yesNo(c.args.value("--secondary"));
        if (!choice) {
            c.err << "taskorbit-cli: --secondary is yes or no\n";
            return kExitUsage;
        }
        settings.includeSecondary = *choice;
    }
    std::vector<CalendarEntry> entries;
    if (!calendarEntries(c.db, c.session, settings, *from, *to, entries).ok())
        return storeFailure(c, label::ASSIGNMENT);
    CliTable table({{"Date", "date"},
                    {"Kind", "kind"},
                    {"Assign Number", "assignNumber", true},
                    {"Name", "name"},
                    {"Person", "person"}});
    for (const CalendarEntry& e : entries)
        table.addRow({dateCell(e.date), textCell(calendarKindName(e.kind)),
                      numberCell(e.assignNumber), textCell(e.name), textCell(e.person)});
    print(table, c.args, c.out);
    return kExitOk;
}

// ---- add -----------------------------------------------------------------------
int weekdayNumber(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    for (int day = 0; day < 7; ++day) {
        std::string full = weekdayNames()[static_cast<size_t>(day)];
        std::transform(full.begin(), full.end(), full.begin(), ::tolower);
        if (name == full || (name.size() >= 2 && full.rfind(name, 0) == 0)) return day;
    }
    return -1;
}

// Fills the repetition fields from --repeat and its options; "" when they
// make a rule, else the message.
std::string applyRepeat(const Args& args, Assignment& a) {
    if (!args.has("--repeat")) {
        for (const char* option : {"--every", "--occurrence", "--weekday", "--weekdays"})
            if (args.has(option)) return std::string(option) + " belongs to --repeat";
        return {};
    }
    const std::string type = args.value("--repeat");
    const int number = repeatTypeNumber(type);
    if (number == 0 || store::rtrim(type) != type)
        return "--repeat is one of: \"No Repeats\", \"Specific Weekday\", \"Days after Last "
               "Due\", \"Weeks after Last Due\", \"Months after Last Due\", \"Days after "
               "Concluded\", \"Weeks after Concluded\", \"Months after Concluded\", \"Set "
               "Weekdays\"";
    a.REPEATTYPE = repeatTypeName(number);
    if (takesRepeatNumber(number)) {
        static const char* units[] = {"Day(s)", "Week(s)", "Month(s)"};
        const char* unit = units[(number - 3) % 3];
        if (!args.has("--every"))
            return mergeParameters(translateText("Missing number of") + " %1", translateText(unit));
        const auto n = wholeNumber(args.value("--every"), 1, kMaxRepeatNumber);
        if (!n) return "--every takes a number from 1 to 999";
        a.REPNUMBER = static_cast<std::int16_t>(*n);
    } else if (args.has("--every")) {
        return "--every belongs to the \"after\" types";
    }
    if (number == 2) {
        const std::string occurrence = args.value("--occurrence");
        const auto& words = occurrenceWords();
        if (std::find_if(words.begin(), words.end(),
                         [&](const char* w) { return occurrence == w; }) == words.end())
            return "--occurrence is one of 1st, 2nd, 3rd, 4th, Last";
        const int day = weekdayNumber(args.value("--weekday"));
        if (day < 0) return "--weekday names a day of the week (Monday ... Sunday)";
        a.WEEKINMONTH = store::clipText(translateText(occurrence), Assignment::Width::WEEKINMONTH);
        a.DAYNO = static_cast<std::uint8_t>(day);
        a.WEEKDAY = store::clipText(translateText(weekdayNames()[static_cast<size_t>(day)]),
                                    Assignment::Width::WEEKDAY);
    } else if (args.has("--occurrence") || args.has("--weekday")) {
        return "--occurrence and --weekday belong to \"Specific Weekday\"";
    }
    if (number == 9) {
        a.SETDAYREPT = {};
        std::string list = args.value("--weekdays");
        size_t start = 0;
        while (start <= list.size() && !list.empty()) {
            const size_t comma = std::min(list.find(',', start), list.size());
            const int day = weekdayNumber(list.substr(start, comma - start));
            if (day < 0) return "--weekdays lists days of the week, such as Monday,Thursday";
            a.SETDAYREPT[static_cast<size_t>(day)] = 1;
            start = comma + 1;
        }
    } else if (args.has("--weekdays")) {
        return "--weekdays belongs to \"Set Weekdays\"";
    }
    return {};
}

int runAdd(Context& c) {
    const Args& args = c.args;
    auto refuse = [&](const std::string& text) {
        c.err << "taskorbit-cli: " << text << "\n";
        return kExitUsage;
    };
    if (!args.has("--person") || !args.has("--name"))
        return refuse("add needs --person SHORTNAME and --name TEXT");
    const std::string name = args.value("--name");
    if (store::rtrim(name).empty()) return refuse("the assignment needs a name");
    // Nothing the user typed is cut: a name too long for its field is refused.
    if (store::utf8Length(name) > kNameWidth)
        return refuse("the name is longer than " + std::to_string(kNameWidth) + " characters");
    if (const auto refusal = checkLineText("Assignment", name)) return refuse(*refusal);
    const std::string comments = args.value("--comments");
    if (store::utf8Length(comments) > kGeneralMemoWidth)
        return refuse("the comments are longer than " + std::to_string(kGeneralMemoWidth) +
                      " characters");
    const std::string personName = args.value("--person");
    if (store::utf8Length(personName) > kShortNameWidth)
        return refuse("a short name has at most " + std::to_string(kShortNameWidth) +
                      " characters");

    UserPref pref;
    Request prefRequest = Request::None;
    if (!loadUserPref(c.db, c.session.GlobalUser, pref, prefRequest).ok())
        return storeFailure(c, label::USERPREF);
    const Date today = Clock::today();
    Assignment a = primeAssignment(pref, c.session.GlobalUser, today);
    a.NAME = name;
    a.GENERALMEMO = comments;
    if (args.has("--priority")) {
        const auto priority = wholeNumber(args.value("--priority"), -32768, 32767);
        if (!priority) return refuse("--priority takes a number from 1 to 9");
        if (const auto message = checkAssignmentPriority(int(*priority)))
            return refuse(message->text);
        a.PRIORITY = static_cast<std::uint8_t>(*priority);
    }
    if (args.has("--due")) {
        const auto due = isoDate(args.value("--due"));
        if (!due) return refuse("--due takes a date from 1801-01-01 to 2099-12-31 (YYYY-MM-DD)");
        a.DUEDATE = *due;
    }
    if (args.has("--secondary")) {
        const auto secondary = yesNo(args.value("--secondary"));
        if (!secondary) return refuse("--secondary stands alone or takes yes or no");
        a.SECONDARY = *secondary ? 1 : 0;
    }
    if (const std::string problem = applyRepeat(args, a); !problem.empty()) return refuse(problem);

    // The person is looked up as the form's person button offers people.
    const TypedPerson person =
        lookUpTypedPerson(c.db, PeopleList::Assignable, c.session, personName);
    switch (person.kind) {
        case TypedPerson::Found:
            break;
        case TypedPerson::Failed:
            return storeFailure(c, label::PEOPLE);
        case TypedPerson::Ambiguous:
            c.err << "taskorbit-cli: more than one person " << c.session.GlobalUser
                  << " may give assignments to is named " << personName
                  << "; give it in the program, where the list tells them apart\n";
            return kExitRefused;
        case TypedPerson::NotListed:
            c.err << "taskorbit-cli: " << c.session.GlobalUser << " may not give assignments to "
                  << personName << ", or there is no such person\n";
            return kExitRefused;
    }
    a.PERSON = person.person.SHORTNAME;
    a.PERSONNUMBER = person.person.PERSONNUMBER;
    applyInsertOnOk(a, c.session, today, Clock::now());
    // Numbers taken by other stations on every attempt: tried again, as the
    // form's message 25 offers, before giving up.
    Status added;
    for (int round = 0; round < kNumberingRounds; ++round) {
        if (round > 0) numberingBackOff(kNumberingAttempts);
        // The assignment and the notices it calls for, in one transaction.
        added = c.db.begin({label::ASSIGNMENT}, kIntegrityTimeoutMs);
        if (!added.ok()) break;
        added = addNewAssignment(c.db, a);
        if (added.ok())
            added = queueAssignmentNotices(c.db, nullptr, a, c.session.GlobalUser,
                                           AssignmentEvent::Stored);
        if (added.ok()) added = c.db.commit();
        if (!added.ok() && c.db.engine().transactionDepth() > 0) c.db.rollback();
        if (added.code != store::kDuplicateKey) break;
    }
    if (!added.ok()) {
        if (added.code == store::kDuplicateKey) {
            c.err << "taskorbit-cli: " << standardMessage(25, c.db.lastError().describe()).text
                  << "\n";
            return kExitOtherStation;
        }
        return storeFailure(c, label::ASSIGNMENT);
    }
    if (args.flags.count("--json")) {
        CliTable table({{"Assign Number", "assignNumber"}, {"Added", "added"}});
        table.addRow({numberCell(a.ASSIGNNUMBER), {"yes", QJsonValue(true)}});
        table.printJson(c.out);
    } else {
        c.out << "Added assignment " << a.ASSIGNNUMBER << " for " << a.PERSON << ".\n";
    }
    return kExitOk;
}

// ---- conclude ------------------------------------------------------------------
int runConclude(Context& c) {
    if (c.args.positional.size() != 1) {
        c.err << "taskorbit-cli: conclude needs the assignment's number\n";
        return kExitUsage;
    }
    const auto number = wholeNumber(c.args.positional[0], 1, 2147483647);
    if (!number) {
        c.err << "taskorbit-cli: " << c.args.positional[0] << " is not an assignment number\n";
        return kExitUsage;
    }
    const std::int32_t assignNumber = static_cast<std::int32_t>(*number);
    Assignment before;
    const Status found = c.db.fetch(key::ASS_NUMBER_KEY, {std::int64_t{assignNumber}}, before);
    if (found.code == store::kRecordNotFound) {
        c.err << "taskorbit-cli: there is no assignment " << assignNumber << "\n";
        return kExitNotFound;
    }
    if (!found.ok()) return storeFailure(c, label::ASSIGNMENT);
    if (before.CLOSEDATE != 0) {
        c.err << "taskorbit-cli: assignment " << assignNumber << " is concluded already\n";
        return kExitConcludedAlready;
    }
    Assignment after;
    const Outcome outcome =
        ConcludeAssignment(c.db, c.session, assignNumber, Clock::today(), &before, &after);
    switch (outcome.kind) {
        case Outcome::Refused:
            // The window does nothing without a word; a script must learn it failed.
            c.err << "taskorbit-cli: " << c.session.GlobalUser << " may not conclude assignment "
                  << assignNumber << "\n";
            return kExitRefused;
        case Outcome::ChangedElsewhere:
        case Outcome::Failed:
            c.err << "taskorbit-cli: " << translateText(kConcludeFailureTitle) << ": "
                  << outcomeLine(outcome) << "\n";
            return outcome.kind == Outcome::Failed ? kExitFailed : kExitOtherStation;
        case Outcome::Done:
            break;
    }
    if (!concludedHere(outcome)) {
        // Concluded at another station since it was read here: not again.
        c.err << "taskorbit-cli: " << outcomeLine(outcome) << "\n";
        return kExitOtherStation;
    }
    const bool closed = closedForGood(after);
    if (c.args.flags.count("--json")) {
        CliTable table({{"Assign Number", "assignNumber"},
                        {"Concluded", "concluded"},
                        {"Closed", "closed"},
                        {"Due Date", "dueDate"}});
        table.addRow({numberCell(assignNumber),
                      {"yes", QJsonValue(true)},
                      {closed ? "yes" : "no", QJsonValue(closed)},
                      dateCell(after.DUEDATE)});
        table.printJson(c.out);
    } else if (closed) {
        c.out << "Concluded assignment " << assignNumber << ".\n";
    } else {
        c.out << "Assignment " << assignNumber << " repeats: next due "
              << dateCell(after.DUEDATE).text << ".\n";
    }
    return kExitOk;
}

// ---- export --------------------------------------------------------------------
int runExport(Context& c, const std::string& kind) {
    const auto& p = c.args.positional;  // after "export KIND DIR"
    if (kind == "dbase") {
        if (p.size() != 1) {
            c.err << "taskorbit-cli: export dbase DIR OUTDIR --user NAME\n";
            return kExitUsage;
        }
        // The folder is made when it does not exist yet (as a permitted
        // export would need it anyway).
        if (mayExportData(c.session)) {
            std::error_code ec;
            std::filesystem::create_directories(p[0], ec);
            if (ec || !std::filesystem::is_directory(p[0])) {
                c.err << "taskorbit-cli: cannot create the folder " << p[0] << ": "
                      << (ec ? fileProblemText(ec.value(), p[0]) : "a file of that name exists")
                      << "\n";
                return kExitFailed;
            }
        }
        const DbaseExportResult result = exportToDbase(c.db, c.session, p[0]);
        if (result.kind == DbaseExportResult::NotPermitted) {
            c.err << "taskorbit-cli: " << result.message << "\n";
            return kExitRefused;
        }
        if (!result.ok()) {
            c.err << "taskorbit-cli: " << result.message << "\n";
            return kExitFailed;
        }
        for (size_t t = 0; t < dbaseTables().size(); ++t)
            c.out << dbaseFileName(dbaseTables()[t]) << ": " << result.rows[t] << " rows\n";
        for (const std::string& line : result.adjusted) c.err << "note: " << line << "\n";
        if (result.adjustedValues > static_cast<std::int64_t>(result.adjusted.size()))
            c.err << "note: " << result.adjustedValues - std::int64_t(result.adjusted.size())
                  << " more values adjusted\n";
        return kExitOk;
    }
    if (kind == "ics") {
        if (p.size() != 1) {
            c.err << "taskorbit-cli: export ics DIR FILE --user NAME\n";
            return kExitUsage;
        }
        const IcsExportResult result = exportIcs(c.db, c.session, p[0]);
        if (!result.ok) {
            c.err << "taskorbit-cli: " << result.message << "\n";
            return kExitFailed;
        }
        c.out << result.todos << " assignments written to " << p[0] << "\n";
        return kExitOk;
    }
    if (kind == "csv") {
        if (p.size() != 2) {
            c.err << "taskorbit-cli: export csv DIR TABLE FILE --user NAME\n";
            return kExitUsage;
        }
        const CsvExportResult result = exportCsv(c.db, c.session, p[0], p[1]);
        if (result.kind == CsvExportResult::NotPermitted) {
            c.err << "taskorbit-cli: " << result.message << "\n";
            return kExitRefused;
        }
        if (result.kind != CsvExportResult::Done) {
            c.err << "taskorbit-cli: " << result.message << "\n";
            return kExitFailed;
        }
        c.out << result.rows << " rows written to " << p[1] << "\n";
        return kExitOk;
    }
    c.err << "taskorbit-cli: export is one of dbase, ics, csv\n";
    return kExitUsage;
}

}  // namespace

const char* exitStatusHelp() {
    return "Exit status of due, unseen, reminders, add, conclude, export and import: 0 done;\n"
           "1 the data could not be read or written; 64 a mistake in the command; 65 the\n"
           "assignment was concluded already; 66 there is no such assignment; 67 import\n"
           "refused some tasks (the others were imported); 75 another\n"
           "station got there first (concluded it meanwhile, changed it on every try, or\n"
           "took every number tried); 77 log-in refused or not permitted. Only 0 means\n"
           "that add or conclude wrote anything; otherwise --json prints\n"
           "[{\"added\": false, ...}] or [{\"concluded\": false, ...}] with the reason.\n";
}

bool isScriptCommand(const std::string& command) {
    return kCommands.count(command) != 0 || isNoticeCommand(command);
}

int runScriptCommand(const std::vector<std::string>& words, const std::string& server,
                     const QString& programDir, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    const bool changes = !words.empty() && (words[0] == "add" || words[0] == "conclude");
    const bool json = std::find(words.begin(), words.end(), "--json") != words.end();
    if (!changes || !json) return runCommand(words, server, programDir, in, out, err);
    // A change that was not made says so on standard output too, with the
    // reason the command gave on standard error (which still shows at once:
    // the password prompt goes there).
    TeeBuffer tee(err.rdbuf());
    std::ostream teed(&tee);
    const int code = runCommand(words, server, programDir, in, out, teed);
    teed.flush();
    if (code == kExitOk) return code;
    std::string reason = tee.kept();
    while (!reason.empty() && reason.back() == '\n') reason.pop_back();
    reason = reason.substr(reason.rfind('\n') == std::string::npos ? 0 : reason.rfind('\n') + 1);
    const std::string prefix = "taskorbit-cli: ";
    if (reason.rfind(prefix, 0) == 0) reason = reason.substr(prefix.size());
    CliTable table(
        {{words[0] == "add" ? "Added" : "Concluded", words[0] == "add" ? "added" : "concluded"},
         {"Exit Status", "exitStatus", true},
         {"Reason", "reason"}});
    table.addRow({{"no", QJsonValue(false)}, numberCell(code), textCell(reason)});
    table.printJson(out);
    return code;
}

namespace {

int runCommand(const std::vector<std::string>& words, const std::string& server,
               const QString& programDir, std::istream& in, std::ostream& out, std::ostream& err) {
    if (words.empty() || !isScriptCommand(words[0])) {
        err << "taskorbit-cli: unknown command\n";
        return kExitUsage;
    }
    const std::string& command = words[0];
    std::string exportKind;
    size_t first = 1;
    if (command == "export" || command == "import" || command == "sync") {
        if (words.size() < 2 || (command == "sync" && words[1] != "caldav")) {
            err << "taskorbit-cli: " << command << " is one of "
                << (command == "export"   ? "dbase, ics, csv"
                    : command == "import" ? "ics, csv, taskwarrior"
                                          : "caldav")
                << "\n";
            return kExitUsage;
        }
        exportKind = words[1];
        first = 2;
    }
    Args args;
    if (!parseArgs(words, first, args, err)) return kExitUsage;
    if (args.positional.empty()) {
        err << "taskorbit-cli: " << command << " needs a data directory\n";
        return kExitUsage;
    }
    const std::string directory = args.positional.front();
    args.positional.erase(args.positional.begin());
    if ((command == "due" || command == "unseen" || command == "reminders" || command == "add" ||
         command == "calendar" || isNoticeCommand(command)) &&
        !args.positional.empty()) {
        err << "taskorbit-cli: unexpected " << args.positional.front() << "\n";
        return kExitUsage;
    }
    if (!args.has("--user")) {
        err << "taskorbit-cli: " << command << " needs --user NAME\n";
        return kExitUsage;
    }
    const DataSource source =
        resolveDataSource(directory, server, mainIniPath(programDir).toStdString());
    if (source.serverInfo.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(std::filesystem::path(directory) / "TKODATA.DB",
                                              ec)) {
            err << "taskorbit-cli: " << directory << " holds no office's data files\n";
            return kExitFailed;
        }
    }
    Status status;
    auto db = Database::open(source, false, status);
    if (!db) {
        err << "taskorbit-cli: cannot open the data: " << terminalText(status) << "\n";
        return kExitFailed;
    }
    const auto password = readPassword(in, err);
    if (!password) {
        err << "taskorbit-cli: no password given\n";
        return kExitRefused;
    }
    const CliLogin login = logIn(*db, args.value("--user"), *password);
    if (!login.ok) {
        err << "taskorbit-cli: " << login.message << "\n";
        return kExitRefused;
    }
    if (isNoticeCommand(command))
        return runNoticeCommand(command, *db, login.session, programDir, args.values, args.flags,
                                out, err);
    Context context{*db, login.session, programDir, out, err, args};
    if (command == "due") return runDue(context);
    if (command == "unseen") return runUnseen(context);
    if (command == "reminders") return runReminders(context);
    if (command == "find") return runFind(context);
    if (command == "add") return runAdd(context);
    if (command == "conclude") return runConclude(context);
    if (command == "calendar") return runCalendar(context);
    if (command == "sync") {
        if (!args.positional.empty()) {
            err << "taskorbit-cli: unexpected " << args.positional.front() << "\n";
            return kExitUsage;
        }
        return runSyncCommand(
            *db, login.session, args.value("--url"),
            args.has("--caldav-user") ? std::optional(args.value("--caldav-user")) : std::nullopt,
            out, err);
    }
    if (command == "import") {
        if (args.positional.size() != 1) {
            err << "taskorbit-cli: import " << exportKind << " DIR FILE --user NAME\n";
            return kExitUsage;
        }
        ImportRequest request{exportKind,
                              args.positional[0],
                              args.value("--person"),
                              args.value("--map"),
                              args.value("--batch"),
                              args.flags.count("--preview") != 0,
                              args.flags.count("--json") != 0};
        return runImportCommand(*db, login.session, request, out, err);
    }
    return runExport(context, exportKind);
}

}  // namespace

}  // namespace tko::cli
