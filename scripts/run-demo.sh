#!/usr/bin/env bash
# Creates a demo office in the given directory when it is missing, then starts
# the program on it.
set -euo pipefail
build=${1:-build}
dir=${2:-demo-office}
if [ ! -f "$dir/TKODATA.DB" ]; then
  mkdir -p "$dir"
  "$build/bin/taskorbit-cli" demo "$dir"
fi
if [ -x "$build/bin/taskorbm" ]; then
  exec "$build/bin/taskorbm" --data "$dir"
fi
"$build/bin/taskorbit-cli" check "$dir"
