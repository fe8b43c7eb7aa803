// The embedded engine's backup: both files mirrored page for page while other
// stations go on writing, made consistent under one short read lock, and
// checked before they replace the last copy.
#include "platform/store/SqliteEngine.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>
#include <vector>

#include "platform/store/NameCollation.h"
#include "platform/store/SqliteDetail.h"

namespace tko::store {
using namespace sqlitedetail;

namespace fs = std::filesystem;

namespace {

// The names of the tables in `schema` and their row counts, read with `db`.
int countRows(sqlite3* db, const std::string& schema, std::map<std::string, std::int64_t>& out) {
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = "SELECT name FROM \"" + schema +
                            "\".sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'";
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return rc;
    std::vector<std::string> names;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) return rc;
    for (const std::string& name : names) {
        const std::string count = "SELECT count(*) FROM \"" + schema + "\".\"" + name + "\"";
        rc = sqlite3_prepare_v2(db, count.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) return rc;
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) out[name] = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_ROW) return rc;
    }
    return SQLITE_OK;
}

// Checks a finished copy on its own: the engine's structural check of every
// page and record, and the row count of every table against the counts of the
// moment it was copied. The full integrity check (each index entry against its
// row) takes 25 times as long (10 s on 100 000 assignments) and would keep
// closing from ending in reasonable time; the copy is written page by page
// from a sound file, so the structural check is what can catch a bad copy.
Status checkCopy(const std::string& path, const std::map<std::string, std::int64_t>& expected) {
    sqlite3* copy = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &copy, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK) rc = registerNameCollation(copy);
    if (rc != SQLITE_OK) {
        Status s = mapOpenError(copy, rc, path);
        sqlite3_close(copy);
        return s;
    }
    std::string problem;
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(copy, "PRAGMA quick_check", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const std::string line = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            if (line != "ok" && problem.empty()) problem = line;
        }
        sqlite3_finalize(stmt);
    }
    std::map<std::string, std::int64_t> counts;
    if (rc == SQLITE_DONE) rc = countRows(copy, "main", counts);
    if (rc != SQLITE_OK && rc != SQLITE_DONE && problem.empty()) problem = sqlite3_errmsg(copy);
    sqlite3_close(copy);
    if (problem.empty() && counts != expected)
        problem = "the row counts differ from those of the data file";
    if (!problem.empty())
        return Status::error(kInvalidKeyFile,
                             "The backup copy " + path + " is damaged: " + problem);
    return Status::success();
}

// A copy of one open database file, made from the engine's own file handle
// (a second descriptor on the file would drop the process's locks when it is
// closed). The file is read in chunks only while the caller holds a read lock
// on it, so each chunk is as some commit left it; the hash of every chunk
// copied lets a later pass rewrite just the chunks that changed since.
class FileMirror {
public:
    static constexpr std::int64_t kChunk = 64 * 1024;  // a multiple of every page size

    FileMirror(sqlite3* db, const char* schema, std::string target)
        : m_db(db), m_schema(schema), m_target(std::move(target)), m_buffer(kChunk) {}
    ~FileMirror() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileMirror(const FileMirror&) = delete;
    FileMirror& operator=(const FileMirror&) = delete;

    Status open() {
        if (sqlite3_file_control(m_db, m_schema, SQLITE_FCNTL_FILE_POINTER, &m_source) !=
                SQLITE_OK ||
            !m_source || !m_source->pMethods)
            return Status::error(
                kEngineError, std::string("The ") + m_schema + " data file is not open for a copy");
        m_fd = ::open(m_target.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (m_fd < 0)
            return Status::error(kAccessDenied,
                                 "Cannot write " + m_target + ": " + std::strerror(errno));
        return Status::success();
    }

    // The commit counter in the file's header; changes with every commit.
    Status changeCounter(std::uint32_t& out) {
        unsigned char header[4] = {};
        const int rc = m_source->pMethods->xRead(m_source, header, 4, 24);
        if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ)
            return Status::engine(kEngineError, rc, sqlite3_errstr(rc));
        out = (std::uint32_t{header[0]} << 24) | (std::uint32_t{header[1]} << 16) |
              (std::uint32_t{header[2]} << 8) | header[3];
        return Status::success();
    }

