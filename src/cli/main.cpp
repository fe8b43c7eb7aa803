// taskorbit-cli: the administrators' and scripts' companion of the program.
// Every command calls the same logic as the windows.
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QStringList>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <QTextStream>

#include "app/DemoOffice.h"
#include "app/FirstRun.h"
#include "app/OfficeOpening.h"
#include "cli/CopyCommand.h"
#include "cli/InitCommand.h"
#include "cli/LangCommand.h"
#include "cli/ReportCommand.h"
#include "cli/ScriptCommands.h"
#include "cli/TerminalText.h"
#include "cli/UserCommand.h"
#include "data/Database.h"
#include "data/Messages.h"
#include "data/StationSettings.h"
#include "platform/IniFiles.h"
#include "platform/store/EngineLog.h"
#include "users/UserAccounts.h"

namespace {

using tko::Database;
using tko::DataSource;
using tko::Status;

constexpr int kCheckLockTimeoutMs = 3000;

void usage(std::ostream& out) {
    out << "usage: taskorbit-cli [--server CONNINFO] COMMAND [ARGS]\n"
           "commands:\n"
           "  init DIR    create DIR when missing and its data files with every table and key\n"
           "  --server CONNINFO init\n"
           "              (the database owner) create the tables on the server and let the\n"
           "              server enforce the rights: a PostgreSQL role per user, with a\n"
           "              one-time password printed once, an owner role, a role per access\n"
           "              level, and row-level security mirroring the program's rights\n"
           "  check DIR   verify every table, key and file, and name persons who share a\n"
           "              user's name; one line per problem, exit 0 only when all is well\n"
           "  restore DIR [--from BK1|BAK]\n"
           "              put the backup copy (default BK1) back as the data files, after\n"
           "              checking it; refused while a station has the office open\n"
           "  demo DIR    create and fill a small demo office in DIR\n"
           "  copy DIR --server CONNINFO\n"
           "              copy the office of DIR into an empty server database\n"
           "  lang export LANGFILE FILE.po | lang import LANGFILE FILE.po\n"
           "              exchange a language file with translators as a PO file\n"
           "  due DIR --user NAME [--order priority|date|person|name] [--secondary yes|no]\n"
           "          [--limit N] [--json]\n"
           "              the user's Assignments Due Now, in the window's orders\n"
           "  unseen DIR --user NAME [--json]      the user's unseen or changed assignments\n"
           "  reminders DIR --user NAME [--json]   the user's current reminders\n"
           "  add DIR --user NAME --person SHORTNAME --name TEXT [--due YYYY-MM-DD]\n"
           "          [--priority 1-9] [--secondary] [--comments TEXT] [--repeat TYPE\n"
           "          [--every N] [--occurrence 1st|2nd|3rd|4th|Last] [--weekday DAY]\n"
           "          [--weekdays DAY,DAY...]] [--json]\n"
           "              add an assignment, as the assignment form does\n"
           "  conclude DIR --user NAME NUMBER [--json]\n"
           "              conclude an assignment (a repeating one moves to its next due date)\n"
           "  find DIR --user NAME TEXT [--json]   what the user may see that holds the words\n"
           "  calendar DIR --user NAME --from YYYY-MM-DD --to YYYY-MM-DD [--secondary yes|no]\n"
           "          [--json]                     due dates, repeats, reminders, anniversaries\n"
           "  export dbase DIR OUTDIR --user NAME   the twelve dBase III files (OUTDIR is made)\n"
           "  export ics DIR FILE --user NAME       the user's open assignments as iCalendar\n"
           "  export csv DIR TABLE FILE --user NAME one table as CSV\n"
           "  import ics|csv|taskwarrior DIR FILE --user NAME [--person SHORTNAME]\n"
           "         [--map FIELD=COLUMN,...] [--batch N] [--preview] [--json]\n"
           "                                        other programs' tasks as assignments\n"
           "  sync caldav DIR --user NAME [--url URL] [--caldav-user NAME]\n"
           "                                        the user's open work with his calendar\n"
           "                                        server (password: TASKORBIT_CALDAV_PASSWORD)\n"
           "  mail DIR --user ADMIN [--send] [--digest]\n"
           "              --digest queues today's daily digests, --send sends the notices\n"
           "              that are due; lists the messages that could not be sent\n"
           "  settings DIR --user ADMIN [--smtp HOST:PORT] [--smtp-security none|starttls|tls]\n"
           "          [--smtp-user NAME] [--from ADDRESS]\n"
           "              the office's mail server; its password from TASKORBIT_SMTP_PASSWORD\n"
           "  prefs DIR --user NAME [--notify-new yes|no] [--notify-changed yes|no]\n"
           "          [--notify-concluded yes|no] [--notify-digest yes|no] [--language CODE]\n"
           "              the user's own notices by mail\n"
           "The commands with --user log in as that user, with the password from\n"
           "TASKORBIT_PASSWORD or asked for, and obey the user's rights. The user\n"
           "commands need a System Administrator:\n"
           "  user unlock DIR NAME --user ADMIN\n"
           "              release a user suspended for password failures\n"
           "  user password DIR NAME --user ADMIN\n"
           "              set a new password (read without echo) that NAME must change\n"
           "              at the next log-in\n"
           "  user add DIR NAME --level 0|1|2 --user ADMIN\n"
           "              add a user (0 General User, 1 People Administrator, 2 System\n"
           "              Administrator); his first password is asked without echo\n"
           "  user rename DIR OLD NEW --user ADMIN\n"
           "              rename a user; every record naming him follows\n"
           "  user delete DIR NAME [--to HEIR] --user ADMIN\n"
           "              delete a user; what he owned goes to HEIR (default ADMIN)\n"
           "  user role DIR NAME --user ADMIN\n"
           "              the PostgreSQL role NAME logs in as on a server office\n"
           "  user recover DIR NAME\n"
           "              reset the System Administrator NAME with the office recovery key\n"
           "              that init printed (from TASKORBIT_RECOVERY_KEY or asked without\n"
           "              echo); prints the next key, the used one is spent\n";
    tko::reportCommandUsage(out);
    out << tko::cli::exitStatusHelp();
    out << "With --server CONNINFO the tables live on that PostgreSQL server and DIR\n"
           "keeps only the settings.\n";
}

struct Options {
    std::string server;
    std::vector<std::string> words;
};

bool parse(int argc, char** argv, Options& options, std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--server") {
            if (i + 1 >= argc) {
                err << "taskorbit-cli: --server needs a connection string\n";
                return false;
            }
            options.server = argv[++i];
        } else if (arg.rfind("--server=", 0) == 0) {
            options.server = arg.substr(9);
        } else {
            options.words.push_back(arg);
        }
    }
    return true;
}

