#include "notices/SmtpSender.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>

#include <curl/curl.h>

#include <cstring>
#include <mutex>

#include "platform/store/Schema.h"

namespace tko {

namespace {

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Base64 in lines of 76 characters, as MIME wants.
std::string base64Lines(const std::string& data) {
    const QByteArray encoded = QByteArray::fromStdString(data).toBase64();
    std::string out;
    for (qsizetype at = 0; at < encoded.size(); at += 76)
        out += encoded.mid(at, 76).toStdString() + "\r\n";
    return out;
}

// An encoded word for a header that may hold other than ASCII.
std::string headerText(const std::string& text) {
    bool ascii = true;
    for (unsigned char c : text)
        if (c >= 0x80 || c < 0x20) ascii = false;
    if (ascii) return text;
    return "=?UTF-8?B?" + QByteArray::fromStdString(text).toBase64().toStdString() + "?=";
}

struct Upload {
    const std::string* data;
    size_t at = 0;
};

size_t readPayload(char* buffer, size_t size, size_t count, void* user) {
    Upload* upload = static_cast<Upload*>(user);
    const size_t room = size * count;
    const size_t left = upload->data->size() - upload->at;
    const size_t n = left < room ? left : room;
    std::memcpy(buffer, upload->data->data() + upload->at, n);
    upload->at += n;
    return n;
}

}  // namespace

SmtpServer smtpServerOf(const MailSetup& setup, const std::string& password) {
    SmtpServer server;
    server.host = store::rtrim(setup.HOST);
    server.port = setup.PORT > 0 ? setup.PORT : 25;
    server.security = setup.SECURITY == 2   ? MailSecurity::Tls
                      : setup.SECURITY == 1 ? MailSecurity::StartTls
                                            : MailSecurity::None;
    server.user = store::rtrim(setup.USER);
    server.password = password;
    server.from = store::rtrim(setup.FROMADDRESS);
    return server;
}

bool plausibleAddress(const std::string& address) {
    const size_t at = address.find('@');
    if (address.empty() || at == 0 || at == std::string::npos || at + 1 >= address.size() ||
        address.find('@', at + 1) != std::string::npos)
        return false;
    for (unsigned char c : address)
        if (c <= ' ' || c == '<' || c == '>' || c == ',' || c == ';' || c == '"' || c == 0x7f)
            return false;
    const std::string domain = address.substr(at + 1);
    return domain == "localhost" ||
           (domain.find('.') != std::string::npos && domain.front() != '.' && domain.back() != '.');
}

std::string mimeMessage(const SmtpServer& server, const std::string& to,
                        const std::string& messageId, const NoticeMail& mail) {
    const std::string boundary = "tko-" + messageId;
    const std::string date =
        QLocale::c()
            .toString(QDateTime::currentDateTime(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss t"))
            .toStdString();
    std::string m;
    m += "Date: " + date + "\r\n";
    m += "From: <" + server.from + ">\r\n";
    m += "To: <" + to + ">\r\n";
    m += "Message-ID: <" + messageId + ">\r\n";
    m += "Subject: " + headerText(mail.subject) + "\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: multipart/alternative; boundary=\"" + boundary + "\"\r\n\r\n";
    m += "--" + boundary + "\r\n";
    m += "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    m += base64Lines(mail.text);
    m += "--" + boundary + "\r\n";
    m += "Content-Type: text/html; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    m += base64Lines(mail.html);
    m += "--" + boundary + "--\r\n";
    return m;
}

SmtpResult sendMail(const SmtpServer& server, const std::string& to, const std::string& messageId,
                    const NoticeMail& mail) {
    SmtpResult result;
    if (!plausibleAddress(to) || !plausibleAddress(server.from)) {
        result.transient = false;
        result.error = "not a valid e-mail address: " + (plausibleAddress(to) ? server.from : to);
        return result;
    }
    initCurlOnce();
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.error = "libcurl could not start";
        return result;
    }
    const std::string scheme = server.security == MailSecurity::Tls ? "smtps://" : "smtp://";
    const std::string url = scheme + server.host + ":" + std::to_string(server.port);
    const std::string payload = mimeMessage(server, to, messageId, mail);
    const std::string from = "<" + server.from + ">";
    const std::string rcpt = "<" + to + ">";
    curl_slist* recipients = curl_slist_append(nullptr, rcpt.c_str());
    Upload upload{&payload, 0};
    char errorText[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readPayload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(server.timeoutSeconds));
    if (server.security == MailSecurity::StartTls)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!server.user.empty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, server.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, server.password.c_str());
    }
    const CURLcode code = curl_easy_perform(curl);
    long reply = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply);
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);
    if (code == CURLE_OK) {
        result.ok = true;
        result.transient = false;
        return result;
    }
    result.error = std::string(curl_easy_strerror(code));
    if (errorText[0]) result.error += ": " + std::string(errorText);
    if (reply) result.error += " (server reply " + std::to_string(reply) + ")";
    // A permanent refusal (5xx) of the sender or recipient will not change.
    result.transient = !(reply >= 500 && reply < 600);
    return result;
}

}  // namespace tko
