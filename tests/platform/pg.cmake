# Tests of the server engine alone; they need the test server (TKO_TEST_PG),
# hence the label "postgres_core" (the core tests of the server half).
add_executable(pg_engine_test PgEngineTest.cpp)
target_link_libraries(pg_engine_test PRIVATE tko_test_support GTest::gtest GTest::gtest_main)
tko_target_defaults(pg_engine_test)
add_dependencies(core_tests pg_engine_test)
gtest_discover_tests(pg_engine_test DISCOVERY_TIMEOUT 60 TEST_PREFIX "pg."
                     PROPERTIES LABELS postgres_core)
