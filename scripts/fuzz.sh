#!/usr/bin/env bash
# Runs every libFuzzer target of the suite, one after the other, with
# AddressSanitizer and UndefinedBehaviorSanitizer, and grows the committed
# seed corpora with what it finds.
#
#   scripts/fuzz.sh                 each target until 1 million executions
#                                   (at most an hour each)
#   scripts/fuzz.sh SECONDS         each target for SECONDS seconds
#   FUZZ_ONLY=regex scripts/fuzz.sh only the targets whose name matches
#
# The targets are not listed here: they are the fuzz tests the clang tree
# build-fuzz/ declares (one `<target>_smoke` test each, whose last argument is
# the target's seed corpus). New inputs are merged into the seed corpus with
# libFuzzer's -merge=1, which keeps only minimised inputs that add coverage.
# One line per target: executions, executions per second, coverage features,
# crashes; a crash leaves its input in build-fuzz/crashes/ with a one-line
# command that reproduces it. The last line sums them up.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-}
tree=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVL_SANITIZE=ON -DKVL_FUZZ=ON -DKVL_BENCH=OFF >/dev/null

# target<TAB>corpus, from the smoke tests CMake declared.
mapfile -t targets < <(ctest --test-dir "$tree" --show-only=json-v1 | python3 -c '
import json, os, re, sys
only = re.compile(os.environ.get("FUZZ_ONLY", ""))
for t in json.load(sys.stdin)["tests"]:
    if not t["name"].endswith("_smoke"):
        continue
    name = t["name"][: -len("_smoke")]
    if only.search(name):
        print(name + "\t" + t["command"][-1])
')
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets found" >&2; exit 1; }
cmake --build "$tree" -j"$(nproc)" --target $(printf '%s\n' "${targets[@]}" | cut -f1) >/dev/null

if [ -n "$seconds" ]; then
  limit=(-max_total_time="$seconds")
else
  limit=(-runs=1000000 -max_total_time=3600)
fi
crashes_dir=$root/$tree/crashes
mkdir -p "$crashes_dir"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1

total_runs=0
total_crashes=0
printf '%-38s %12s %10s %9s %8s\n' target executions exec/s features crashes
for entry in "${targets[@]}"; do
  name=${entry%%$'\t'*}
  corpus=${entry#*$'\t'}
  exe=$root/$tree/fuzz/$name
  work=$(mktemp -d)
  log=$root/$tree/fuzz/$name.log
  before=$(ls "$crashes_dir" | wc -l)
  # The fresh folder comes first, so that new inputs land there, not in the corpus.
  set +e
  "$exe" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$crashes_dir/$name-" "$work" "$corpus" >"$log" 2>&1
  status=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -n1 | cut -d' ' -f2)
  crashes=$(( $(ls "$crashes_dir" | wc -l) - before ))
  if [ "$status" -ne 0 ] && [ "$crashes" -eq 0 ]; then
    crashes=1 # ended abnormally without leaving an input: see the log
    echo "  $name ended with status $status without an input; log: $log"
  fi
  if [ "$crashes" -eq 0 ]; then
    "$exe" -merge=1 -timeout=10 -rss_limit_mb=2048 "$corpus" "$work" >>"$log" 2>&1 || true
  fi
  printf '%-38s %12s %10s %9s %8s\n' "$name" "${runs:-0}" "${speed:-0}" "${features:-0}" "$crashes"
  for input in $(ls -t "$crashes_dir" | grep "^$name-" | head -n "$crashes"); do
    echo "  reproduce: $exe $crashes_dir/$input"
  done
  rm -rf "$work"
  total_runs=$((total_runs + ${runs:-0}))
  total_crashes=$((total_crashes + crashes))
done
echo "fuzzed ${#targets[@]} targets: $total_runs executions, $total_crashes crashes"
[ "$total_crashes" -eq 0 ]
