// The PostgreSQL server of the benchmarks' server halves, found or started the
// same way by every benchmark:
//
//  - TKO_BENCH_PG=<libpq connection string>: that database.
//  - TKO_BENCH_PG=start: a throw-away cluster for this run, started on first
//    use in a temporary folder (as the "postgres" user when run as root, as
//    scripts/run-tests.sh does), listening only on a Unix socket there, and
//    stopped and removed when the program exits. TKO_BENCH_PG is then set to
//    its connection string, so that processes the benchmark starts use the
//    same server instead of starting their own.
//  - unset: no server; serverBase() is empty and the server cases skip.
//
// Every data set lives in a schema of its own in that database (serverSchema-
// Info(), and BenchData.h's openServerSchema()), so that the benchmarks can share one database
// without one's tables standing in the way of another's.
//
// Needs only libpq. Single-threaded: call from the benchmark's thread.
#pragma once

#include <libpq-fe.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tko::bench {

namespace detail {

// The folder of the newest installed PostgreSQL's programs; empty when none.
inline std::string postgresBin() {
    std::string found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        const std::string bin = entry.path().string() + "/bin";
        if (::access((bin + "/initdb").c_str(), X_OK) == 0 &&
            ::access((bin + "/pg_ctl").c_str(), X_OK) == 0 && bin > found)
            found = bin;
    }
    return found;
}

struct ThrowAwayCluster {
    std::string folder;
    std::string asOwner;  // "runuser -u postgres -- " when run as root
    std::string bin;

    ~ThrowAwayCluster() {
        if (folder.empty()) return;
        const std::string stop =
            asOwner + bin + "/pg_ctl -D " + folder + "/data -m immediate -w stop >/dev/null 2>&1";
        if (std::system(stop.c_str()) != 0)
            std::fprintf(stderr, "could not stop %s\n", folder.c_str());
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

// Starts the cluster; the connection string of its database, or empty (and a
// line on stderr) when it could not.
inline std::string startCluster() {
    static ThrowAwayCluster cluster;
    cluster.bin = postgresBin();
    if (cluster.bin.empty()) {
        std::fprintf(stderr, "TKO_BENCH_PG=start: PostgreSQL is not installed\n");
        return {};
    }
    char folder[] = "/tmp/tko-bench-pg-XXXXXX";
    if (!::mkdtemp(folder)) return {};
    cluster.folder = folder;
    const std::string dir = folder;
    if (::geteuid() == 0) {
        cluster.asOwner = "runuser -u postgres -- ";
        if (std::system(("chown postgres " + dir).c_str()) != 0) return {};
    }
    std::filesystem::permissions(dir, std::filesystem::perms(0755));
    const std::string& as = cluster.asOwner;
    const std::string& bin = cluster.bin;
    const auto run = [&](const std::string& command, const char* what) {
        if (std::system(("cd " + dir + " && " + command).c_str()) == 0) return true;
        std::fprintf(stderr, "TKO_BENCH_PG=start: %s failed (see %s)\n", what, dir.c_str());
        return false;
    };
    // Scratch files: no fsync, no full-page writes.
    if (!run(as + bin + "/initdb -D " + dir + "/data -U tko -A trust -E UTF8 --locale=C " +
                 "--no-sync >" + dir + "/initdb.log 2>&1",
             "initdb") ||
        !run(as + bin + "/pg_ctl -D " + dir + "/data -l " + dir + "/server.log -w -t 60 -o \"-k " +
                 dir + " -c listen_addresses='' -c fsync=off -c synchronous_commit=off " +
                 "-c full_page_writes=off -c max_connections=100\" start >/dev/null",
             "pg_ctl start") ||
        !run(bin + "/createdb -h " + dir + " -U tko tko_bench", "createdb"))
        return {};
    return "host=" + dir + " user=tko dbname=tko_bench";
}

}  // namespace detail

// The server database's connection string; empty without a server.
inline const std::string& serverBase() {
    static const std::string base = [] {
        const char* info = std::getenv("TKO_BENCH_PG");
        if (!info || !*info) return std::string();
        if (std::string(info) != "start") return std::string(info);
        std::string started = detail::startCluster();
        if (!started.empty()) ::setenv("TKO_BENCH_PG", started.c_str(), 1);
        return started;
    }();
    return base;
}

// Why the server cases skip when serverBase() is empty.
inline constexpr const char* kNoServer =
    "no server: set TKO_BENCH_PG to a database or to \"start\"";

// The connection string of schema `schema` of the server database.
inline std::string serverSchemaInfo(const std::string& schema) {
    return serverBase() + " options='-csearch_path=" + schema + "'";
}

}  // namespace tko::bench
