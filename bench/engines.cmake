# Both storage engines side by side (the server half needs a server: BenchServer.h).
tko_add_bench(bench_engines bench_engines.cpp)
# How a station waits for a server reply: the former spin beside poll().
add_executable(bench_replywait bench_replywait.cpp)
target_link_libraries(bench_replywait PRIVATE PkgConfig::LIBPQ benchmark::benchmark)
tko_target_defaults(bench_replywait)
