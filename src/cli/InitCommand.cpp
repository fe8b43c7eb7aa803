#include "cli/InitCommand.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "app/FirstRun.h"
#include "cli/TerminalText.h"
#include "data/Messages.h"
#include "platform/store/PgEngine.h"
#include "platform/store/PgRoles.h"
#include "users/RecoveryKey.h"

namespace tko::cli {

namespace {

// Long enough for a station that holds the files for a moment.
constexpr int kInitLockTimeoutMs = 3000;

}  // namespace

int runInitCommand(const DataSource& source, std::ostream& out, std::ostream& err) {
    if (source.serverInfo.empty()) {
        if (source.directory.empty()) {
            err << "taskorbit-cli: init needs a data directory\n";
            return 1;
        }
        std::error_code ec;
        std::filesystem::create_directories(source.directory, ec);
        // create_directories reports no error when the path exists as a file.
        if (ec || !std::filesystem::is_directory(source.directory)) {
            err << "taskorbit-cli: cannot create the data directory " << source.directory
                << (ec ? ": " + ec.message() : std::string(": a file of that name exists")) << "\n";
            return 1;
        }
    }
    Status status;
    auto db = Database::open(source, true, status, kInitLockTimeoutMs);
    if (!db) {
        err << "taskorbit-cli: cannot create the data files: "
            << cli::terminalText(status, source.directory) << "\n";
        return 1;
    }
    out << "Created every table and key in "
        << (source.serverInfo.empty() ? source.directory : std::string("the server database"))
        << "\n";
    // One key per office: an office that has one keeps it (init on an
    // existing office only completes its tables); one made before keys
    // existed gets its first.
    bool has = false;
    if (!hasRecoveryKey(*db, has).ok()) {
        err << "taskorbit-cli: cannot read the recovery key: " << cli::terminalText(db->lastError())
            << "\n";
        return 1;
    }
    if (!has) {
        std::string key;
        const Outcome made = createRecoveryKey(*db, key);
        if (!made.ok()) {
            err << "taskorbit-cli: " << outcomeLine(made) << "\n";
            return 1;
        }
        out << "Office recovery key (shown only now; keep it safe, away from the data):\n  " << key
            << "\nWith it, taskorbit-cli user recover DIR NAME resets a System Administrator "
               "whom nobody else can let back in.\n";
    }
    if (source.serverInfo.empty()) return 0;
    // Once the server enforces the rights, the stations' gate cannot write
    // the first records: init writes them now (the first account then gets
    // its role and one-time password with the others).
    SystemPref settings;
    StartupResult step = ensureSystemPref(*db, settings, source);
    if (step.ok) step = ensureFirstAccount(*db);
    if (step.ok) step = ensureAllUsersGroup(*db);
    if (!step.ok) {
        err << "taskorbit-cli: " << step.error << "\n";
        return 1;
    }
    return secureServerOffice(*db, out, err);
}

int secureServerOffice(Database& db, std::ostream& out, std::ostream& err) {
    auto* server = dynamic_cast<store::PgEngine*>(&db.engine());
    if (!server) return 0;
    std::string gatePassword;
    std::vector<std::pair<std::string, std::string>> users;
    const Status s = store::secureOffice(*server, allTables(), gatePassword, users);
    if (!s.ok()) {
        err << "taskorbit-cli: the server cannot enforce the rights: " << s.describe()
            << "\n(init must be run by the owner of the database, who may create roles)\n";
        return 1;
    }
    const std::string database = server->databaseName();
    out << "The server enforces the rights: each user logs in with his own role.\n";
    if (gatePassword.empty())
        out << "Every table is covered; the stations still connect before the log-in as "
            << store::gateRoleName(database) << " with the password they have.\n";
    else
        out << "Stations connect before the log-in as " << store::gateRoleName(database)
            << " with the password " << gatePassword
            << "\n(put user=... password=... into the stations' connection string).\n";
    if (!users.empty())
        out << "One-time passwords (shown only now; each must be changed at the first log-in):\n";
    for (const auto& [name, password] : users)
        out << "  " << name << " (role " << store::userRoleName(database, name) << "): " << password
            << "\n";
    return 0;
}

}  // namespace tko::cli
