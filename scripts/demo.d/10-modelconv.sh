#!/usr/bin/env bash
# modelconv on the sample models: FIGHTER.3DB to a VKM model and a text dump,
# then the over-limit and refused models. Answers come from a pipe.
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
