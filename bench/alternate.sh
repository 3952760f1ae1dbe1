#!/usr/bin/env bash
# Alternates runs of the commands given (each one quoted string) and prints
# each one's median wall time in ms and its ratio to the first command's.
# On a shared, busy machine alternating keeps every command under the same
# load, so before/after and against-a-baseline ratios stay comparable.
#   RUNS=21 bash bench/alternate.sh "baseline args" "candidate args" ...
set -uo pipefail
n=${RUNS:-15}
declare -A times
for ((i = 0; i < n; i++)); do
  for c in "$@"; do
    s=$(date +%s%N)
    $c >/dev/null 2>&1
    e=$(date +%s%N)
    times[$c]+="$(((e - s) / 1000)) "
  done
done
first=""
for c in "$@"; do
  med=$(echo ${times[$c]} | tr ' ' '\n' | sort -n | awk '{a[NR]=$1} END{printf "%.1f", a[int((NR+1)/2)]/1000}')
  [ -z "$first" ] && first=$med
  ratio=$(awk -v a="$med" -v b="$first" 'BEGIN{printf "%.2f", a/b}')
  echo "$med ms  ${ratio}x  $c"
done
