# Both storage engines side by side (the server half needs TKO_BENCH_PG).
tko_add_bench(bench_engines bench_engines.cpp)
