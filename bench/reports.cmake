# A Look Forward (General) report of 100 000 assignments to PDF and to text.
tko_add_bench(bench_reports bench_reports.cpp)
target_link_libraries(bench_reports PRIVATE taskorbit_paint)
