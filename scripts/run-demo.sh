#!/usr/bin/env bash
# Creates a demo office in the given directory when it is missing, prints its
# log-ins, then starts the program on it.
set -euo pipefail
build=${1:-build}
dir=${2:-demo-office}
if [ ! -f "$dir/TKODATA.DB" ]; then
  mkdir -p "$dir"
  "$build/bin/taskorbit-cli" demo "$dir"
else
  cat <<TEXT
Demo office in $dir. Log-ins:
  SUPERVISOR / super1  (System Administrator)
  ANNA / demo1  (People Administrator)
  BEN / demo1  (General User)
  CARLA / demo1  (General User)
TEXT
fi
exec "$build/bin/taskorbm" --data "$dir"
