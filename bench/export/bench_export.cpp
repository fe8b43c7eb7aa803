// The export of 1 000 000 assignments to dBase files, and the Argon2id check
// that every log-in (the command line's included) pays, measured on its own.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchData.h"
#include "data/Password.h"
#include "reports/DbaseExport.h"

namespace tko {
namespace {

void BM_PasswordCheck(benchmark::State& state) {
    setPasswordCost(state.range(0) ? PasswordCost::Interactive : PasswordCost::Minimal);
    const std::string hash = hashPassword("bench-pw");
    for (auto _ : state) benchmark::DoNotOptimize(verifyPassword("bench-pw", hash));
    state.SetLabel(state.range(0) ? "Argon2id, interactive cost" : "Argon2id, minimal cost");
}
BENCHMARK(BM_PasswordCheck)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_DbaseExport(benchmark::State& state) {
    Database& db = bench::assignmentSet(static_cast<int>(state.range(0)));
    Session admin;
    admin.GlobalUser = "SUPERVISOR";
    admin.GlobalUserAccess = 2;
    const std::string out = bench::benchRoot() + "/dbase-out";
    std::filesystem::create_directories(out);
    for (auto _ : state) {
        const DbaseExportResult result = exportToDbase(db, admin, out);
        if (!result.ok()) state.SkipWithError(result.message.c_str());
        benchmark::DoNotOptimize(result.rows[0]);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DbaseExport)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
