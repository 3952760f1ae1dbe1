#!/usr/bin/env bash
# Whole-process time of one modelconv command line converting a batch of
# models (copies of the sample FIGHTER.3DB) to VKM files and text dumps, against
# copying the same input and output bytes with cp: one cp of the models and one
# of ready VKM and text files (the same count and sizes) into a fresh folder.
# Prints both medians and their ratio. Needs a built tree (build/bin,
# build/sample) and hyperfine.
#   bash bench/modelconv_batch.sh [models] [runs]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/bin/modelconv"
models=${1:-1000}
runs=${2:-10}
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir in ready
for i in $(seq -w 1 "$models"); do cp "$root/build/sample/FIGHTER.3DB" "in/M$i.3DB"; done
"$bin" --vkm --text -o ready in/*.3DB 2>/dev/null
echo "== $models models: $(du -sb in | cut -f1) bytes in, $(du -sb ready | cut -f1) bytes out"

hyperfine --warmup 2 --runs "$runs" --style basic --export-json batch.json \
  --prepare 'rm -rf out && mkdir out' \
  --command-name "modelconv --vkm --text -o out ($models models)" \
  "sh -c '$bin --vkm --text -o out in/*.3DB 2>/dev/null'" \
  --command-name "cp of the same input and output bytes" \
  "sh -c 'cp in/*.3DB out/ && cp ready/* out/'" | grep -E "Time|±" || true
a=$(jq -r '.results[0].median' batch.json)
b=$(jq -r '.results[1].median' batch.json)
awk -v a="$a" -v b="$b" -v n="$models" 'BEGIN {
  printf "median modelconv %.1f ms (%.0f models/s), cp %.1f ms, ratio %.2f\n", a * 1000, n / a, b * 1000, a / b }'
