#include "support/TestServer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace tko::test {
namespace fs = std::filesystem;

namespace {

// The value of `keyword` in the connection string `info` ("" when absent).
std::string connValue(const std::string& info, const char* keyword) {
    std::string value;
    if (PQconninfoOption* options = PQconninfoParse(info.c_str(), nullptr)) {
        for (PQconninfoOption* o = options; o->keyword; ++o)
            if (std::string(o->keyword) == keyword && o->val) value = o->val;
        PQconninfoFree(options);
    }
    return value;
}

// Takes the lock of the test database `info`, waiting for it when `wait`;
// false when another process holds it (and `wait` is false). The descriptor
// stays open, so the lock lasts until the process ends.
bool holdDatabase(const std::string& info, bool wait) {
    const std::string host = connValue(info, "host");
    std::error_code ec;
    const fs::path folder = !host.empty() && host.front() == '/' && fs::is_directory(host, ec)
                                ? fs::path(host)
                                : fs::temp_directory_path();
    const std::string name = "tko-test-" + connValue(info, "dbname") + "-" +
                             std::to_string(std::hash<std::string>{}(info)) + ".lock";
    const int fd = ::open((folder / name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        ADD_FAILURE() << "cannot lock the test database: " << (folder / name).string();
        return true;
    }
    while (::flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        ::close(fd);
        return false;
    }
    return true;
}

std::string chooseDatabase() {
    const char* given = std::getenv("TKO_TEST_PG");
    if (!given || !*given) return {};
    const std::string info = given;
    const char* slotsText = std::getenv("TKO_TEST_PG_SLOTS");
    const int slots = slotsText ? std::atoi(slotsText) : 0;
    if (slots < 1) {
        holdDatabase(info, true);
        return info;
    }
    // Later keywords of a connection string override earlier ones.
    const std::string base = connValue(info, "dbname");
    auto slot = [&](int n) { return info + " dbname=" + base + "_" + std::to_string(n); };
    for (int n = 1; n <= slots; ++n)
        if (holdDatabase(slot(n), false)) return slot(n);
    // Every database is held: wait for one (more processes than slots).
    const std::string chosen = slot(1 + static_cast<int>(::getpid()) % slots);
    holdDatabase(chosen, true);
    return chosen;
}

}  // namespace

const std::string& serverInfo() {
    static const std::string chosen = chooseDatabase();
    return chosen;
}

}  // namespace tko::test
