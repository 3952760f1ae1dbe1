#!/usr/bin/env bash
# fltpatch is a window program; the demo shows the sample files it edits,
# checks that it starts and loads one of them (off screen, closing at once),
# and tells how to try it by hand.
set -euo pipefail
cd "$KVL_DEMO"
echo "Flight files in the sample game folder:"
ls -l -- *.flt FDataDet.txt
echo
echo "Loading Kestrel.flt off screen ..."
if QT_QPA_PLATFORM=offscreen timeout 30 "$KVL_BIN/fltpatch" Kestrel.flt --quit-after-load; then
  echo "fltpatch started, loaded Kestrel.flt and closed."
else
  echo "fltpatch did not start (exit status $?)."
fi
echo
echo "Exporting Kestrel.flt as CSV (no window), changing field 3 and importing it back ..."
"$KVL_BIN/fltpatch" --export-csv Kestrel.flt > kestrel.csv
head -4 kestrel.csv
awk -F, 'BEGIN { OFS = "," } NR == 4 { $NF = "2.5\r" } { print }' kestrel.csv > kestrel-changed.csv
cp Kestrel.flt Kestrel-before.flt
"$KVL_BIN/fltpatch" --import-csv kestrel-changed.csv Kestrel.flt
echo "Bytes that changed (offset, before, after):"
cmp -l Kestrel-before.flt Kestrel.flt || true
cp Kestrel-before.flt Kestrel.flt
rm -f Kestrel-before.flt kestrel-changed.csv
echo
echo "To edit the flight files, start it in the game folder (a file dialog opens at once):"
echo "  cd \"$KVL_DEMO\" && \"$KVL_BIN/fltpatch\""
