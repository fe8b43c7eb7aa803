// Sends one mail through the office's SMTP server with libcurl: UTF-8, a
// plain-text and an HTML part (multipart/alternative), the subject encoded
// for headers. Blocks until the server answered or the time-out passed; any
// thread, one call at a time per object.
#pragma once

#include <string>

#include "data/Notices.h"
#include "notices/NoticeText.h"

namespace tko {

struct SmtpServer {
    std::string host;
    int port = 25;
    MailSecurity security = MailSecurity::None;
    std::string user;      // blank: no log-in
    std::string password;  // in clear, for this call only
    std::string from;      // the sender's address
    int timeoutSeconds = 30;
};

// The server as MAILSETUP names it, with `password` opened by the caller.
SmtpServer smtpServerOf(const MailSetup& setup, const std::string& password);

struct SmtpResult {
    bool ok = false;
    // Whether trying again later may help (a refused connection, a time-out,
    // a 4xx reply) rather than not (a 5xx reply, a bad address).
    bool transient = true;
    std::string error;  // libcurl's and the server's words
};

// The whole message as sent: headers and both parts, CR LF line ends.
// `messageId` (without angle brackets) is kept for every try of the same
// notice, so that a message the server took twice can be told for one.
std::string mimeMessage(const SmtpServer& server, const std::string& to,
                        const std::string& messageId, const NoticeMail& mail);

// Sends `mail` to `to`. A blank or malformed address is refused at once.
SmtpResult sendMail(const SmtpServer& server, const std::string& to, const std::string& messageId,
                    const NoticeMail& mail);

// Whether `address` looks like one mailbox: local part, one '@', a domain
// with a dot or "localhost"; no blanks, angle brackets or line ends.
bool plausibleAddress(const std::string& address);

}  // namespace tko
