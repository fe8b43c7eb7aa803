# Several stations at once, on each engine: the worker is one station process.
add_executable(station_stress_worker StationStressWorker.cpp)
target_link_libraries(station_stress_worker PRIVATE taskorbit_core)
tko_target_defaults(station_stress_worker)
tko_add_store_test(station_stress_test StationStressTest.cpp)
add_dependencies(station_stress_test station_stress_worker)

# Where a station finds its data (no store needed).
tko_add_gtest(station_settings_test StationSettingsTest.cpp LIBS tko_test_support)