    bool copiedAll() const { return m_size >= 0 && m_next * kChunk >= m_size; }

    // Copies the chunks not yet copied, until `until` passes (at least one).
    Status copyOn(std::chrono::steady_clock::time_point until) {
        Status s = readSize();
        while (s.ok() && !copiedAll()) {
            s = sync(m_next, true);
            ++m_next;
            if (std::chrono::steady_clock::now() >= until) break;
        }
        return s;
    }

    // Brings every chunk up to the file as it is now: reads it all and
    // rewrites the chunks whose contents differ from what was copied.
    Status catchUp() {
        Status s = readSize();
        const std::int64_t chunks = (m_size + kChunk - 1) / kChunk;
        for (std::int64_t i = 0; s.ok() && i < chunks; ++i)
            s = sync(i, i >= static_cast<std::int64_t>(m_hashes.size()));
        m_next = chunks;
        if (s.ok() && ::ftruncate(m_fd, m_size) != 0)
            s = Status::error(kAccessDenied,
                              "Cannot write " + m_target + ": " + std::strerror(errno));
        m_hashes.resize(static_cast<std::size_t>(chunks));
        return s;
    }

    // Writes the copy to disk and closes it.
    Status finish() {
        const bool synced = ::fsync(m_fd) == 0;
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        if (!synced || !closed)
            return Status::error(kAccessDenied,
                                 "Cannot write " + m_target + ": " + std::strerror(errno));
        return Status::success();
    }

private:
    Status readSize() {
        sqlite3_int64 size = 0;
        const int rc = m_source->pMethods->xFileSize(m_source, &size);
        if (rc != SQLITE_OK) return Status::engine(kEngineError, rc, sqlite3_errstr(rc));
        m_size = size;
        return Status::success();
    }

    // Reads chunk `i` and writes it when `always` or when it differs from the
    // chunk copied there before.
    Status sync(std::int64_t i, bool always) {
        const std::int64_t offset = i * kChunk;
        const int bytes = static_cast<int>(std::min(kChunk, m_size - offset));
        const int rc = m_source->pMethods->xRead(m_source, m_buffer.data(), bytes, offset);
        if (rc != SQLITE_OK) return Status::engine(kEngineError, rc, sqlite3_errstr(rc));
        const Hash hash = hashOf(m_buffer.data(), static_cast<std::size_t>(bytes));
        const auto index = static_cast<std::size_t>(i);
        if (index >= m_hashes.size()) m_hashes.resize(index + 1);
        if (!always && m_hashes[index] == hash) return Status::success();
        m_hashes[index] = hash;
        if (::pwrite(m_fd, m_buffer.data(), static_cast<std::size_t>(bytes), offset) != bytes)
            return Status::error(kAccessDenied,
                                 "Cannot write " + m_target + ": " + std::strerror(errno));
        return Status::success();
    }

    // Two independent 64-bit multiply-rotate lanes over the chunk's words.
    struct Hash {
        std::uint64_t a = 0, b = 0;
        bool operator==(const Hash& o) const { return a == o.a && b == o.b; }
    };
    static Hash hashOf(const unsigned char* data, std::size_t bytes) {
        Hash h{0x243F6A8885A308D3ULL ^ bytes, 0x13198A2E03707344ULL};
        std::size_t i = 0;
        for (; i + 8 <= bytes; i += 8) {
            std::uint64_t w;
            std::memcpy(&w, data + i, 8);
            const std::uint64_t x = h.a ^ (w * 0x9E3779B97F4A7C15ULL);
            h.a = (x << 31 | x >> 33) * 0xC2B2AE3D27D4EB4FULL;
            h.b = (h.b + (w ^ 0xA0761D6478BD642FULL)) * 0xE7037ED1A0B428DBULL;
            h.b ^= h.b >> 29;
        }
        for (; i < bytes; ++i) h.a = (h.a ^ data[i]) * 0x100000001B3ULL;
        return h;
    }

    sqlite3* m_db;
    const char* m_schema;
    std::string m_target;
    sqlite3_file* m_source = nullptr;
    int m_fd = -1;
    std::int64_t m_size = -1;
    std::int64_t m_next = 0;  // the first chunk pass one has not copied
    std::vector<unsigned char> m_buffer;
    std::vector<Hash> m_hashes;
};

}  // namespace

