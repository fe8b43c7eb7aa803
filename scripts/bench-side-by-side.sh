#!/usr/bin/env bash
# Runs one benchmark program of two builds in turn with the same arguments:
# the former (a build of an earlier commit) and the present one, each case
# once from each build, former first, with the machine's load before each
# run, and prints the benchmark lines of both one under the other.
#
# usage: scripts/bench-side-by-side.sh FORMER_BUILD_DIR BUILD_DIR PROGRAM [benchmark arguments...]
#   e.g. scripts/bench-side-by-side.sh ../main/build build bench_store --benchmark_filter=BulkAdd/100000/1
#
# A former build: mkdir ../former && git archive COMMIT | tar -x -C ../former,
# then configure and build PROGRAM there as the README says.
set -euo pipefail
if [ $# -lt 3 ]; then
  sed -n '2,11p' "$0" >&2
  exit 2
fi
former=$1/bin/$3
present=$2/bin/$3
shift 3
for program in "$former" "$present"; do
  [ -x "$program" ] || { echo "bench-side-by-side: $program is not built" >&2; exit 1; }
done
for program in "$former" "$present"; do
  label=$([ "$program" = "$former" ] && echo former || echo present)
  echo "== $label: $program"
  echo "   load: $(uptime | sed 's/.*load average: //')"
  "$program" "$@" 2>&1 | grep -E '^BM_' | sed "s/^/   /"
done
