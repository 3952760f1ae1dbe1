#!/usr/bin/env bash
# Formats every C++ file of the tree with the root .clang-format.
#   scripts/format.sh          rewrite the files in place
#   scripts/format.sh --check  list the files that differ and exit 1 if any do
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ "${1:-}" == "--check" ]]; then
  bad=0
  for f in "${files[@]}"; do
    if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
      echo "not formatted: $f (run bash scripts/format.sh)" >&2
      bad=1
    fi
  done
  exit "$bad"
fi
clang-format -i "${files[@]}"
