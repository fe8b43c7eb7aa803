// How a station waits for the server's reply to a page-sized statement: the
// former wait (polling the connection for up to 250 us, then blocking in
// libpq) beside the present one (sleeping in poll() on the socket, as
// PgConnection.cpp's awaitReply does), interleaved in one run so that both
// see the same load. The time column is the user's wait; the processor
// column is what the wait takes from the server and the other stations on
// the same cores.
//
// Needs a server (BenchServer.h: $TKO_BENCH_PG names a database or "start"s a
// throw-away cluster); a table of its own, TKO_BENCH_REPLYWAIT, is made there.
// Without one the cases are skipped.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>

#include "BenchServer.h"

namespace {

PGconn* connection() {
    static PGconn* conn = [] {
        const std::string& info = tko::bench::serverBase();
        if (info.empty()) return static_cast<PGconn*>(nullptr);
        PGconn* c = PQconnectdb(info.c_str());
        if (PQstatus(c) != CONNECTION_OK) return static_cast<PGconn*>(nullptr);
        PQclear(PQexec(c,
                       "SET client_min_messages = warning;"
                       "CREATE TABLE IF NOT EXISTS TKO_BENCH_REPLYWAIT (ID INTEGER PRIMARY KEY, "
                       "NAME TEXT NOT NULL);"
                       "INSERT INTO TKO_BENCH_REPLYWAIT SELECT i, 'Assignment number ' || i "
                       "FROM generate_series(1, 100000) i ON CONFLICT DO NOTHING;"
                       "ANALYZE TKO_BENCH_REPLYWAIT"));
        return c;
    }();
    return conn;
}

// The former wait: spin on the connection for up to 250 us, then block.
void spinThenBlock(PGconn* conn) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(250);
    while (PQisBusy(conn) && PQconsumeInput(conn) != 0 &&
           std::chrono::steady_clock::now() < until) {
    }
}

// The present wait: sleep in poll() until the socket has bytes.
void sleepInPoll(PGconn* conn) {
    while (PQisBusy(conn)) {
        pollfd socket{PQsocket(conn), POLLIN, 0};
        const int ready = ::poll(&socket, 1, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || PQconsumeInput(conn) == 0) break;
    }
}

void BM_ReplyWait(benchmark::State& state) {
    PGconn* conn = connection();
    if (!conn) {
        state.SkipWithError(tko::bench::kNoServer);
        return;
    }
    const bool former = state.range(0) == 0;
    const char* sql =
        "SELECT ID, NAME FROM TKO_BENCH_REPLYWAIT WHERE ID >= $1 ORDER BY ID LIMIT 20";
    int start = 1;
    for (auto _ : state) {
        const std::string from = std::to_string(start);
        const char* params[] = {from.c_str()};
        if (!PQsendQueryParams(conn, sql, 1, nullptr, params, nullptr, nullptr, 0)) {
            state.SkipWithError(PQerrorMessage(conn));
            break;
        }
        former ? spinThenBlock(conn) : sleepInPoll(conn);
        while (PGresult* r = PQgetResult(conn)) PQclear(r);
        start = start > 99000 ? 1 : start + 997;
    }
    state.SetLabel(former ? "spin 250 us, then block (before)" : "poll() on the socket (now)");
}
BENCHMARK(BM_ReplyWait)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
