# Several stations at once, on each engine: the worker is one station process.
add_executable(station_stress_worker StationStressWorker.cpp)
target_link_libraries(station_stress_worker PRIVATE taskorbit_core)
tko_add_store_test(station_stress_test StationStressTest.cpp)
add_dependencies(station_stress_test station_stress_worker)

# Where a station finds its data (no store needed).
tko_add_gtest(station_settings_test StationSettingsTest.cpp LIBS tko_test_support)

# Moving an office's files onto a server (needs the test server).
add_executable(copy_command_test CopyCommandTest.cpp ${CMAKE_SOURCE_DIR}/src/cli/CopyCommand.cpp)
target_include_directories(copy_command_test PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(copy_command_test PRIVATE tko_test_support GTest::gtest GTest::gtest_main)
gtest_discover_tests(copy_command_test DISCOVERY_TIMEOUT 60 TEST_PREFIX "pg."
                     PROPERTIES LABELS postgres RESOURCE_LOCK tko_postgres)
