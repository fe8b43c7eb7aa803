#include "cli/NoticeCommands.h"

#include <cstdlib>
#include <optional>

#include "cli/ScriptCommands.h"
#include "cli/TerminalText.h"
#include "data/Notices.h"
#include "notices/NoticeText.h"
#include "notices/OutboxSender.h"

namespace tko::cli {

namespace {

std::optional<bool> yesOrNo(const std::string& text) {
    if (text == "yes") return true;
    if (text == "no") return false;
    return std::nullopt;
}

const char* stateWord(int state) {
    switch (static_cast<OutboxState>(state)) {
        case OutboxState::Queued:
            return "waiting";
        case OutboxState::Sending:
            return "sending";
        case OutboxState::Sent:
            return "sent";
        case OutboxState::GivenUp:
            return "given up";
    }
    return "?";
}

int storeFailed(Database& db, std::ostream& err) {
    err << "taskorbit-cli: " << terminalText(db.lastError()) << "\n";
    return kExitFailed;
}

int runMail(Database& db, const Session& session, const QString& programDir,
            const std::set<std::string>& flags, std::ostream& out, std::ostream& err) {
    if (!session.isSystemAdministrator()) {
        err << "taskorbit-cli: only a System Administrator may run the mail\n";
        return kExitRefused;
    }
    int code = kExitOk;
    if (flags.count("--digest")) {
        int queued = 0;
        if (!queueDailyDigests(db, session.GlobalUser, queued).ok()) return storeFailed(db, err);
        out << "Queued " << queued << " daily digests.\n";
    }
    if (flags.count("--send")) {
        SendReport report;
        if (!sendDueNotices(db, programDir, stationName(), report).ok())
            return storeFailed(db, err);
        if (!report.problem.empty()) {
            err << "taskorbit-cli: " << report.problem << "\n";
            return kExitFailed;
        }
        out << "Sent " << report.sent << ", to be tried again " << report.retrying << ", given up "
            << report.givenUp << ".\n";
        for (const std::string& line : report.errors) err << "taskorbit-cli: " << line << "\n";
        if (!report.errors.empty()) code = kExitFailed;
    }
    std::vector<Outbox> troubled;
    if (!troubledNotices(db, troubled).ok()) return storeFailed(db, err);
    for (const Outbox& row : troubled)
        out << "Not sent: " << store::rtrim(row.RECIPIENT) << ", assignment " << row.ASSIGNNUMBER
            << ", " << stateWord(row.STATE) << " after " << row.TRIES
            << " tries: " << store::rtrim(row.LASTERROR) << "\n";
    return code;
}

// "HOST:PORT" (an IPv6 host in brackets); nothing when it is not one.
std::optional<std::pair<std::string, int>> hostAndPort(const std::string& text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return std::nullopt;
    std::string host = text.substr(0, colon);
    if (host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    const std::string portText = text.substr(colon + 1);
    if (host.empty() || portText.size() > 5 ||
        portText.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    for (unsigned char c : host)
        if (c <= ' ' || c == '/' || c == '@') return std::nullopt;
    const int port = std::atoi(portText.c_str());
    if (port < 1 || port > 65535) return std::nullopt;
    return std::pair{host, port};
}

int runSettings(Database& db, const Session& session, const std::map<std::string, std::string>& v,
                std::ostream& out, std::ostream& err) {
    auto refuse = [&](const std::string& why) {
        err << "taskorbit-cli: " << why << "\n";
        return kExitUsage;
    };
    auto has = [&](const char* option) { return v.count(option) != 0; };
    const char* password = std::getenv(kSmtpPasswordVariable);
    if (!has("--smtp") && !has("--smtp-security") && !has("--smtp-user") && !has("--from") &&
        !password)
        return refuse("settings needs --smtp HOST:PORT or another mail option");
    MailSetup setup;
    if (!readMailSetup(db, setup).ok()) return storeFailed(db, err);
    if (has("--smtp")) {
        const auto server = hostAndPort(v.at("--smtp"));
        if (!server) return refuse("--smtp takes HOST:PORT, the port from 1 to 65535");
        if (int(server->first.size()) > MailSetup::Width::HOST)
            return refuse("the mail server's name is too long");
        setup.HOST = server->first;
        setup.PORT = server->second;
    }
    if (has("--smtp-security")) {
        const std::string word = v.at("--smtp-security");
        if (word == "none")
            setup.SECURITY = int(MailSecurity::None);
        else if (word == "starttls")
            setup.SECURITY = int(MailSecurity::StartTls);
        else if (word == "tls")
            setup.SECURITY = int(MailSecurity::Tls);
        else
            return refuse("--smtp-security is one of none, starttls, tls");
    }
    if (has("--smtp-user")) {
        if (int(v.at("--smtp-user").size()) > MailSetup::Width::USER)
            return refuse("the mail server's user name is too long");
        setup.USER = v.at("--smtp-user");
    }
    if (has("--from")) {
        if (!plausibleAddress(v.at("--from")) ||
            int(v.at("--from").size()) > MailSetup::Width::FROMADDRESS)
            return refuse(v.at("--from") + " is not a sender's e-mail address");
        setup.FROMADDRESS = v.at("--from");
    }
    std::optional<std::string> newPassword;
    if (password) newPassword = std::string(password);
    std::string refusal;
    if (!storeMailSetup(db, session, setup, newPassword, refusal).ok()) return storeFailed(db, err);
    if (!refusal.empty()) {
        err << "taskorbit-cli: " << refusal << "\n";
        return kExitRefused;
    }
    if (!readMailSetup(db, setup).ok()) return storeFailed(db, err);
    static const char* security[] = {"none", "starttls", "tls"};
    out << "Mail server: " << store::rtrim(setup.HOST) << ":" << setup.PORT << ", security "
        << security[setup.SECURITY <= 2 ? setup.SECURITY : 0] << ", user "
        << (store::rtrim(setup.USER).empty() ? "(none)" : store::rtrim(setup.USER)) << ", password "
        << (store::rtrim(setup.PASSWORD).empty() ? "none" : "stored") << ", sender "
        << store::rtrim(setup.FROMADDRESS) << "\n";
    return kExitOk;
}

int runPrefs(Database& db, const Session& session, const std::map<std::string, std::string>& v,
             std::ostream& out, std::ostream& err) {
    NoticePref pref;
    if (!readNoticePref(db, session.GlobalUser, pref).ok()) return storeFailed(db, err);
    const std::pair<const char*, std::uint8_t NoticePref::*> choices[] = {
        {"--notify-new", &NoticePref::NEWWORK},
        {"--notify-changed", &NoticePref::CHANGED},
        {"--notify-concluded", &NoticePref::CONCLUDED},
        {"--notify-digest", &NoticePref::DIGEST}};
    bool any = false;
    for (const auto& [option, member] : choices) {
        const auto it = v.find(option);
        if (it == v.end()) continue;
        const auto value = yesOrNo(it->second);
        if (!value) {
            err << "taskorbit-cli: " << option << " takes yes or no\n";
            return kExitUsage;
        }
        pref.*member = *value ? 1 : 0;
        any = true;
    }
    if (const auto it = v.find("--language"); it != v.end()) {
        if (!it->second.empty() && noticeLanguageFile(QString(), it->second).isEmpty()) {
            err << "taskorbit-cli: --language takes a language code of letters, such as de\n";
            return kExitUsage;
        }
        pref.LANGUAGE = it->second;
        any = true;
    }
    if (!any) {
        err << "taskorbit-cli: prefs needs --notify-new, --notify-changed, --notify-concluded, "
               "--notify-digest or --language\n";
        return kExitUsage;
    }
    std::string refusal;
    if (!storeNoticePref(db, session, pref, refusal).ok()) return storeFailed(db, err);
    if (!refusal.empty()) {
        err << "taskorbit-cli: " << refusal << "\n";
        return kExitRefused;
    }
    auto word = [](int flag) { return flag ? "yes" : "no"; };
    out << "Notices for " << store::rtrim(pref.USERNAME) << ": new " << word(pref.NEWWORK)
        << ", changed " << word(pref.CHANGED) << ", concluded " << word(pref.CONCLUDED)
        << ", digest " << word(pref.DIGEST) << ", language "
        << (store::rtrim(pref.LANGUAGE).empty() ? "en" : store::rtrim(pref.LANGUAGE)) << "\n";
    return kExitOk;
}

}  // namespace

bool isNoticeCommand(const std::string& command) {
    return command == "mail" || command == "settings" || command == "prefs";
}

const std::set<std::string>& noticeValueOptions() {
    static const std::set<std::string> options{
        "--smtp",           "--smtp-security",    "--smtp-user",     "--from",    "--notify-new",
        "--notify-changed", "--notify-concluded", "--notify-digest", "--language"};
    return options;
}

const std::set<std::string>& noticeFlagOptions() {
    static const std::set<std::string> options{"--send", "--digest"};
    return options;
}

int runNoticeCommand(const std::string& command, Database& db, const Session& session,
                     const QString& programDir, const std::map<std::string, std::string>& values,
                     const std::set<std::string>& flags, std::ostream& out, std::ostream& err) {
    if (command == "mail") return runMail(db, session, programDir, flags, out, err);
    if (command == "settings") return runSettings(db, session, values, out, err);
    return runPrefs(db, session, values, out, err);
}

}  // namespace tko::cli
