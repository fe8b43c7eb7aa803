#include "sync/CalDav.h"

#include <QDateTime>
#include <QUrl>
#include <QXmlStreamReader>

#include <curl/curl.h>

#include <map>

#include "access/Access.h"
#include "assign/AssignmentRules.h"
#include "assign/Conclude.h"
#include "data/FieldWidth.h"
#include "data/Keys.h"
#include "data/Security.h"
#include "data/SyncTables.h"
#include "data/Tables.h"
#include "data/Transaction.h"
#include "platform/Translate.h"
#include "sync/Vtodo.h"

namespace tko::sync {

namespace {

constexpr long kTimeoutSeconds = 20;
constexpr int kAccountTimeoutMs = 3000;

struct Response {
    long status = 0;  // 0: no answer
    std::string body;
    std::string etag;
    std::string error;
};

size_t collectBody(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// Stops a transfer once the station asks it to.
int checkCancel(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* flag = static_cast<const std::atomic<bool>*>(cancel);
    return flag && flag->load() ? 1 : 0;
}

size_t collectHeader(char* data, size_t size, size_t count, void* target) {
    const std::string line(data, size * count);
    const std::string name = "etag:";
    if (line.size() > name.size() &&
        std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
            return a == std::tolower(static_cast<unsigned char>(b));
        })) {
        std::string value = line.substr(name.size());
        while (!value.empty() && (value.front() == ' ')) value.erase(0, 1);
        while (!value.empty() &&
               (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
            value.pop_back();
        *static_cast<std::string*>(target) = value;
    }
    return size * count;
}

Response request(const CalDavAccount& account, const std::string& method, const std::string& url,
                 const std::string& body, const std::vector<std::string>& headers) {
    Response r;
    CURL* curl = curl_easy_init();
    if (!curl) {
        r.error = "libcurl cannot start";
        return r;
    }
    curl_slist* list = nullptr;
    for (const std::string& h : headers) list = curl_slist_append(list, h.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &collectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &r.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &collectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &r.etag);
    if (account.cancel) {
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &checkCancel);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA,
                         const_cast<std::atomic<bool>*>(account.cancel));
    }
    if (!account.login.empty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, account.login.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, account.password.c_str());
    }
    if (!body.empty() || method == "PUT") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    }
    const CURLcode rc = curl_easy_perform(curl);
    if (rc == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &r.status);
    else
        r.error = curl_easy_strerror(rc);
    curl_slist_free_all(list);
    curl_easy_cleanup(curl);
    return r;
}

struct ServerTodo {
    std::string href;  // absolute URL
    std::string etag;
    Todo todo;
};

// The VTODOs of a calendar-query answer (a multistatus), by assignment number.
std::map<std::int32_t, ServerTodo> readMultistatus(const std::string& xml,
                                                   const std::string& base) {
    std::map<std::int32_t, ServerTodo> out;
    QXmlStreamReader reader(QByteArray::fromStdString(xml));
    ServerTodo current;
    std::string data;
    const QUrl baseUrl(QString::fromStdString(base));
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QStringView name = reader.name();
            if (name == u"response") {
                current = ServerTodo{};
                data.clear();
            } else if (name == u"href") {
                current.href =
                    baseUrl.resolved(QUrl(reader.readElementText())).toString().toStdString();
            } else if (name == u"getetag") {
                current.etag = reader.readElementText().toStdString();
            } else if (name == u"calendar-data") {
                data = reader.readElementText().toStdString();
            }
        } else if (reader.isEndElement() && reader.name() == u"response") {
            std::vector<Todo> todos;
            std::string error;
            if (!data.empty() && readTodos(data, todos, error) && todos.size() == 1) {
                current.todo = todos.front();
                if (const std::int32_t number = numberOfUid(current.todo.uid))
                    out[number] = current;
            }
        }
    }
    return out;
}

const char* kQuery =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<c:calendar-query xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
    "<d:prop><d:getetag/><c:calendar-data/></d:prop>"
    "<c:filter><c:comp-filter name=\"VCALENDAR\"><c:comp-filter name=\"VTODO\"/>"
    "</c:comp-filter></c:filter></c:calendar-query>";

bool success(const Response& r) {
    return r.status >= 200 && r.status < 300;
}

}  // namespace

