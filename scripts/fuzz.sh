#!/usr/bin/env bash
# Runs every libFuzzer target of the suite, one per core at a time, with
# AddressSanitizer and UndefinedBehaviorSanitizer, and grows the committed
# seed corpora with what it finds.
#
#   scripts/fuzz.sh                 each target until 1 million executions
#                                   (at most three hours each)
#   scripts/fuzz.sh SECONDS         each target for SECONDS seconds
#   FUZZ_ONLY=regex scripts/fuzz.sh only the targets whose name matches
#   FUZZ_JOBS=N scripts/fuzz.sh     N targets at a time (default: one per core)
#   (Ctrl+C or SIGINT to a fuzzer stops it early; what it found is merged)
#
# The targets are not listed here: they are the fuzz tests the clang tree
# build-fuzz/ declares (one `<target>_smoke` test each, whose last argument is
# the target's seed corpus). New inputs are merged into the seed corpus with
# libFuzzer's -merge=1, which keeps only minimised inputs that add coverage.
# One line per target, in a table printed when all have run: executions, executions per second, coverage features,
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
  limit=(-runs=1000000 -max_total_time=10800)
fi
crashes_dir=$root/$tree/crashes
mkdir -p "$crashes_dir"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1

# One target: fuzz it, merge what it found, leave its table line in $results.
fuzz_one() {
  local name=$1 corpus=$2
  local exe=$root/$tree/fuzz/$name work log runs speed features crashes status
  work=$(mktemp -d)
  log=$root/$tree/fuzz/$name.log
  # The fresh folder comes first, so that new inputs land there, not in the corpus.
  set +e
  "$exe" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$crashes_dir/$name-" "$work" "$corpus" >"$log" 2>&1
  status=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -n1 | cut -d' ' -f2)
  crashes=$(find "$crashes_dir" -name "$name-*" -newer "$stamp" | wc -l)
  # 72 is libFuzzer's status when it was interrupted (Ctrl+C, SIGINT): no
  # fault, and what it found so far is still merged.
  local interrupted=0
  if [ "$status" -eq 72 ] && [ "$crashes" -eq 0 ]; then
    interrupted=1
    status=0
  fi
  {
    printf '%-38s %12s %10s %9s %8s\n' "$name" "${runs:-0}" "${speed:-0}" "${features:-0}" \
      "$((crashes > 0 || status == 0 ? crashes : 1))"
    if [ "$interrupted" -eq 1 ]; then
      echo "  $name was interrupted after ${runs:-0} executions; its new inputs are merged"
    fi
    if [ "$status" -ne 0 ] && [ "$crashes" -eq 0 ]; then
      # Ended abnormally without leaving an input: the log says why.
      echo "  $name ended with status $status without an input; log: $log"
    fi
    for input in $(find "$crashes_dir" -name "$name-*" -newer "$stamp"); do
      echo "  reproduce: $exe $input"
    done
  } >"$results/$name"
  if [ "$status" -eq 0 ]; then
    "$exe" -merge=1 -timeout=10 -rss_limit_mb=2048 "$corpus" "$work" >>"$log" 2>&1 || true
  fi
  rm -rf "$work"
}

results=$(mktemp -d)
stamp=$results/.started
touch "$stamp"
# Targets run side by side, one per core (FUZZ_JOBS overrides); each target
# has its own log, crash names and corpus, so they do not meet.
jobs=${FUZZ_JOBS:-$(nproc)}
for entry in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
    wait -n || true
  done
  fuzz_one "${entry%%$'\t'*}" "${entry#*$'\t'}" &
done
wait

total_runs=0
total_crashes=0
printf '%-38s %12s %10s %9s %8s\n' target executions exec/s features crashes
for entry in "${targets[@]}"; do
  name=${entry%%$'\t'*}
  cat "$results/$name"
  read -r _ runs _ _ crashes < "$results/$name"
  total_runs=$((total_runs + runs))
  total_crashes=$((total_crashes + crashes))
done
rm -rf "$results"
echo "fuzzed ${#targets[@]} targets: $total_runs executions, $total_crashes crashes"
[ "$total_crashes" -eq 0 ]