Status SqliteEngine::backup(const std::string& dataPath, const std::string& usersPath) {
    if (m_depth > 0) return Status::error(kTransactionError, "Cannot back up inside a transaction");
    using Clock = std::chrono::steady_clock;
    const std::string seconds = std::to_string((m_options.backupBudgetMs + 999) / 1000);
    std::error_code ec;
    auto removeTargets = [&] {
        for (const std::string& p : {dataPath, usersPath}) {
            fs::remove(p, ec);
            fs::remove(p + "-journal", ec);
        }
    };
    // The targets are the caller's temporary names: whatever lies there is an
    // earlier attempt's leftover. One that cannot be removed blocks the copy.
    for (const std::string& p : {dataPath, usersPath}) {
        fs::remove(p, ec);
        if (ec) return Status::error(kAccessDenied, "Cannot replace " + p + ": " + ec.message());
        fs::remove(p + "-journal", ec);
    }

    // A read transaction over both files: while it is open no station can
    // commit (a station that wants to waits, and new readers wait for it), so
    // what is read from the files meanwhile is one moment of the office. It
    // waits for other stations' locks for at most the backup budget.
    auto lockBoth = [&]() -> Status {
        setBusyTimeout(m_options.backupBudgetMs);
        Status s = exec("BEGIN");
        if (s.ok()) {
            m_depth = 1;
            s = exec("SELECT count(*) FROM main.sqlite_master");
            if (s.ok()) s = exec("SELECT count(*) FROM users.sqlite_master");
        }
        setBusyTimeout(m_options.busyTimeoutMs);
        if (s.code == kFileLocked)
            s = Status::error(kFileLocked, "Other stations kept the data locked for " + seconds +
                                               " seconds; no backup was made");
        return s;
    };
    auto unlock = [&] {
        if (m_depth > 0) exec("ROLLBACK");
        m_depth = 0;
    };
    auto fail = [&](Status failed) {
        unlock();
        removeTargets();
        return failed;
    };

    FileMirror data(m_db, "main", dataPath), users(m_db, kUsersSchema, usersPath);
    Status s = data.open();
    if (s.ok()) s = users.open();
    if (!s.ok()) return fail(s);

    // Pass one copies the data file in slices (a tenth of a second), each
    // under its own read lock, so that other stations' commits go through
    // between slices however large the file is. A commit between two slices
    // may have changed chunks already copied; the header's commit counter
    // tells whether any did.
    const auto slice = std::chrono::milliseconds(m_options.backupSliceMs);
    std::uint32_t first = 0, dataCounter = 0;
    bool changed = false, started = false;
    while (!data.copiedAll()) {
        s = lockBoth();
        if (s.ok()) s = data.changeCounter(dataCounter);
        if (!s.ok()) return fail(s);
        if (!started) first = dataCounter;
        changed = changed || dataCounter != first;
        started = true;
        s = data.copyOn(Clock::now() + slice);
        unlock();
        if (!s.ok()) return fail(s);
        // Room for a station waiting to commit to take the lock.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    // The last step holds one read lock: the chunks changed by commits since
    // they were copied are rewritten, the small users file is copied whole,
    // and the row counts the copies must show are taken, all of one moment.
    s = lockBoth();
    if (s.ok()) s = data.changeCounter(dataCounter);
    if (!s.ok()) return fail(s);
    // Without a commit since the first slice the copy is whole already.
    if (changed || dataCounter != first) s = data.catchUp();
    if (s.ok()) s = users.copyOn(Clock::time_point::max());
    std::map<std::string, std::int64_t> dataCounts, usersCounts;
    if (s.ok()) {
        int rc = countRows(m_db, "main", dataCounts);
        if (rc == SQLITE_OK) rc = countRows(m_db, kUsersSchema, usersCounts);
        if (rc != SQLITE_OK) s = failure(rc);
    }
    unlock();
    if (s.ok()) s = data.finish();
    if (s.ok()) s = users.finish();
    if (s.ok()) s = checkCopy(dataPath, dataCounts);
    if (s.ok()) s = checkCopy(usersPath, usersCounts);
    if (!s.ok()) removeTargets();
    return s;
}

}  // namespace tko::store
