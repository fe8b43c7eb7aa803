#include "platform/store/OfficeFiles.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tko::store {
namespace fs = std::filesystem;

FileInspection inspectDatabaseFile(const std::string& path, int busyTimeoutMs) {
    FileInspection result;
    std::error_code ec;
    if (!fs::exists(path, ec)) return result;
    if (fs::file_size(path, ec) == 0 && !ec) {
        result.content = FileContent::Empty;
        return result;
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK && busyTimeoutMs > 0) sqlite3_busy_timeout(db, busyTimeoutMs);
    sqlite3_stmt* stmt = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(
            db, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'",
            -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            result.tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    if (rc != SQLITE_DONE) {
        // A station that is writing holds the file locked: that says nothing
        // about what the file is.
        switch (rc & 0xff) {
            case SQLITE_NOTADB:
            case SQLITE_CORRUPT:
                result.content = FileContent::NotADatabase;
                break;
            case SQLITE_BUSY:
            case SQLITE_LOCKED:
                result.content = FileContent::Locked;
                break;
            default:
                result.content = FileContent::Unreadable;
                break;
        }
        result.error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        result.tables.clear();
    } else {
        result.content = result.tables.empty() ? FileContent::Empty : FileContent::Tables;
    }
    sqlite3_close(db);
    return result;
}

bool isNetworkFileSystemType(long type) {
    // The f_type values of linux/magic.h (and of file systems outside the
    // kernel tree) for file systems whose files live on another machine.
    switch (static_cast<unsigned long>(type) & 0xFFFFFFFFUL) {
        case 0x6969UL:      // NFS
        case 0xFF534D42UL:  // CIFS
        case 0xFE534D42UL:  // SMB2 / SMB3
        case 0x517BUL:      // SMB (the old client)
        case 0x564CUL:      // NCP (NetWare)
        case 0x65735546UL:  // FUSE (sshfs, rclone, ...; local ones are rare for office data)
        case 0x01021997UL:  // 9P (v9fs)
        case 0x5346414FUL:  // AFS
        case 0x6B414653UL:  // kAFS
        case 0x00C36400UL:  // CEPH
        case 0x47504653UL:  // GPFS
        case 0x0BD00BD0UL:  // Lustre
        case 0x73757245UL:  // Coda
        case 0x013111A8UL:  // IBRIX
        case 0x19830326UL:  // FhGFS / BeeGFS
            return true;
        default:
            return false;
    }
}

bool onNetworkFileSystem(const std::string& path) {
    struct statfs info {};
    if (::statfs(path.c_str(), &info) != 0) return false;
    return isNetworkFileSystemType(static_cast<long>(info.f_type));
}

bool writable(const std::string& directory, const std::vector<std::string>& files) {
    if (::access(directory.c_str(), W_OK | X_OK) != 0) return false;
    for (const std::string& file : files) {
        const std::string path = (fs::path(directory) / file).string();
        if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) return false;
    }
    return true;
}

StationPresence::~StationPresence() {
    if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
}

std::unique_ptr<StationPresence> StationPresence::take(const std::string& directory, bool exclusive,
                                                       std::string& error) {
    const std::string path = (fs::path(directory) / "TKODATA.LCK").string();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        ::close(fd);
        error = exclusive ? "Another station has the office open"
                          : "The office is being restored from a backup; try again shortly";
        return nullptr;
    }
    return std::unique_ptr<StationPresence>(new StationPresence(fd));
}

std::unique_ptr<StationPresence> StationPresence::enter(const std::string& directory,
                                                        std::string& error) {
    return take(directory, false, error);
}

std::unique_ptr<StationPresence> StationPresence::alone(const std::string& directory,
                                                        std::string& error) {
    return take(directory, true, error);
}

}  // namespace tko::store
