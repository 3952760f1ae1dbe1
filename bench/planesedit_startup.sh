#!/usr/bin/env bash
# Start-up to a loaded aircraft: planesedit --slot 6 --quit-after-load against
# a bare Qt program that shows a 169 x 5 QTableWidget, both under Xvfb; then
# the peak resident memory of both (median of RUNS_MEMORY runs, default 9) and
# their ratio.
#   bash bench/planesedit_startup.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bin=$PWD/$build/bin
ref=$PWD/$build/bench/planesedit_minimal
[ -x "$bin/planesedit" ] && [ -x "$ref" ] || { echo "build planesedit and planesedit_minimal first" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" "$@"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/sample/planes.dat" "$work/"
cd "$work"
export XDG_CONFIG_HOME="$work/config" # no remembered game folder of the user's
export QT_LOGGING_RULES='*=false'
hyperfine -N --warmup 3 --runs "${RUNS:-20}" \
  -n minimal-table "$ref --quit" \
  -n planesedit-load "$bin/planesedit --slot 6 --quit-after-load"

# Peak resident set size in KiB of one command, median of the runs.
peak() {
  local values=() out
  out=$(mktemp)
  for ((i = 0; i < ${RUNS_MEMORY:-9}; i++)); do
    /usr/bin/time -f %M -o "$out" "$@" >/dev/null 2>&1
    values+=("$(tail -1 "$out")")
  done
  rm -f "$out"
  printf '%s\n' "${values[@]}" | sort -n | sed -n "$(((${#values[@]} + 1) / 2))p"
}
minimal=$(peak "$ref" --quit)
editor=$(peak "$bin/planesedit" --slot 6 --quit-after-load)
awk -v e="$editor" -v m="$minimal" \
  'BEGIN { printf "median peak resident memory: planesedit %d KiB, minimal table %d KiB, ratio %.2f\n", e, m, e / m }'
