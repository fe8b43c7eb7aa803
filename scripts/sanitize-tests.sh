#!/usr/bin/env bash
# Builds the core and its headless tests (the target core_tests) with
# AddressSanitizer and UndefinedBehaviorSanitizer in a build folder of their
# own, and runs them on both storage engines through scripts/run-tests.sh
# (the tests labelled "core" and "postgres_core"). A sanitizer's report ends
# the process that met it with a failure, so the test fails.
#
# Optimised at -O1 with line tables only: the build stays short on two cores
# and the reports still name file and line. Warnings are not errors here: the
# normal build holds them at zero, and the sanitizers' instrumentation makes
# GCC warn about code that is sound.
#
# TKO_SANITIZE_TARGETS names the test binaries to build and run (default: the
# target core_tests, every one of them); only the tests of binaries built are
# listed, so ctest runs just those.
#
# usage: scripts/sanitize-tests.sh [BUILD_DIR] [extra ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
shift || true

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DTKO_SANITIZE=ON -DTKO_WERROR=OFF -DTKO_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null

# Leaks are reported too; a report names the whole stack. The test binaries
# list their tests during the build, so the options hold there as well.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:check_initialization_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
read -r -a targets <<<"${TKO_SANITIZE_TARGETS:-core_tests}"
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
scripts/run-tests.sh "$build" -L core "$@"
