# The word search over 100 000 and 1 000 000 assignments, both engines (the
# server half needs TKO_BENCH_PG).
tko_add_bench(bench_search bench_search.cpp)
