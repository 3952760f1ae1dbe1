#!/usr/bin/env bash
# folioswap: the campaign set switcher. A window program; the demo shows the
# set tree it works on, adds a set from a folder with --add-set and lists the
# sets with --list (no window), and says how to start the window.
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

# A new set as a modder hands it over: a folder (or an archive) with the
# files, a comment and nothing else. It is checked whole, then added.
newset="$KVL_DEMO/Kursk 1943"
if [ ! -d "$main/CAMKursk 1943" ]; then
  mkdir -p "$newset"
  cp "$KVL_DEMO/CAMP0002.DAT" "$newset/CAMP0002.DAT"
  printf 'Kursk, July 1943: the demo set added by folioswap --add-set.\r\n' > "$newset/xxxKursk 1943.txt"
  echo "Adding a set from the folder $newset:"
  (cd "$main" && "$KVL_BIN/folioswap" --add-set "$newset") | sed 's/^/  /'
  echo
fi
echo "The sets as folioswap --list prints them (tab-separated, for scripts):"
(cd "$main" && "$KVL_BIN/folioswap" --list) | sed 's/^/  /'
echo
echo "To try the window, start it with its folder as the current directory:"
echo "  cd \"$main\" && \"$KVL_BIN/folioswap\""
echo "Click a campaign, press \"Load Selected Campaign\" and its files appear in $KVL_DEMO."
echo "\"Add Set...\" (Ctrl+N) adds a set from a .zip or .7z archive, checked whole first."
