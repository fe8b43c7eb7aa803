# Opening Look Forward and History.
tko_add_bench(bench_views bench_views.cpp)
