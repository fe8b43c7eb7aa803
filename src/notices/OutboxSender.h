// Sending the outbox (data/Notices.h): any station, and the command line's
// scheduled job, claims the messages that are due, sends them and marks them
// sent.
//
// Never lost, never twice:
// - A claim is a version-checked write of the row (state Sending, the
//   station's name, a claim that ends after kClaimMinutes) in a transaction
//   of its own: of two stations claiming the same row, one write fails and
//   that station leaves the row alone.
// - A station that stops between claiming and marking loses nothing: once
//   its claim has ended, the row is due again and another station claims it.
// - Marking it sent is again version-checked; the claim stays valid for far
//   longer than a send may take (the SMTP time-out).
// - What SMTP cannot promise: a station that stops after the server took the
//   message but before marking it sent makes the next station send it again.
//   Every try of one row carries the same Message-ID, so that mail programs
//   can show such a message once.
// - A failed try is tried again after 1, 2, 4 ... minutes (at most an hour
//   apart); after kMostTries tries, or at once when the server refuses the
//   message for good (a 5xx reply, no address), it is given up and shown to
//   System Administrators with its last error.
//
// On a secured server only stations that read the whole office (System
// Administrators, the office's owner) may read the seal key that opens the
// mail password: the others queue, and leave the sending to those stations
// and to `taskorbit-cli mail DIR --user ADMIN --send`.
//
// GUI-free; one thread at a time per Database. Sending blocks while the
// server answers: a window calls it off the GUI thread, with a Database of
// its own.
#pragma once

#include <QString>

#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Notices.h"
#include "data/Session.h"
#include "notices/SmtpSender.h"

namespace tko {

inline constexpr int kClaimMinutes = 10;
inline constexpr int kMostTries = 8;
inline constexpr const char* kNoMailServer = "No mail server is set up for the office.";
inline constexpr const char* kBadSenderAddress = "The sender's address is not an e-mail address.";
inline constexpr const char* kBadMailPort = "The mail server's port must lie from 1 to 65535.";
inline constexpr const char* kMailPasswordUnreadable =
    "This station cannot read the mail server password.";

// A name for this station's claims: host, process and a random part.
std::string stationName();

// (date, time) moved on by `minutes`.
void addMinutes(Date& date, Time& time, int minutes);
// The wait after the `tries`th failed try: 1, 2, 4 ... minutes, at most 60.
int retryMinutes(int tries);

// Claims the next due row for `station` as of the clock's now: true in `got`
// with the row as claimed, false when none is due.
Status claimNextNotice(Database& db, const std::string& station, Outbox& claimed, bool& got);

struct SendReport {
    int sent = 0;
    int retrying = 0;                 // failed now, tried again later
    int givenUp = 0;                  // failed for good now
    std::vector<std::string> errors;  // one line per failure now
    std::string problem;              // why nothing could be sent at all (translated)
};

// Claims, sends and marks every due row, one after the other, through
// `send` (sendMail() unless a caller gives its own). `programDir` holds the
// language files of the recipients' languages.
Status sendDueNotices(Database& db, const QString& programDir, const std::string& station,
                      SendReport& report);

// Queues today's daily digest for every user who wants one and has had none
// today; a user's digest is queued once a day whichever stations ask (the
// day is written to his NOTICEPREF in the same transaction). `queued` counts.
Status queueDailyDigests(Database& db, const std::string& actor, int& queued);

// The open assignments given to `user` (exactly) that are due on or before
// `day`, in due-date order: what his digest lists.
Status dueWorkOf(Database& db, const std::string& user, Date day, std::vector<Assignment>& out);

// The address notices to `user` go to: the e-mail of his "User" person.
Status addressOf(Database& db, const std::string& user, std::string& address);

// What is wrong with `setup` as the mail settings window would store it,
// translated; empty when nothing is. A blank host turns the mail off and
// needs nothing else.
std::string mailSetupProblem(const MailSetup& setup);

// Sends the test message of the mail settings to `to` with `setup` (and the
// password in clear, as typed or stored); the error text when it failed.
SmtpResult sendTestMessage(const MailSetup& setup, const std::string& password,
                           const std::string& to, const QString& programDir,
                           const std::string& language);

}  // namespace tko
