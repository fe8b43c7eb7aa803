# Deleting 100 000 of 1 000 000 assignments by date while another station writes.
tko_add_bench(bench_deletion bench_deletion.cpp)
find_package(Threads REQUIRED)
target_link_libraries(bench_deletion PRIVATE Threads::Threads)
