#include "notices/OutboxSender.h"

#include <sodium.h>
#include <unistd.h>

#include <algorithm>

#include "access/Access.h"
#include "data/Keys.h"
#include "data/OfficeRoles.h"
#include "data/Tables.h"
#include "notices/NoticeText.h"
#include "platform/Translate.h"

namespace tko {

namespace {

// Writes `row` (read earlier) version-checked in a transaction of its own;
// kChangedByOther when another station wrote it since.
Status writeRow(Database& db, Outbox& row) {
    Status s = db.begin({label::OUTBOX}, kNoticeTimeoutMs);
    if (!s.ok()) return s;
    s = db.change(row);
    if (!s.ok()) {
        db.rollback();
        return s;
    }
    return db.commit();
}

std::string randomHex(int bytes) {
    std::string out;
    static const char* digits = "0123456789abcdef";
    for (int i = 0; i < bytes; ++i) {
        const std::uint32_t b = randombytes_uniform(256);
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string clipped(const std::string& text, size_t width) {
    if (text.size() <= width) return text;
    size_t cut = width;
    // Not inside a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

// The row after a failed try: due again after its back-off, or given up.
void markFailed(Outbox& row, const SmtpResult& result) {
    row.TRIES = static_cast<std::int16_t>(row.TRIES + 1);
    row.LASTERROR = clipped(result.error, Outbox::Width::LASTERROR);
    row.CLAIMEDBY.clear();
    if (!result.transient || row.TRIES >= kMostTries) {
        row.STATE = static_cast<std::uint8_t>(OutboxState::GivenUp);
        return;
    }
    row.STATE = static_cast<std::uint8_t>(OutboxState::Queued);
    Date date = Clock::today();
    Time time = Clock::now();
    addMinutes(date, time, retryMinutes(row.TRIES));
    row.NEXTDATE = date;
    row.NEXTTIME = time;
}

// The mail of a claimed row; false (with `why`) when there is nothing to
// send it about any more.
Status composeNotice(Database& db, const Outbox& row, const NoticeLanguage& language,
                     NoticeMail& mail, std::string& why) {
    const auto kind = static_cast<NoticeKind>(row.KIND);
    if (kind == NoticeKind::Digest) {
        std::vector<Assignment> due;
        Status s = dueWorkOf(db, row.RECIPIENT, row.CREATEDDATE, due);
        if (s.ok()) mail = digestNotice(due, row.CREATEDDATE, language);
        return s;
    }
    std::vector<Assignment> found;
    Status s = db.readAll(key::ASS_NUMBER_KEY,
                          store::eq("ASSIGNNUMBER", std::int64_t{row.ASSIGNNUMBER}), found);
    if (!s.ok()) return s;
    if (found.empty()) {
        why = "the assignment was deleted";
        return s;
    }
    mail = assignmentNotice(kind, found.front(), row.CREATEDBY, language);
    return s;
}

}  // namespace

std::string stationName() {
    char host[256] = {0};
    if (::gethostname(host, sizeof host - 1) != 0) host[0] = 0;
    static const std::string name =
        clipped(host, 30) + ":" + std::to_string(::getpid()) + ":" + randomHex(6);
    return name;
}

void addMinutes(Date& date, Time& time, int minutes) {
    std::int64_t ticks = std::int64_t{time} + std::int64_t{minutes} * kTicksPerMinute;
    date += static_cast<Date>(ticks / kTicksPerDay);
    time = static_cast<Time>(ticks % kTicksPerDay);
}

int retryMinutes(int tries) {
    return tries <= 1 ? 1 : std::min(60, 1 << std::min(tries - 1, 6));
}

Status claimNextNotice(Database& db, const std::string& station, Outbox& claimed, bool& got) {
    got = false;
    const Date today = Clock::today();
    const Time now = Clock::now();
    std::vector<Outbox> rows;
    Status s =
        db.readAll(key::OUT_STATE_KEY,
                   store::anyOf({store::eq("STATE", std::int64_t{int(OutboxState::Queued)}),
                                 store::eq("STATE", std::int64_t{int(OutboxState::Sending)})}),
                   rows);
    if (!s.ok()) return s;
    for (Outbox row : rows) {
        // Queued rows wait for their next try, claimed ones for their claim's end.
        if (!notAfter(row.NEXTDATE, row.NEXTTIME, today, now)) continue;
        row.STATE = static_cast<std::uint8_t>(OutboxState::Sending);
        row.CLAIMEDBY = clipped(station, Outbox::Width::CLAIMEDBY);
        Date until = today;
        Time untilTime = now;
        addMinutes(until, untilTime, kClaimMinutes);
        row.NEXTDATE = until;
        row.NEXTTIME = untilTime;
        if (store::rtrim(row.MESSAGEID).empty())
            row.MESSAGEID = "tko." + std::to_string(row.CREATEDDATE) + "." +
                            std::to_string(row.CREATEDTIME) + "." + randomHex(12) + "@taskorbit";
        s = writeRow(db, row);
        if (s.code == store::kChangedByOther) continue;  // another station took it
        if (!s.ok()) return s;
        claimed = row;
        got = true;
        return s;
    }
    return Status::success();
}

Status dueWorkOf(Database& db, const std::string& user, Date day, std::vector<Assignment>& out) {
    out.clear();
    std::vector<Assignment> rows;
    Status s = db.readAll(
        key::ASS_DUEDATE_KEY,
        store::allOf({access::fieldIsUser("PERSON", user), store::eq("CLOSEDATE", std::int64_t{0}),
                      store::le("DUEDATE", std::int64_t{day})}),
        rows);
    for (const Assignment& a : rows)
        if (a.CLOSEDATE == 0 && a.DUEDATE <= day && access::isUser(a.PERSON, user))
            out.push_back(a);
    return s;
}

Status addressOf(Database& db, const std::string& user, std::string& address) {
    address.clear();
    std::vector<Person> people;
    Status s = db.readAll("", access::ownUserPerson(user), people);
    for (const Person& p : people)
        if (access::isOwnUserPerson(p, user) && !store::rtrim(p.EMAIL).empty()) {
            address = store::rtrim(p.EMAIL);
            break;
        }
    return s;
}

Status sendDueNotices(Database& db, const QString& programDir, const std::string& station,
                      SendReport& report) {
    report = SendReport{};
    MailSetup setup;
    Status s = readMailSetup(db, setup);
    if (!s.ok()) return s;
    if (!mailConfigured(setup)) {
        report.problem = translateText(kNoMailServer);
        return s;
    }
    std::string password;
    if (!readsWholeOffice(db) || !openMailPassword(db, setup, password)) {
        report.problem = translateText(kMailPasswordUnreadable);
        return Status::success();
    }
    const SmtpServer server = smtpServerOf(setup, password);
    for (;;) {
        Outbox row;
        bool got = false;
        s = claimNextNotice(db, station, row, got);
        if (!s.ok() || !got) return s;
        NoticePref pref;
        s = readNoticePref(db, row.RECIPIENT, pref);
        if (!s.ok()) return s;
        std::string address;
        s = addressOf(db, row.RECIPIENT, address);
        if (!s.ok()) return s;
        NoticeMail mail;
        std::string why;
        s = composeNotice(db, row, NoticeLanguage(programDir, pref.LANGUAGE), mail, why);
        if (!s.ok()) return s;
        SmtpResult result;
        if (!why.empty()) {
            result.transient = false;
            result.error = why;
        } else if (address.empty()) {
            result.transient = false;
            result.error = "no e-mail address for " + store::rtrim(row.RECIPIENT);
        } else {
            result = sendMail(server, address, store::rtrim(row.MESSAGEID), mail);
        }
        if (result.ok) {
            row.STATE = static_cast<std::uint8_t>(OutboxState::Sent);
            row.SENTDATE = Clock::today();
            row.SENTTIME = Clock::now();
            row.LASTERROR.clear();
            ++report.sent;
        } else {
            markFailed(row, result);
            ++(row.STATE == int(OutboxState::GivenUp) ? report.givenUp : report.retrying);
            report.errors.push_back(store::rtrim(row.RECIPIENT) + ": " + result.error);
        }
        s = writeRow(db, row);
        // Our claim ran out and another station took the row over: it is
        // that station's now.
        if (s.code == store::kChangedByOther) continue;
        if (!s.ok()) return s;
    }
}

Status queueDailyDigests(Database& db, const std::string& actor, int& queued) {
    queued = 0;
    const Date today = Clock::today();
    MailSetup setup;
    Status s = readMailSetup(db, setup);
    if (!s.ok() || !mailConfigured(setup)) return s;
    std::vector<NoticePref> prefs;
    s = db.readAll(key::NTP_USERNAME_KEY, store::ne("DIGEST", std::int64_t{0}), prefs);
    if (!s.ok()) return s;
    for (NoticePref pref : prefs) {
        if (pref.DIGEST == 0 || pref.DIGESTDATE >= today) continue;
        s = db.begin({label::NOTICEPREF}, kNoticeTimeoutMs);
        if (!s.ok()) return s;
        pref.DIGESTDATE = today;
        s = db.change(pref);
        bool added = false;
        if (s.ok()) s = queueNotice(db, pref.USERNAME, NoticeKind::Digest, 0, actor, &added);
        if (s.ok()) s = db.commit();
        if (!s.ok()) {
            if (db.engine().transactionDepth() > 0) db.rollback();
            if (s.code == store::kChangedByOther) continue;  // queued by another station
            return s;
        }
        if (added) ++queued;
    }
    return Status::success();
}

std::string mailSetupProblem(const MailSetup& setup) {
    if (!mailConfigured(setup)) return {};
    if (setup.PORT < 1 || setup.PORT > 65535) return translateText(kBadMailPort);
    if (!plausibleAddress(store::rtrim(setup.FROMADDRESS))) return translateText(kBadSenderAddress);
    return {};
}

SmtpResult sendTestMessage(const MailSetup& setup, const std::string& password,
                           const std::string& to, const QString& programDir,
                           const std::string& language) {
    const SmtpServer server = smtpServerOf(setup, password);
    return sendMail(server, to, "tko.test." + randomHex(12) + "@taskorbit",
                    testNotice(NoticeLanguage(programDir, language)));
}

}  // namespace tko
