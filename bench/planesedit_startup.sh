#!/usr/bin/env bash
# Start-up to a loaded aircraft: planesedit --slot 6 --quit-after-load against
# a bare Qt program that shows a 169 x 5 QTableWidget, both under Xvfb.
#   bash bench/planesedit_startup.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bin=$PWD/$build/bin
ref=$PWD/$build/bench/planesedit_minimal
[ -x "$bin/planesedit" ] && [ -x "$ref" ] || { echo "build planesedit and planesedit_minimal first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/sample/planes.dat" "$work/"
cd "$work"
xvfb-run -a -s "-screen 0 1600x1000x24" hyperfine -N --warmup 3 --runs 20 \
  -n minimal-table "$ref --quit" \
  -n planesedit-load "$bin/planesedit --slot 6 --quit-after-load"
