#!/usr/bin/env bash
# modelconv on the sample models: FIGHTER.3DB to a VKM model and a text dump,
# then the over-limit and refused models (answers from a pipe), then the same
# models in one batch on the command line.
set -euo pipefail
cd "$KVL_DEMO"

echo "--- modelconv: FIGHTER.3DB -> FIGHTER.VKM + FIGHTER.TXT"
printf 'FIGHTER.3DB\nFIGHTER.VKM\nFIGHTER.TXT\n' | "$KVL_BIN/modelconv"
echo
echo "--- modelconv: BIGMODEL.3DB is over the VKM limits: text dump only"
printf 'BIGMODEL.3DB\nBIGMODEL.TXT\n' | "$KVL_BIN/modelconv"
echo
echo "--- modelconv: BROKEN.3DB is cut short and refused"
printf 'BROKEN.3DB\n' | "$KVL_BIN/modelconv"
echo
echo
echo "Outputs in $KVL_DEMO:"
ls -l FIGHTER.VKM FIGHTER.TXT BIGMODEL.TXT
echo
echo "First element lines of FIGHTER.TXT:"
grep -a -m 6 '^E0' FIGHTER.TXT | cut -c 1-100
echo
echo "--- modelconv on its command line: every sample model in one batch, into converted/"
mkdir -p converted
status=0
"$KVL_BIN/modelconv" --vkm --text -o converted *.3DB || status=$?
echo "exit status $status (1: some models could not be converted, as reported above)"
ls converted
echo
echo "--- modelconv --json: one line per model, for scripts"
"$KVL_BIN/modelconv" --json *.3DB 2>/dev/null || true
