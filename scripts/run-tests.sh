#!/usr/bin/env bash
# Runs every test with ctest.
set -euo pipefail
build=${1:-build}
cd "$build"
ctest --output-on-failure -j "$(nproc)"
