# Reading and drawing the Calendar window's month (links the window library).
add_executable(bench_calendar bench_calendar.cpp)
target_link_libraries(bench_calendar PRIVATE taskorbit_ui benchmark::benchmark)
tko_target_defaults(bench_calendar)
