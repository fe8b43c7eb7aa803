# The closing backup of a large office under a writing station.
tko_add_bench(bench_backup bench_backup.cpp)