namespace {

// The user's one row of `R` (CALDAVUSER or CALDAVPREF); none: `found` false.
template <class R>
Status ownRow(Database& db, const char* key, const std::string& user, R& out, bool& found) {
    std::vector<R> rows;
    Status s = db.readAll(key, access::fieldIsUser("USERNAME", user), rows);
    found = s.ok() && !rows.empty();
    if (found) out = rows.front();
    return s;
}

// Writes the user's choice of `gives` (adds his row when he has none).
Status storeGives(Database& db, const std::string& user, bool gives) {
    CaldavPref pref;
    bool found = false;
    Status s = ownRow(db, key::CDP_USER_KEY, user, pref, found);
    if (!s.ok()) return s;
    if (found && (pref.GIVES != 0) == gives) return s;
    pref.USERNAME = store::clipText(user, CaldavPref::Width::USERNAME);
    pref.GIVES = gives ? 1 : 0;
    return found ? db.change(pref) : db.add(pref);
}

}  // namespace

Status loadCalDavAccount(Database& db, const std::string& user, CalDavAccount& account) {
    CaldavUser row;
    bool found = false;
    Status s = ownRow(db, key::CDU_USER_KEY, user, row, found);
    if (!s.ok()) return s;
    if (!found || store::rtrim(row.URL).empty()) return Status::error(store::kRecordNotFound);
    CaldavPref pref;
    bool chosen = false;
    if (!(s = ownRow(db, key::CDP_USER_KEY, user, pref, chosen)).ok()) return s;
    account.gives = chosen && pref.GIVES != 0;
    std::string key;
    if (!(s = officeSealKey(db, key)).ok()) return s;
    account.url = store::rtrim(row.URL);
    account.login = store::rtrim(row.LOGIN);
    if (!openSecret(store::rtrim(row.PASSWORD), key, account.password))
        return db.track(Status::error(store::kInvalidArgument,
                                      "The stored calendar password cannot be opened"));
    return Status::success();
}

Status storeCalDavAccount(Database& db, const std::string& user, const CalDavAccount& account) {
    // The window's rules: the same checks of the address and the widths. An
    // empty password keeps the stored one.
    CalDavSettings settings;
    settings.url = account.url;
    settings.login = account.login;
    settings.gives = account.gives;
    std::string refusal;
    const Status s = storeCalDavSettings(
        db, user, settings,
        account.password.empty() ? std::nullopt : std::optional<std::string>(account.password),
        refusal);
    return s.ok() ? s : db.track(s);
}

Status readCalDavSettings(Database& db, const std::string& user, CalDavSettings& out) {
    out = CalDavSettings{};
    CaldavUser row;
    bool found = false;
    Status s = ownRow(db, key::CDU_USER_KEY, user, row, found);
    if (!s.ok()) return s;
    if (found) {
        out.url = store::rtrim(row.URL);
        out.login = store::rtrim(row.LOGIN);
        out.passwordStored = !store::rtrim(row.PASSWORD).empty();
    }
    CaldavPref pref;
    if (!(s = ownRow(db, key::CDP_USER_KEY, user, pref, found)).ok()) return s;
    out.gives = found && pref.GIVES != 0;
    return s;
}

Status storeCalDavSettings(Database& db, const std::string& user, const CalDavSettings& settings,
                           const std::optional<std::string>& password, std::string& refusal) {
    refusal.clear();
    const std::string url = store::rtrim(settings.url);
    const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    if (const auto tooLong = checkFieldWidth("Collection URL", url, CaldavUser::Width::URL))
        refusal = *tooLong;
    else if (const auto login =
                 checkFieldWidth("Calendar user name", settings.login, CaldavUser::Width::LOGIN))
        refusal = *login;
    else if (password && !password->empty() &&
             sealedWidth(static_cast<int>(password->size())) > CaldavUser::Width::PASSWORD)
        refusal = translateText("The calendar password is too long.");
    else if (!url.empty() && (!parsed.isValid() || parsed.host().isEmpty() ||
                              (parsed.scheme() != QStringLiteral("http") &&
                               parsed.scheme() != QStringLiteral("https"))))
        refusal = translateText("The collection URL must be an http:// or https:// address.");
    if (!refusal.empty()) return Status::error(store::kInvalidArgument, refusal);
    std::string key;
    Status s = officeSealKey(db, key);
    if (!s.ok()) return s;
    return inTransaction(db, {label::CALDAVUSER, label::CALDAVPREF}, kAccountTimeoutMs, [&]() {
        CaldavUser row;
        bool found = false;
        Status r = ownRow(db, key::CDU_USER_KEY, user, row, found);
        if (!r.ok()) return r;
        row.USERNAME = store::clipText(user, CaldavUser::Width::USERNAME);
        row.URL = url;
        row.LOGIN = store::rtrim(settings.login);
        if (password) row.PASSWORD = password->empty() ? std::string() : sealSecret(*password, key);
        r = found ? db.change(row) : db.add(row);
        return r.ok() ? storeGives(db, user, settings.gives) : r;
    });
}

