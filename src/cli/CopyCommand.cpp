#include "cli/CopyCommand.h"

#include <cstdio>

#include "cli/InitCommand.h"
#include "data/Database.h"
#include "data/OfficeRoles.h"
#include "data/Tables.h"
#include "platform/store/TableCopy.h"

namespace tko {
namespace {

constexpr int kCopyLockTimeoutMs = 3000;

// Ends both transactions without keeping anything and reports `message`.
int abandon(Database& files, Database& server, std::ostream& err, const std::string& message) {
    if (server.engine().transactionDepth() > 0) server.rollback();
    if (files.engine().transactionDepth() > 0) files.rollback();
    err << "taskorbit-cli copy: " << message << "\nNothing was written to the server.\n";
    return 1;
}

}  // namespace

int runCopyCommand(const std::string& directory, const std::string& connInfo, std::ostream& out,
                   std::ostream& err) {
    if (connInfo.empty()) {
        err << "taskorbit-cli copy: name the target with --server CONNINFO\n";
        return 64;
    }
    Status status;
    auto files = Database::open(DataSource{directory, {}}, false, status, kCopyLockTimeoutMs);
    if (!files) {
        err << "taskorbit-cli copy: cannot open the data files in " << directory << ": "
            << status.describe() << "\n";
        return 1;
    }
    auto server = Database::open(DataSource{directory, connInfo}, true, status, kCopyLockTimeoutMs);
    if (!server) {
        err << "taskorbit-cli copy: cannot open the server database: " << status.describe() << "\n";
        return 1;
    }

    // The files stay as they are while the copy runs: no station may write them.
    if (!files->begin({}, kCopyLockTimeoutMs).ok())
        return abandon(
            *files, *server, err,
            "the data files are in use by another station: " + files->lastError().describe());
    std::vector<std::string> labels;
    for (const store::TableDef* table : allTables()) labels.push_back(table->label);
    if (!server->begin(labels, kCopyLockTimeoutMs).ok())
        return abandon(
            *files, *server, err,
            "the server tables are in use by another station: " + server->lastError().describe());

    for (const store::TableDef* table : allTables()) {
        std::int64_t rows = 0;
        if (!server->track(server->engine().count(*table, store::all(), rows)).ok())
            return abandon(*files, *server, err,
                           "cannot count " + table->label +
                               " on the server: " + server->lastError().describe());
        if (rows > 0)
            return abandon(*files, *server, err,
                           "the server database is not empty: " + table->label + " holds " +
                               std::to_string(rows) + " rows. Copy only fills an empty database.");
    }

    std::int64_t total = 0;
    for (const store::TableDef* table : allTables()) {
        std::int64_t copied = 0;
        const Status s = store::copyTableRows(files->engine(), server->engine(), *table, copied);
        if (!s.ok()) {
            server->track(s);
            return abandon(*files, *server, err,
                           "copying " + table->label + " failed: " + s.describe());
        }
        // Every row must have arrived: compare the counts on both sides.
        std::int64_t inFiles = -1, onServer = -2;
        if (!files->track(files->engine().count(*table, store::all(), inFiles)).ok() ||
            !server->track(server->engine().count(*table, store::all(), onServer)).ok())
            return abandon(*files, *server, err, "cannot count the rows of " + table->label);
        if (inFiles != copied || onServer != copied)
            return abandon(*files, *server, err,
                           table->label + ": " + std::to_string(inFiles) + " rows in the files, " +
                               std::to_string(copied) + " copied, " + std::to_string(onServer) +
                               " on the server");
        char line[80];
        std::snprintf(line, sizeof line, "  %-12s %10lld rows\n", table->label.c_str(),
                      static_cast<long long>(copied));
        out << line;
        total += copied;
    }
    if (!server->commit().ok())
        return abandon(*files, *server, err,
                       "the server did not commit: " + server->lastError().describe());
    files->rollback();  // nothing was changed in the files
    out << "Copied " << total << " rows of " << allTables().size() << " tables from " << directory
        << " to the server; every row count matches.\n";
    // A server that enforces the rights gives every copied user his role, with
    // a one-time password; on any other, init does that.
    if (securedServer(*server)) return cli::secureServerOffice(*server, out, err);
    out << "To let the server enforce the rights (a role per user), run taskorbit-cli --server "
           "CONNINFO init as the database owner.\n";
    return 0;
}

}  // namespace tko
