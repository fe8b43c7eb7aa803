# Opening a project's assignment list.
tko_add_bench(bench_projects bench_projects.cpp)
