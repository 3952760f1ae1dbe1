#!/usr/bin/env bash
# planesedit: the aircraft table editor. It is a window program, so the demo
# only checks that it loads an aircraft of the sample planes.dat (without a
# display, on Qt's offscreen platform) and says how to start it.
set -euo pipefail
cd "$KVL_DEMO"
echo "planes.dat in the demo folder: $(stat -c %s planes.dat) bytes (30 aircraft slots)"
if QT_QPA_PLATFORM=offscreen timeout 30 "$KVL_BIN/planesedit" --slot 6 --quit-after-load >/dev/null 2>&1; then
  echo "planesedit started, loaded slot 6 (B-17F) and closed again."
else
  echo "planesedit could not be started here (status $?)."
fi
echo "To edit the sample aircraft table, start the editor in the game folder:"
echo "  cd \"$KVL_DEMO\" && \"$KVL_BIN/planesedit\""
echo "  (pick an aircraft in the list; \"Save planes.dat\" writes the record back in place;"
echo "   add --slot N to open aircraft N (0..29) at once)"
echo "A working copy of slot 6 (what \"Save the changes before closing ?\" writes), with another year,"
echo "checked and put back without a window (-n: list the changes, write nothing):"
"$KVL_BIN/planesedit" --export-csv --slot 6 | tail -n +2 | sed 's/.*,//; 9s/^[0-9]*/201/' >" 6.oaw"
"$KVL_BIN/planesedit" --apply-working-copy " 6.oaw" --slot 6 -n 2>&1 | sed 's/^/  /'
rm -f " 6.oaw"
echo "Slot 6 as CSV without a window (first lines):"
"$KVL_BIN/planesedit" --export-csv --slot 6 | sed -n 1,4p | tr -d '\r' | sed 's/^/  /'
