#!/usr/bin/env bash
# Whole-process timing of modelconv against a trivial program that reads the
# same .3DB file and writes the same number of bytes (bench/modelconv_trivial.cpp).
# Models: the sample FIGHTER.3DB (VKM + text dump), a large generated model
# (60,000 elements, 65,000 points: text dump only) and the largest model a VKM
# file can hold (VKM + text dump). Prints the medians and their ratio.
# Needs a build with benchmarks (scripts/build.sh) and hyperfine.
#   bash bench/modelconv_process.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
bin="$PWD/build/bin/modelconv"
trivial="$PWD/build/bench/modelconv_trivial"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp build/sample/FIGHTER.3DB "$work/"
build/bench/modelconv_benchdata "$work"
cd "$work"

median() { jq -r ".results[$1].median" "$2"; }

bench_model() { # model answers
  local model=$1 answers=$2
  rm -f OUT.VKM OUT.TXT
  printf "$answers" | "$bin" >/dev/null
  local vkm=0 txt=0
  [ -f OUT.VKM ] && vkm=$(stat -c %s OUT.VKM)
  [ -f OUT.TXT ] && txt=$(stat -c %s OUT.TXT)
  echo "== $model ($(stat -c %s "$model") bytes in; VKM $vkm bytes, text $txt bytes out)"
  hyperfine --warmup 3 --runs "$runs" --export-json "$model.json" --style basic \
    "printf '$answers' | $bin" \
    "printf '$answers' | $trivial $model T.VKM $vkm T.TXT $txt" | grep -E "Time|±" || true
  local a b
  a=$(median 0 "$model.json"); b=$(median 1 "$model.json")
  awk -v a="$a" -v b="$b" -v t="$txt" 'BEGIN {
    printf "median modelconv %.2f ms, trivial %.2f ms, ratio %.2f", a * 1000, b * 1000, a / b;
    if (t > 0) printf ", text output %.1f MB/s (whole process)", t / a / 1e6;
    printf "\n" }'
}

bench_model FIGHTER.3DB 'FIGHTER.3DB\nOUT.VKM\nOUT.TXT\n'
bench_model MAXVKM.3DB 'MAXVKM.3DB\nOUT.VKM\nOUT.TXT\n'
bench_model LARGE.3DB 'LARGE.3DB\nOUT.TXT\n'