int fail(const std::string& what, const Status& status) {
    std::cerr << "taskorbit-cli: " << what << ": " << tko::cli::terminalText(status) << "\n";
    return 1;
}

bool directoryExists(const std::string& dir) {
    std::error_code ec;
    return std::filesystem::is_directory(dir, ec);
}

int runCheck(const DataSource& source) {
    if (source.serverInfo.empty() && !directoryExists(source.directory)) {
        std::cerr << "taskorbit-cli: the data directory " << source.directory
                  << " does not exist\n";
        return 1;
    }
    Status status;
    auto db = Database::open(source, false, status, kCheckLockTimeoutMs, false);
    if (!db) return fail("cannot open the data", status);
    status = db->probeLock(kCheckLockTimeoutMs);
    if (!status.ok()) return fail("the data is locked by another process", status);
    std::vector<std::string> problems;
    status = db->check(problems);
    if (!status.ok()) return fail("cannot check the data", status);
    // Names that a person and a user share: the files are sound, but the
    // person would be read as the user; also a reason not to say all is well.
    status = tko::userNameCollisions(*db, problems);
    if (!status.ok()) return fail("cannot read the users and people", status);
    // The word search's indexes hold nothing that is not in the tables: they
    // are built anew from the rows, whatever the check found.
    status = db->refreshTextIndexes(true);
    if (!status.ok()) return fail("cannot rebuild the text indexes", status);
    for (const std::string& line : problems) std::cout << line << "\n";
    if (!problems.empty()) return 2;
    std::cout << "All tables and keys are in order.\n";
    return 0;
}

int runDemo(const DataSource& source) {
    if (source.serverInfo.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(source.directory, ec);
        if (ec) {
            std::cerr << "taskorbit-cli: cannot create " << source.directory << ": " << ec.message()
                      << "\n";
            return 1;
        }
    }
    Status status;
    auto db = Database::open(source, true, status);
    if (!db) return fail("cannot create the data files", status);
    const tko::DemoSummary summary = tko::createDemoOffice(*db);
    if (!summary.ok) {
        std::cerr << "taskorbit-cli: demo office not made: " << summary.error << "\n";
        return 1;
    }
    std::cout << "Demo office in "
              << (source.serverInfo.empty() ? source.directory : "the server database") << ": "
              << summary.people << " people, " << summary.assignments << " assignments, "
              << summary.reminders << " reminders.\nLog-ins:\n";
    for (const tko::DemoLogin& login : summary.logins)
        std::cout << "  " << login.userName << " / " << login.password << "  (" << login.role
                  << ")\n";
    return 0;
}

