#!/usr/bin/env bash
# Prepares the side-by-side timing of "taskorbit-cli due" against Taskwarrior
# 2.6 (Debian package taskwarrior, a yardstick only, not a dependency):
#   - an office of 100 000 assignments over 200 people in $ROOT/office
#   - the same assignments imported into a Taskwarrior data folder $ROOT/task
# Then time, as whole processes, for example with /usr/bin/time -v:
#   TASKORBIT_PASSWORD=bench-pw BUILD/bin/taskorbit-cli due $ROOT/office --user P017 --limit 20
#   TASKRC=$ROOT/taskrc TASKDATA=$ROOT/task task +P017 due.before:tomorrow limit:20 list
# Usage: setup_due_comparison.sh BUILD_DIR [ROOT]
set -euo pipefail
build=${1:?usage: setup_due_comparison.sh BUILD_DIR [ROOT]}
root=${2:-/tmp/tko-due-bench}
rm -rf "$root"
mkdir -p "$root/task"
"$build/bin/make_bench_office" "$root/office" 100000 "$root/tasks.json"
cat > "$root/taskrc" <<RC
data.location=$root/task
confirmation=no
verbose=nothing
hooks=off
recurrence=off
RC
TASKRC="$root/taskrc" TASKDATA="$root/task" task import "$root/tasks.json" > /dev/null
echo "ready: $root"
