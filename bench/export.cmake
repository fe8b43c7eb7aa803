# The exports and the command line: the dBase export of 1 000 000
# assignments, the password check on its own, and the office that the
# whole-process timing of "taskorbit-cli due" runs on.
tko_add_bench(bench_export export/bench_export.cpp)
target_include_directories(bench_export PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
tko_add_bench(make_bench_office export/make_office.cpp)
target_include_directories(make_bench_office PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
