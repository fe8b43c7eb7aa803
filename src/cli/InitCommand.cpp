#include "cli/InitCommand.h"

#include <filesystem>
#include <ostream>
#include <system_error>

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
        err << "taskorbit-cli: cannot create the data files: " << status.describe() << "\n";
        return 1;
    }
    out << "Created every table and key in "
        << (source.serverInfo.empty() ? source.directory : std::string("the server database"))
        << "\n";
    return 0;
}

}  // namespace tko::cli
