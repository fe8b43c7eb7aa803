#include "cli/ReportCommand.h"

#include <QFile>
#include <QRegularExpression>

#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>

#include "app/Login.h"
#include "cli/TerminalText.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/Picture.h"
#include "reports/ReportEngine.h"
#include "reports/TextReportFile.h"
#include "reports/ui/PagePainter.h"

namespace tko {

namespace {

const std::map<std::string, ReportType>& typeWords() {
    static const std::map<std::string, ReportType> words{
        {"due", ReportType::AssignmentsDue},
        {"reminders", ReportType::CurrentReminders},
        {"lookforward-general", ReportType::LookForwardGeneral},
        {"lookforward-person", ReportType::LookForwardPerson},
        {"lookforward-group", ReportType::LookForwardGroup},
        {"history-general", ReportType::HistoryGeneral},
        {"history-person", ReportType::HistoryPerson},
        {"history-group", ReportType::HistoryGroup},
        {"project", ReportType::ProjectSingle},
        {"projects", ReportType::ProjectAll},
    };
    return words;
}

const std::map<std::string, ListBy>& listByWords() {
    static const std::map<std::string, ListBy> words{
        {"due", ListBy::DueDate},
        {"priority", ListBy::Priority},
        {"person", ListBy::Person},
        {"assigned", ListBy::DateAssigned},
        {"concluded", ListBy::DateConcluded},
        {"name", ListBy::Alphabetically},
    };
    return words;
}

// yyyy-mm-dd, or a date as the locale's short date picture reads it.
std::optional<Date> readDate(const std::string& text, const char* option, std::ostream& err) {
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    const QString typed = QString::fromStdString(text);
    const QRegularExpressionMatch m = iso.match(typed);
    if (m.hasMatch()) {
        const int y = m.captured(1).toInt(), mo = m.captured(2).toInt(), d = m.captured(3).toInt();
        if (mo >= 1 && mo <= 12 && d >= 1 && d <= daysInMonth(y, mo)) {
            const Date date = fromYmd(y, mo, d);
            if (isSupportedDate(date)) return date;
        }
        err << "taskorbit-cli: " << option << " " << text
            << " is not a date from 1801-01-01 to 2099-12-31\n";
        return std::nullopt;
    }
    const Parsed<Date> parsed = parseDate(typed, u"@D17", QString::fromLatin1(option));
    if (!parsed.ok() || parsed.value == 0) {
        err << "taskorbit-cli: " << option << " " << text << ": "
            << (parsed.ok() ? std::string("no date given") : parsed.error.toStdString())
            << " (write dates as yyyy-mm-dd)\n";
        return std::nullopt;
    }
    return parsed.value;
}

std::string readPassword(const std::string& passwordFile, std::ostream& err, bool& ok) {
    ok = true;
    if (!passwordFile.empty()) {
        QFile file(QString::fromStdString(passwordFile));
        if (!file.open(QIODevice::ReadOnly)) {
            err << "taskorbit-cli: cannot read " << passwordFile << "\n";
            ok = false;
            return {};
        }
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
        return line.toStdString();
    }
    if (const char* env = std::getenv("TASKORBIT_PASSWORD")) return env;
    std::string line;
    std::getline(std::cin, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return line;
}

}  // namespace

void reportCommandUsage(std::ostream& out) {
    out << "  report DIR TYPE --user NAME [options] (--pdf FILE | --text FILE)\n"
           "              print a report as the user NAME may see it; TYPE is 1..10 or\n"
           "              due, reminders, lookforward-general, lookforward-person,\n"
           "              lookforward-group, history-general, history-person,\n"
           "              history-group, project, projects, addressbook\n"
           "              options: --list-by due|priority|person|assigned|concluded|name\n"
           "              --person NAME --group NAME --project NAME --start DATE --end DATE\n"
           "              (yyyy-mm-dd) --secondary --due-now --open-only --summary\n"
           "              --general-comments --assignee-comments --confidential-comments\n"
           "              --by-last-name (addressbook) --password-file FILE\n"
           "              (else TASKORBIT_PASSWORD, else the first line of standard input)\n";
}

int runReportCommand(const DataSource& source, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << "taskorbit-cli: report needs a report type\n";
        return 64;
    }
    ReportParams params;
    bool addressBook = false;
    bool byLastName = false;
    bool listByGiven = false;
    const std::string& typeWord = args[0];
    if (typeWord == "addressbook") {
        addressBook = true;
    } else if (const auto it = typeWords().find(typeWord); it != typeWords().end()) {
        params.type = it->second;
    } else if (const ReportTypeInfo* info = reportTypeByNumber(std::atoi(typeWord.c_str()));
               info && std::to_string(std::atoi(typeWord.c_str())) == typeWord) {
        params.type = info->type;
    } else {
        err << "taskorbit-cli: unknown report type " << typeWord << "\n";
        return 64;
    }
    std::string user, passwordFile, pdf, text;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                err << "taskorbit-cli: " << a << " needs a value\n";
                return false;
            }
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--user") {
            if (!value(user)) return 64;
        } else if (a == "--password-file") {
            if (!value(passwordFile)) return 64;
        } else if (a == "--pdf") {
            if (!value(pdf)) return 64;
        } else if (a == "--text") {
            if (!value(text)) return 64;
        } else if (a == "--person" || a == "--group" || a == "--project") {
            if (!value(v)) return 64;
            const int width = a == "--person"  ? kReportPersonWidth
                              : a == "--group" ? kReportGroupWidth
                                               : kReportProjectWidth;
            if (store::utf8Length(v) > width) {
                err << "taskorbit-cli: " << a << " takes at most " << width << " characters\n";
                return 64;
            }
            (a == "--person" ? params.person : a == "--group" ? params.group : params.project) = v;
        } else if (a == "--start" || a == "--end") {
            if (!value(v)) return 64;
            const std::optional<Date> date = readDate(v, a.c_str(), err);
            if (!date) return 64;
            (a == "--start" ? params.startDate : params.endDate) = *date;
        } else if (a == "--list-by") {
            if (!value(v)) return 64;
            const auto it = listByWords().find(v);
            if (it == listByWords().end()) {
                err << "taskorbit-cli: --list-by takes due, priority, person, assigned, "
                       "concluded or name\n";
                return 64;
            }
            params.listBy = it->second;
            listByGiven = true;
        } else if (a == "--secondary") {
            params.includeSecondary = true;
        } else if (a == "--due-now") {
            params.includeDueNow = true;
        } else if (a == "--open-only") {
            params.openOnly = true;
        } else if (a == "--summary") {
            params.summary = true;
        } else if (a == "--general-comments") {
            params.generalComments = true;
        } else if (a == "--assignee-comments") {
            params.assigneeComments = true;
        } else if (a == "--confidential-comments") {
            params.confidentialComments = true;
        } else if (a == "--by-last-name") {
            byLastName = true;
        } else {
            err << "taskorbit-cli: unknown report option " << a << "\n";
            return 64;
        }
    }
    if (pdf.empty() == text.empty()) {
        err << "taskorbit-cli: report needs either --pdf FILE or --text FILE\n";
        return 64;
    }
    if (user.empty()) {
        err << "taskorbit-cli: report needs --user NAME\n";
        return 64;
    }
    if (!addressBook && !listByGiven)
        params.listBy = listByAfterTypeChange(params.type, ListBy::DueDate);
    if (!addressBook) {
        if (!printEnabled(params)) {
            err << "taskorbit-cli: this report needs "
                << (optionsUsedBy(params.type).startDate ? "--start and --end" : "--end") << "\n";
            return 64;
        }
        const std::string wrong = checkReportParams(params);
        if (!wrong.empty()) {
            err << "taskorbit-cli: " << wrong << "\n";
            return 64;
        }
    }

    bool passwordRead = false;
    const std::string password = readPassword(passwordFile, err, passwordRead);
    if (!passwordRead) return 1;
    Status status;
    auto db = Database::open(source, false, status);
    if (!db) {
        err << "taskorbit-cli: cannot open the data: " << cli::terminalText(status) << "\n";
        return 1;
    }
    LoginAttempts login(*db);
    LoggedIn who;
    const Outcome outcome = login.attempt(user, password, who);
    if (!outcome.ok() || who.mustChangePassword) {
        err << "taskorbit-cli: "
            << (outcome.ok() ? std::string("the password must be changed in the program first")
                             : outcome.text)
            << "\n";
        return 1;
    }
    Session session;
    session.GlobalUser = who.userName;
    session.GlobalUserAccess = who.accessLevel;

    std::unique_ptr<PageSink> sink;
    if (!pdf.empty())
        sink = std::make_unique<PdfReportFile>(QString::fromStdString(pdf));
    else
        sink = std::make_unique<TextReportFile>(QString::fromStdString(text));
    ReportEngine engine(*db, session, Clock::today());
    const ReportProgress none;
    const ReportResult result = addressBook ? engine.runAddressBook(byLastName, *sink, none)
                                            : engine.run(params, *sink, none);
    if (!result.done()) {
        err << "taskorbit-cli: " << result.message.toStdString() << "\n";
        return result.outcome == ReportResult::Outcome::Cancelled ? 3 : 1;
    }
    out << "Printed " << result.records << " records on " << result.pages << " pages to "
        << (pdf.empty() ? text : pdf) << "\n";
    return 0;
}

}  // namespace tko
