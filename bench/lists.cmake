# Opening the due-now, unseen and current-reminders lists.
tko_add_bench(bench_lists bench_lists.cpp)
