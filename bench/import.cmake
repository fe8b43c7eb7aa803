# Importing Taskwarrior's export, beside Taskwarrior's own `task import`.
tko_add_bench(bench_import import/bench_import.cpp)
