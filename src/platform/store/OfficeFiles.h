// The database files of a data directory seen from outside the engine: what
// each file holds before anything opens it for writing, and which stations
// are working on the office.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tko::store {

enum class FileContent {
    Missing,       // no such file
    Empty,         // zero bytes, or a database without a single table
    Tables,        // a database with tables (ours or not)
    NotADatabase,  // a file the engine cannot read as a database
    Locked,        // another station held the file locked for the whole wait
    Unreadable,    // the file could not be read (permissions, I/O error)
};

struct FileInspection {
    FileContent content = FileContent::Missing;
    std::vector<std::string> tables;
    std::string error;  // why the file could not be read (NotADatabase, Locked, Unreadable)
};

// Looks at the database file at `path` read-only; never writes or creates it.
// While another station holds the file locked (it is writing), waits up to
// `busyTimeoutMs` for it; a file still locked then is Locked, never
// NotADatabase.
FileInspection inspectDatabaseFile(const std::string& path, int busyTimeoutMs = 0);

// True when `directory` and the files named can all be written (files that do
// not exist count as writable when the directory is).
bool writable(const std::string& directory, const std::vector<std::string>& files);

// True when `path` lies on a file system of another machine (NFS, SMB/CIFS,
// a FUSE mount such as sshfs, and the like): there the file watch sees only
// this machine's writes, and other machines' commits show only when a station
// looks. False for local file systems, and when `path` cannot be examined.
bool onNetworkFileSystem(const std::string& path);
// The same for a file system type as statfs() reports it in f_type.
bool isNetworkFileSystemType(long type);

// A station's mark that it works on the office of a data directory: a shared
// lock on the directory's "TKODATA.LCK", held while the object lives. Whoever
// replaces the data files (restore) first takes the lock exclusively, which
// succeeds only while no station holds it.
class StationPresence {
public:
    ~StationPresence();
    StationPresence(const StationPresence&) = delete;
    StationPresence& operator=(const StationPresence&) = delete;

    // Shared: a working station. nullptr with `error` when the office is being
    // replaced at this moment.
    static std::unique_ptr<StationPresence> enter(const std::string& directory, std::string& error);
    // Exclusive: nullptr with `error` while any station works on the office.
    static std::unique_ptr<StationPresence> alone(const std::string& directory, std::string& error);

private:
    explicit StationPresence(int fd) : m_fd(fd) {}
    static std::unique_ptr<StationPresence> take(const std::string& directory, bool exclusive,
                                                 std::string& error);
    int m_fd = -1;
};

}  // namespace tko::store
