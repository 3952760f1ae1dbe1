#!/usr/bin/env bash
# Start-to-loaded time of fltpatch (window shown, a sample .flt file loaded
# into its table, then closed) against a minimal Qt 6 program that shows a
# 329-row table, both under one private Xvfb server.
# Needs a built tree (build/bin/fltpatch, build/bench/fltpatch_minimal_qt,
# build/sample) and hyperfine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
display=:${FLTPATCH_BENCH_DISPLAY:-91}

Xvfb "$display" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb' EXIT
sleep 1

work=$(mktemp -d)
trap 'kill $xvfb; rm -rf "$work"' EXIT
cp "$root/build/sample/FDataDet.txt" "$root/build/sample/Kestrel.flt" "$work/"
cd "$work"

DISPLAY=$display hyperfine --warmup 3 --runs "${RUNS:-30}" -N \
  --export-markdown "$work/result.md" \
  "$root/build/bench/fltpatch_minimal_qt" \
  "$root/build/bin/fltpatch Kestrel.flt --quit-after-load"
cat "$work/result.md"
