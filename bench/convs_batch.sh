#!/usr/bin/env bash
# The command line over a batch: one campconv process converting 1,000
# campaign files to text, one converting the texts back to binary, against cp
# copying the same input and output bytes (cp of the 1,000 campaign files and
# of the 1,000 texts); then verify's throughput over the same 1,000 files.
# Needs a built tree: build/bin and build/sample. Extra arguments go to hyperfine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$root"/build/sample/CAMPAIGNDATA.TXT "$root"/build/sample/PNAMES.TXT .
mkdir in texts bins copy-in copy-texts
for i in $(seq -w 0 999); do
  cp "$root/build/sample/CAMP000$((1 + 10#$i % 2)).DAT" "in/C$i.DAT"
done
"$bin/campconv" to-text -o texts in/*.DAT 2>/dev/null
echo "1,000 campaign files: $(du -sb in | cut -f1) bytes; their texts: $(du -sb texts | cut -f1) bytes"

hyperfine --shell=none \
  --command-name "campconv to-text + to-binary, 1,000 files (one process each)" \
  "sh -c '$bin/campconv to-text -f -o texts in/*.DAT 2>/dev/null && $bin/campconv to-binary -f -o bins texts/*.TXT 2>/dev/null'" \
  --command-name "cp of the same input and output bytes" \
  "sh -c 'cp in/*.DAT copy-in/ && cp texts/*.TXT copy-texts/'" \
  --command-name "cp of the same bytes, then sync (the converter flushes its outputs to disk)" \
  "sh -c 'cp in/*.DAT copy-in/ && cp texts/*.TXT copy-texts/ && sync'" \
  --command-name "campconv verify, 1,000 files" \
  "sh -c '$bin/campconv verify in/*.DAT >/dev/null 2>&1'" \
  --warmup "${KVL_WARMUP:-2}" --min-runs "${KVL_RUNS:-10}" "$@"
for f in in/*.DAT; do cmp -s "$f" "bins/$(basename "$f")" || { echo "differs: $f"; exit 1; }; done
echo "every bins/*.DAT is byte-identical to its in/*.DAT"