// The user commands work on an existing office only; on a server the
// server's own grants decide whether this connection may write the users.
int runUser(const DataSource& source, const std::vector<std::string>& words) {
    if (words.size() < 3) {
        std::cerr << "usage: taskorbit-cli user ACTION DIR ... (see taskorbit-cli --help)\n";
        return 64;
    }
    if (source.serverInfo.empty() && !directoryExists(source.directory)) {
        std::cerr << "taskorbit-cli: the data directory " << source.directory
                  << " does not exist\n";
        return 1;
    }
    Status status;
    auto db = Database::open(source, false, status, kCheckLockTimeoutMs);
    if (!db) return fail("cannot open the data", status);
    return tko::runUserCommand(*db, std::vector<std::string>(words.begin() + 1, words.end()),
                               tko::terminalSecretReader(std::cerr), std::cout, std::cerr);
}

// "restore DIR [--from BK1|BAK]": the files of a data directory only.
int runRestore(const DataSource& source, const std::vector<std::string>& words) {
    std::string suffix = "BK1";
    if (words.size() == 4 && words[2] == "--from")
        suffix = words[3];
    else if (words.size() != 2) {
        std::cerr << "usage: taskorbit-cli restore DIR [--from BK1|BAK]\n";
        return 64;
    }
    if (!source.serverInfo.empty()) {
        std::cerr << "taskorbit-cli: restore puts back the files of a data directory; this "
                     "station's office lives on a server\n";
        return 1;
    }
    if (!directoryExists(source.directory)) {
        std::cerr << "taskorbit-cli: the data directory " << source.directory
                  << " does not exist\n";
        return 1;
    }
    const tko::RestoreResult result = tko::restoreOffice(source.directory, suffix);
    (result.ok ? std::cout : std::cerr)
        << (result.ok ? "" : "taskorbit-cli: ") << result.message << "\n";
    return result.ok ? 0 : 1;
}

}  // namespace

// True when the command draws pages (report), which needs fonts and painting.
bool drawsPages(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--server") {
            ++i;
            continue;
        }
        if (arg.rfind("--", 0) == 0) continue;
        return arg == "report";
    }
    return false;
}

int main(int argc, char** argv) {
    std::unique_ptr<QCoreApplication> application;
    if (drawsPages(argc, argv)) {
        // A command-line tool never needs a display: draw off screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    // As in the program: the storage engine's own words about a failure go to
    // the user's engine log, the messages carry this program's texts.
    const QString logDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/taskorbit");
    if (QDir().mkpath(logDir))
        tko::store::setEngineLogFile(
            QDir(logDir).filePath(QStringLiteral("engine.log")).toStdString());
    Options options;
    if (!parse(argc, argv, options, std::cerr)) return 64;
    if (options.words.empty() || options.words[0] == "help" || options.words[0] == "--help") {
        usage(options.words.empty() ? std::cerr : std::cout);
        return options.words.empty() ? 64 : 0;
    }
    const std::string& command = options.words[0];
    if (command == "lang") {
        QStringList args;
        for (size_t i = 1; i < options.words.size(); ++i)
            args << QString::fromStdString(options.words[i]);
        QTextStream out(stdout), err(stderr);
        return runLangCommand(args, out, err);
    }
    if (tko::cli::isScriptCommand(command))
        return tko::cli::runScriptCommand(options.words, options.server,
                                          QCoreApplication::applicationDirPath(), std::cin,
                                          std::cout, std::cerr);
    // On a server, init needs no directory: the tables live there.
    const bool serverInit = command == "init" && !options.server.empty();
    if (options.words.size() < 2 && !serverInit &&
        (command == "init" || command == "check" || command == "demo" || command == "copy" ||
         command == "report" || command == "restore")) {
        std::cerr << "taskorbit-cli: " << command << " needs a data directory\n";
        return 64;
    }
    DataSource source;
    // "user ACTION DIR NAME" names the directory after its action.
    const size_t dirWord = command == "user" ? 2 : 1;
    if (options.words.size() > dirWord) source.directory = options.words[dirWord];
    // The option wins over the server named in the station's TASKORBM.INI.
    const QString programDir = QCoreApplication::applicationDirPath();
    source = tko::resolveDataSource(source.directory, options.server,
                                    tko::mainIniPath(programDir).toStdString());

    if (command == "init") return tko::cli::runInitCommand(source, std::cout, std::cerr);
    if (command == "user") return runUser(source, options.words);
    if (command == "check") return runCheck(source);
    if (command == "restore") return runRestore(source, options.words);
    if (command == "demo") return runDemo(source);
    if (command == "report")
        return tko::runReportCommand(
            source, std::vector<std::string>(options.words.begin() + 2, options.words.end()),
            std::cout, std::cerr);
    if (command == "copy") {
        if (options.server.empty()) {
            std::cerr << "taskorbit-cli: copy needs --server CONNINFO naming the target database\n";
            return 64;
        }
        return tko::runCopyCommand(source.directory, source.serverInfo, std::cout, std::cerr);
    }
    std::cerr << "taskorbit-cli: unknown command " << command << "\n";
    usage(std::cerr);
    return 64;
}
