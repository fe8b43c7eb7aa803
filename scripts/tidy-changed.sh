#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy on the C++ sources that differ
# from a base commit: changed .cpp files, and the .cpp beside each changed
# header. Needs a configured build folder (its compile_commands.json). Fails
# when clang-tidy reports anything.
#
# The base, when not given: on a branch, where it left main (git merge-base);
# on main itself (as CI checks it out), the state of main before its latest
# merge, so that the change that merge brought is checked; without any merge
# the commit before the last.
#
# usage: scripts/tidy-changed.sh [BUILD_DIR] [BASE]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
base=${2:-${TKO_TIDY_BASE:-}}

if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy-changed: $build/compile_commands.json is missing; configure $build first" >&2
  exit 1
fi
if ! command -v clang-tidy >/dev/null; then
  echo "tidy-changed: clang-tidy is not installed (Debian package clang-tidy)" >&2
  exit 1
fi

if [ -z "$base" ]; then
  head=$(git rev-parse HEAD)
  main=$(git rev-parse -q --verify refs/heads/main || true)
  if [ -n "$main" ] && [ "$main" != "$head" ]; then
    base=$(git merge-base HEAD "$main")
  else
    merge=$(git rev-list --first-parent --merges -n 1 HEAD)
    if [ -n "$merge" ]; then
      base=$(git rev-parse "$merge^1")
    else
      base=$(git rev-parse -q --verify HEAD~1 || echo "$head")
    fi
  fi
fi

# The sources the build knows, so that only compiled files are checked.
known=$(python3 -c '
import json, os, sys
for entry in json.load(open(sys.argv[1])):
    print(os.path.realpath(os.path.join(entry["directory"], entry["file"])))
' "$build/compile_commands.json" | sort -u)

files=()
while IFS= read -r path; do
  [ -n "$path" ] || continue
  case "$path" in
    *.h) path="${path%.h}.cpp" ;;
    *.cpp) ;;
    *) continue ;;
  esac
  [ -f "$path" ] || continue
  full=$(realpath "$path")
  grep -qxF "$full" <<<"$known" || continue
  case " ${files[*]-} " in *" $path "*) continue ;; esac
  files+=("$path")
done < <(git diff --name-only --diff-filter=ACMR "$base" -- src tests bench)

if [ ${#files[@]} -eq 0 ]; then
  echo "tidy-changed: no C++ source changed since $(git rev-parse --short "$base")"
  exit 0
fi
echo "tidy-changed: ${#files[@]} files changed since $(git rev-parse --short "$base")"
# The build turns warnings into errors; clang's own warnings beyond GCC's are
# not what this check is about.
printf '%s\n' "${files[@]}" |
  xargs -P "$(nproc)" -n 1 clang-tidy -p "$build" --quiet --extra-arg=-Wno-error \
    --extra-arg=-Wno-unknown-warning-option
echo "tidy-changed: clean"
