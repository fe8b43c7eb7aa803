// The stored side of the mail notices: the office's mail server (MAILSETUP),
// each user's choice of notices (NOTICEPREF) and the outbox (OUTBOX), one row
// per message to send.
//
// A change that calls for a notice queues it with queueNotice() inside the
// transaction that writes the change, so that the notice is stored exactly
// when the change is. Sending (notices/OutboxSender.h) claims a row, sends it
// and marks it, each step a transaction of its own.
//
// Every function returns a Status and shows nothing; one thread at a time
// per Database.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Records.h"
#include "data/Session.h"
#include "platform/Date.h"

namespace tko {

enum class NoticeKind : int { NewWork = 1, Changed = 2, Concluded = 3, Digest = 4 };

// OUT:STATE. A row waits (Queued) until its next try; a station that claims
// it marks it Sending until the claim's end (NEXTDATE/NEXTTIME), then Sent;
// one that failed too often is GivenUp and shown to the administrators.
enum class OutboxState : int { Queued = 0, Sending = 1, Sent = 2, GivenUp = 3 };

// MLS:SECURITY.
enum class MailSecurity : int { None = 0, StartTls = 1, Tls = 2 };

inline constexpr int kNoticeTimeoutMs = 3000;
inline constexpr const char* kMailSetupAdminsOnly =
    "Only a System Administrator may change the mail server settings.";
inline constexpr const char* kMailPasswordTooLong = "The mail server password is too long.";

// ---- the mail server -------------------------------------------------------
// The office's one MAILSETUP record; a cleared record with port 25 when there
// is none yet.
Status readMailSetup(Database& db, MailSetup& out);
// Whether a mail server is named: only then are notices queued.
bool mailConfigured(const MailSetup& setup);
// Stores `setup` (host, port, security, user, sender) as the session's user
// changes it: System Administrators only (`refusal` then says why, nothing
// written). `password`: none keeps the stored one, an empty text clears it,
// any other is sealed with the office's seal key. Whatever `setup` holds in
// PASSWORD is ignored.
Status storeMailSetup(Database& db, const Session& session, const MailSetup& setup,
                      const std::optional<std::string>& password, std::string& refusal);
// The stored password in clear; false (with `plain` empty) when it cannot be
// opened: no seal key may be read by this connection, or it was sealed with
// another key. An office without a password opens to an empty one.
bool openMailPassword(Database& db, const MailSetup& setup, std::string& plain);

// ---- the users' choices ------------------------------------------------------
// The user's choices, or the defaults when he made none (new work and
// conclusions by mail, changes and the digest not).
NoticePref defaultNoticePref(const std::string& user);
Status readNoticePref(Database& db, const std::string& user, NoticePref& out);
// Writes `pref` (adds it when its user has none yet). The session's user
// writes his own; a System Administrator anyone's. `refusal` when not allowed.
Status storeNoticePref(Database& db, const Session& session, NoticePref& pref,
                       std::string& refusal);
bool wantsNotice(const NoticePref& pref, NoticeKind kind);

// ---- the outbox ------------------------------------------------------------------
// Queues a message of `kind` about `assignNumber` for `recipient`, inside the
// caller's transaction (or one of its own): only when the office names a
// mail server, `recipient` is a user (exact name) and wants that kind.
// `queued` tells whether a row was written.
Status queueNotice(Database& db, const std::string& recipient, NoticeKind kind,
                   std::int32_t assignNumber, const std::string& actor, bool* queued = nullptr);

// One notice for queueNotices().
struct NoticeRequest {
    std::string recipient;  // a user name as the record holds it
    NoticeKind kind = NoticeKind::NewWork;
    std::int32_t assignNumber = 0;
};
// Queues many notices caused by `actor` at once, inside the caller's
// transaction, by the same rules as queueNotice(): the mail server is read
// once and each recipient's account and choices once, and the rows are
// written with one Database::addAll(). `queued` (when given) counts the rows.
Status queueNotices(Database& db, const std::vector<NoticeRequest>& notices,
                    const std::string& actor, std::int64_t* queued = nullptr);

// The messages that failed for good, and those waiting after a failed try:
// what the administrators are shown.
Status troubledNotices(Database& db, std::vector<Outbox>& out);

// Whether (date, time) a comes before or is b.
inline bool notAfter(Date aDate, Time aTime, Date bDate, Time bTime) {
    return aDate < bDate || (aDate == bDate && aTime <= bTime);
}

}  // namespace tko
