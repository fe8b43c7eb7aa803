# Live lists between stations: commit-to-repaint latency and idle polling cost.
add_executable(bench_notices bench_notices.cpp)
target_link_libraries(bench_notices PRIVATE taskorbit_ui benchmark::benchmark)
tko_target_defaults(bench_notices)
