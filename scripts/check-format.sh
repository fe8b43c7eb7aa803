#!/usr/bin/env bash
# Fails, naming the files, when a C++ file of the tree differs from what the
# root .clang-format makes of it. Format with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -ne 0 ]; then
  echo "These files are not formatted (clang-format -i):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "Formatting: ${#files[@]} files as .clang-format wants them."