CalDavReport syncCalDav(Database& db, const Session& session, const CalDavAccount& account,
                        Date today, Time now) {
    CalDavReport report;
    const std::string user = store::rtrim(session.GlobalUser);
    std::string base = account.url;
    if (base.empty() || base.back() != '/') base += '/';
    auto stop = [&](const std::string& why) {
        report.ok = false;
        report.failure = why;
        return report;
    };

    const Response listing = request(account, "REPORT", base, kQuery,
                                     {"Depth: 1", "Content-Type: application/xml; charset=utf-8"});
    if (listing.status == 0) {
        report.reachable = false;
        return stop("The calendar server cannot be reached: " + listing.error);
    }
    if (listing.status != 207)
        return stop("The calendar server refused to list the to-dos (HTTP " +
                    std::to_string(listing.status) + ")");
    const std::map<std::int32_t, ServerTodo> server = readMultistatus(listing.body, base);

    std::vector<CaldavSync> states;
    if (!db.readAll(key::CDS_USERASSIGN_KEY, access::fieldIsUser("USERNAME", user), states).ok())
        return stop("The sync state cannot be read: " + db.lastError().describe());
    std::vector<Assignment> open;
    if (!db.readAll(key::ASS_PERSONDATE_KEY,
                    store::allOf({access::fieldIsUser("PERSON", user), store::eq("CLOSEDATE", 0)}),
                    open)
             .ok())
        return stop("The assignments cannot be read: " + db.lastError().describe());
    if (account.gives) {
        // The open work he gave to others, as the giver sees it.
        std::vector<Assignment> given;
        if (!db.readAll(
                   key::ASS_USERDATE_KEY,
                   store::allOf({access::fieldIsUser("USERNAME", user), store::eq("CLOSEDATE", 0)}),
                   given)
                 .ok())
            return stop("The assignments cannot be read: " + db.lastError().describe());
        open.insert(open.end(), given.begin(), given.end());
    }
    std::map<std::int32_t, Assignment> openByNumber;
    for (const Assignment& a : open) openByNumber[a.ASSIGNNUMBER] = a;

    auto alarmsOf = [&](const Assignment& a) {
        std::vector<Reminder> reminders;
        db.readAll(key::REM_ASSIGNNUMBER_KEY,
                   store::allOf({store::eq("ASSIGNNUMBER", std::int64_t{a.ASSIGNNUMBER}),
                                 access::fieldIsUser("USER", user), store::eq("ALARMFLAG", 1)}),
                   reminders);
        return reminders;
    };
    // Writes the assignment's to-do and remembers what it carried.
    auto put = [&](const Assignment& a, CaldavSync& state, const std::string& match) -> bool {
        const std::string href =
            store::rtrim(state.HREF).empty()
                ? base + "assignment-" + std::to_string(a.ASSIGNNUMBER) + ".ics"
                : store::rtrim(state.HREF);
        const Response r = request(
            account, "PUT", href, todoCalendarText(a, alarmsOf(a), QDateTime::currentDateTimeUtc()),
            {"Content-Type: text/calendar; charset=utf-8", match});
        if (!success(r)) {
            report.notes.push_back("\"" + store::rtrim(a.NAME) + "\" was not written (HTTP " +
                                   std::to_string(r.status) + ")");
            return false;
        }
        state.USERNAME = store::clipText(user, CaldavSync::Width::USERNAME);
        state.ASSIGNNUMBER = a.ASSIGNNUMBER;
        state.HREF = href;
        state.ETAG = r.etag;
        state.NAME = a.NAME;
        state.DUEDATE = a.DUEDATE;
        const Status s = state.rowPos ? db.change(state) : db.add(state);
        if (!s.ok()) return false;
        ++report.written;
        return true;
    };

    for (CaldavSync& state : states) {
        const std::int32_t number = state.ASSIGNNUMBER;
        const auto onServer = server.find(number);
        auto local = openByNumber.find(number);
        if (store::rtrim(state.HREF).empty()) {
            // Taken off the calendar by the user: not written again while it
            // stays open; forgotten once it is not.
            if (local != openByNumber.end()) {
                openByNumber.erase(local);
                ++report.declined;
            } else {
                db.remove(state);
            }
            continue;
        }
        if (onServer == server.end() && local != openByNumber.end()) {
            // Synced before and gone from the calendar: the user deleted the
            // to-do there, which says he does not want it on his calendar. The
            // assignment stays as it is here; it is not written to the
            // calendar again.
            state.HREF = std::string();
            state.ETAG = std::string();
            if (!db.change(state).ok()) {
                report.notes.push_back("\"" + store::rtrim(local->second.NAME) +
                                       "\" was deleted on the calendar; this is not remembered "
                                       "yet: " +
                                       db.lastError().describe());
                openByNumber.erase(local);
                continue;
            }
            report.notes.push_back("\"" + store::rtrim(local->second.NAME) +
                                   "\" was deleted on the calendar: it is no longer synced "
                                   "there and stays open here");
            openByNumber.erase(local);
            ++report.declined;
            continue;
        }
        if (onServer != server.end() && onServer->second.etag != store::rtrim(state.ETAG)) {
            const Todo& t = onServer->second.todo;
            if (t.completed && local != openByNumber.end()) {
                Assignment after;
                const Outcome out =
                    ConcludeAssignment(db, session, number, today, &local->second, &after);
                if (concludedHere(out)) {
                    ++report.concluded;
                    if (closedForGood(after))
                        openByNumber.erase(local);
                    else
                        local->second = after;  // the next due date goes back to the server
                } else if (!out.ok()) {
                    report.notes.push_back("\"" + store::rtrim(local->second.NAME) +
                                           "\" was completed on the calendar but may not be "
                                           "concluded here");
                }
            } else if (local != openByNumber.end() &&
                       (t.summary != store::rtrim(state.NAME) || t.due != state.DUEDATE)) {
                Assignment opened = local->second;
                Assignment next = opened;
                const bool nameOnServer =
                    t.summary != store::rtrim(state.NAME) && !t.summary.empty();
                const bool nameHere = store::rtrim(opened.NAME) != store::rtrim(state.NAME);
                if (t.due != state.DUEDATE && t.due != kNoDate) next.DUEDATE = t.due;
                if (nameOnServer) {
                    if (nameHere && store::rtrim(opened.NAME) != t.summary) {
                        next.GENERALMEMO = store::rtrim(next.GENERALMEMO) +
                                           (store::rtrim(next.GENERALMEMO).empty() ? "" : "\r\n") +
                                           "Name on the calendar: " + t.summary;
                        report.notes.push_back("\"" + store::rtrim(opened.NAME) +
                                               "\" was renamed on both sides; the calendar's name "
                                               "is kept in the comments");
                    } else if (store::utf8Length(t.summary) <= Assignment::Width::NAME &&
                               !checkLineText("Assignment", t.summary)) {
                        next.NAME = t.summary;
                    }
                }
                access::Viewer viewer;
                if (!next.sameValues(opened)) {
                    if (!access::loadViewer(db, session, viewer).ok() ||
                        !access::mayChangeAssignment(opened, viewer)) {
                        report.notes.push_back("\"" + store::rtrim(opened.NAME) +
                                               "\" was changed on the calendar, but only its giver "
                                               "may change it; the office's version is kept");
                    } else {
                        applyChangeOnOk(next, opened, session, today, now);
                        if (storeAssignment(db, next, opened, session.GlobalUser).ok()) {
                            local->second = next;
                            ++report.changed;
                        } else {
                            report.notes.push_back("\"" + store::rtrim(opened.NAME) +
                                                   "\" was changed at another station meanwhile; "
                                                   "the calendar's change waits for the next sync");
                            continue;
                        }
                    }
                }
            }
        }
        local = openByNumber.find(number);
        if (local == openByNumber.end()) {
            // No longer open for the user: off the server, and forgotten.
            if (onServer != server.end()) request(account, "DELETE", onServer->second.href, {}, {});
            db.remove(state);
            ++report.deleted;
            continue;
        }
        const Assignment& a = local->second;
        const bool stale =
            onServer == server.end() || onServer->second.etag != store::rtrim(state.ETAG) ||
            store::rtrim(a.NAME) != store::rtrim(state.NAME) || a.DUEDATE != state.DUEDATE;
        if (stale) {
            if (onServer != server.end()) state.ETAG = onServer->second.etag;
            put(a, state,
                onServer == server.end() ? "If-None-Match: *"
                                         : "If-Match: " + store::rtrim(state.ETAG));
        }
        openByNumber.erase(number);
    }
    for (const auto& [number, a] : openByNumber) {
        CaldavSync state;
        put(a, state, "If-None-Match: *");
    }
    return report;
}

StationSyncResult syncOnOwnConnection(const DataSource& source, const Session& session,
                                      const std::atomic<bool>* cancel) {
    StationSyncResult result;
    Status status;
    auto db = Database::open(source, false, status, kAccountTimeoutMs, false);
    if (!db) {
        result.storeFailed = true;
        return result;
    }
    CalDavAccount account;
    const Status loaded = loadCalDavAccount(*db, session.GlobalUser, account);
    if (loaded.code == store::kRecordNotFound) return result;
    result.hasAccount = true;
    if (!loaded.ok()) {
        result.storeFailed = true;
        return result;
    }
    account.cancel = cancel;
    result.report = syncCalDav(*db, session, account, Clock::today(), Clock::now());
    return result;
}

}  // namespace tko::sync
