#include "data/Notices.h"

#include <map>
#include <utility>
#include <vector>

#include "data/Keys.h"
#include "data/Security.h"
#include "data/Tables.h"
#include "data/Transaction.h"
#include "platform/Translate.h"

namespace tko {

namespace {

store::Filter exactly(const char* field, const std::string& name) {
    return store::allOf(
        {store::eq(field, store::rtrim(name)), store::same(field, store::rtrim(name))});
}

// The stored MAILSETUP record; `found` false when there is none.
Status storedSetup(Database& db, MailSetup& out, bool& found) {
    std::vector<MailSetup> rows;
    Status s = db.readAll("", store::all(), rows);
    found = s.ok() && !rows.empty();
    if (found) out = rows.front();
    return s;
}

}  // namespace

Status readMailSetup(Database& db, MailSetup& out) {
    bool found = false;
    Status s = storedSetup(db, out, found);
    if (s.ok() && !found) {
        out = MailSetup{};
        out.PORT = 25;
    }
    return s;
}

bool mailConfigured(const MailSetup& setup) {
    return !store::rtrim(setup.HOST).empty();
}

Status storeMailSetup(Database& db, const Session& session, const MailSetup& setup,
                      const std::optional<std::string>& password, std::string& refusal) {
    refusal.clear();
    if (!session.isSystemAdministrator()) {
        refusal = translateText(kMailSetupAdminsOnly);
        return Status::success();
    }
    std::string sealed;
    if (password && !password->empty()) {
        if (sealedWidth(static_cast<int>(password->size())) > MailSetup::Width::PASSWORD) {
            refusal = translateText(kMailPasswordTooLong);
            return Status::success();
        }
        std::string key;
        Status s = officeSealKey(db, key);
        if (!s.ok()) return s;
        sealed = sealSecret(*password, key);
    }
    return inTransaction(db, {label::MAILSETUP}, kNoticeTimeoutMs, [&]() {
        MailSetup stored;
        bool found = false;
        Status s = storedSetup(db, stored, found);
        if (!s.ok()) return s;
        MailSetup next = setup;
        next.rowPos = stored.rowPos;
        next.rowVersion = stored.rowVersion;
        next.PASSWORD = password ? sealed : stored.PASSWORD;
        return found ? db.change(next) : db.add(next);
    });
}

bool openMailPassword(Database& db, const MailSetup& setup, std::string& plain) {
    plain.clear();
    if (store::rtrim(setup.PASSWORD).empty()) return true;
    std::string key;
    if (!officeSealKey(db, key).ok()) return false;
    return openSecret(store::rtrim(setup.PASSWORD), key, plain);
}

NoticePref defaultNoticePref(const std::string& user) {
    NoticePref pref;
    pref.USERNAME = store::rtrim(user);
    pref.NEWWORK = 1;
    pref.CONCLUDED = 1;
    return pref;
}

Status readNoticePref(Database& db, const std::string& user, NoticePref& out) {
    std::vector<NoticePref> rows;
    Status s = db.readAll(key::NTP_USERNAME_KEY, exactly("USERNAME", user), rows);
    out = rows.empty() ? defaultNoticePref(user) : rows.front();
    return s;
}

Status storeNoticePref(Database& db, const Session& session, NoticePref& pref,
                       std::string& refusal) {
    refusal.clear();
    if (!session.isSystemAdministrator() &&
        store::rtrim(pref.USERNAME) != store::rtrim(session.GlobalUser)) {
        refusal = translateText("Only a System Administrator may change another user's notices.");
        return Status::success();
    }
    return inTransaction(db, {label::NOTICEPREF}, kNoticeTimeoutMs, [&]() {
        std::vector<NoticePref> rows;
        Status s = db.readAll(key::NTP_USERNAME_KEY, exactly("USERNAME", pref.USERNAME), rows);
        if (!s.ok()) return s;
        NoticePref next = pref;
        next.USERNAME = store::rtrim(pref.USERNAME);
        if (rows.empty()) {
            next.rowPos = 0;
            next.rowVersion = 0;
            s = db.add(next);
        } else {
            next.rowPos = rows.front().rowPos;
            next.rowVersion = rows.front().rowVersion;
            s = db.change(next);
        }
        if (s.ok()) pref = next;
        return s;
    });
}

bool wantsNotice(const NoticePref& pref, NoticeKind kind) {
    switch (kind) {
        case NoticeKind::NewWork:
            return pref.NEWWORK != 0;
        case NoticeKind::Changed:
            return pref.CHANGED != 0;
        case NoticeKind::Concluded:
            return pref.CONCLUDED != 0;
        case NoticeKind::Digest:
            return pref.DIGEST != 0;
    }
    return false;
}

namespace {

// Whether `name` is a user (exact name) who wants notices of `kind`.
Status recipientWants(Database& db, const std::string& name, NoticeKind kind, bool& wants) {
    wants = false;
    std::vector<User> users;
    Status s = db.readAll(key::USE_USERNAME_KEY, exactly("USERNAME", name), users);
    if (!s.ok() || users.empty()) return s;
    NoticePref pref;
    s = readNoticePref(db, name, pref);
    wants = s.ok() && wantsNotice(pref, kind);
    return s;
}

Outbox outboxRow(const std::string& name, NoticeKind kind, std::int32_t assignNumber,
                 const std::string& actor) {
    Outbox row;
    row.RECIPIENT = name;
    row.KIND = static_cast<std::uint8_t>(kind);
    row.ASSIGNNUMBER = assignNumber;
    row.STATE = static_cast<std::uint8_t>(OutboxState::Queued);
    row.CREATEDBY = store::rtrim(actor);
    row.CREATEDDATE = row.NEXTDATE = Clock::today();
    row.CREATEDTIME = row.NEXTTIME = Clock::now();
    return row;
}

}  // namespace

Status queueNotice(Database& db, const std::string& recipient, NoticeKind kind,
                   std::int32_t assignNumber, const std::string& actor, bool* queued) {
    if (queued) *queued = false;
    const std::string name = store::rtrim(recipient);
    if (name.empty()) return Status::success();
    MailSetup setup;
    Status s = readMailSetup(db, setup);
    if (!s.ok() || !mailConfigured(setup)) return s;
    bool wants = false;
    s = recipientWants(db, name, kind, wants);
    if (!s.ok() || !wants) return s;
    Outbox row = outboxRow(name, kind, assignNumber, actor);
    s = inTransaction(db, {label::OUTBOX}, kNoticeTimeoutMs, [&]() { return db.add(row); });
    if (s.ok() && queued) *queued = true;
    return s;
}

Status queueNotices(Database& db, const std::vector<NoticeRequest>& notices,
                    const std::string& actor, std::int64_t* queued) {
    if (queued) *queued = 0;
    if (notices.empty()) return Status::success();
    MailSetup setup;
    Status s = readMailSetup(db, setup);
    if (!s.ok() || !mailConfigured(setup)) return s;
    std::map<std::pair<std::string, NoticeKind>, bool> wanted;
    std::vector<Outbox> rows;
    for (const NoticeRequest& n : notices) {
        const std::string name = store::rtrim(n.recipient);
        if (name.empty()) continue;
        auto it = wanted.find({name, n.kind});
        if (it == wanted.end()) {
            bool wants = false;
            if (!(s = recipientWants(db, name, n.kind, wants)).ok()) return s;
            it = wanted.emplace(std::pair{name, n.kind}, wants).first;
        }
        if (it->second) rows.push_back(outboxRow(name, n.kind, n.assignNumber, actor));
    }
    if (rows.empty()) return Status::success();
    s = inTransaction(db, {label::OUTBOX}, kNoticeTimeoutMs, [&]() { return db.addAll(rows); });
    if (s.ok() && queued) *queued = static_cast<std::int64_t>(rows.size());
    return s;
}

Status troubledNotices(Database& db, std::vector<Outbox>& out) {
    out.clear();
    std::vector<Outbox> rows;
    Status s = db.readAll(key::OUT_STATE_KEY,
                          store::anyOf({store::eq("STATE", std::int64_t{int(OutboxState::GivenUp)}),
                                        store::gt("TRIES", std::int64_t{0})}),
                          rows);
    for (const Outbox& row : rows)
        if (row.STATE != int(OutboxState::Sent)) out.push_back(row);
    return s;
}

}  // namespace tko
