#!/usr/bin/env bash
# folioswap: the campaign set switcher. A window program; the demo shows the
# set tree it works on and says how to start it (it is not started here).
set -euo pipefail
main="$KVL_DEMO/Borvex"
echo "Campaign sets in $main (folders named CAM<name>):"
for set in "$main"/CAM*; do
  [ -d "$set" ] || continue
  name=$(basename "$set")
  printf '  %-20s %s\n' "${name#CAM}" "$(cd "$set" && ls | tr '\n' ' ')"
done
echo "Remembered set (Workfiles/LastCampaign.txt): $(tr -d '\r' < "$main/Workfiles/LastCampaign.txt")"
echo
echo "To try it, start it with its folder as the current directory:"
echo "  cd \"$main\" && \"$KVL_BIN/folioswap\""
echo "Click a campaign, press \"Load Selected Campaign\" and its files appear in $KVL_DEMO."
