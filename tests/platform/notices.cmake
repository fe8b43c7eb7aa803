# Change notices between stations: the worker is the other station's process.
add_executable(change_notice_worker ChangeNoticeWorker.cpp)
target_link_libraries(change_notice_worker PRIVATE taskorbit_core)
tko_target_defaults(change_notice_worker)
tko_add_store_test(change_notice_test ChangeNoticeTest.cpp)
add_dependencies(change_notice_test change_notice_worker)
