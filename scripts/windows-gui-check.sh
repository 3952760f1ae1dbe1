#!/usr/bin/env bash
# The Windows window programs under Wine, on an X server (scripts/windows-check.sh
# runs this under xvfb-run once the whole suite is built for Windows):
#   - the core unit tests built for Windows, every one that needs no X server;
#   - each window program starts, shows its main window (found by its title,
#     a screenshot that is not blank) and ends cleanly when asked to close;
#   - planesedit and fltpatch --export-csv / --import-csv and modelview
#     --export-png write what the Linux builds write;
#   - the installer installs silently into a fresh Wine prefix (programs,
#     Start-menu entries, file types, the entry in the installed programs; a
#     .VKM opens in modelview by its type) and its uninstaller leaves nothing.
# Prints one line per check and the start-up time of each program.
#   KVL_LINUX_BIN, KVL_SAMPLE   as for windows-check.sh
#   KVL_WIN_SHOTS               a folder to keep the screenshots in
set -euo pipefail
cd "$(dirname "$0")/.."
linux_bin=$(realpath "${KVL_LINUX_BIN:-build/bin}")
win_bin=$(realpath build-win/bin)
sample=$(realpath "${KVL_SAMPLE:-build/sample}")
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
version=$(sed -n 's/^project(korval_tools .*VERSION \([0-9.]*\)).*/\1/p' CMakeLists.txt)
setup=$(realpath "dist/korval-tools-$version-setup.exe")

work=$(mktemp -d)
cleanup()
{
  WINEPREFIX="$work/wine" "$wineserver" -k 2>/dev/null || true
  WINEPREFIX="$work/install" "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init >/dev/null 2>&1 || true
shots=${KVL_WIN_SHOTS:-$work/shots}
mkdir -p "$shots"

passed=0
failed=0
ok() { echo "ok     $1"; passed=$((passed + 1)); }
bad() { echo "FAILED $1"; failed=$((failed + 1)); }

# -- The core unit tests -------------------------------------------------------
while IFS= read -r line; do
  [ -n "$line" ] && echo "skip   $line"
done <build-win/skipped-on-windows.txt
if (unset DISPLAY; ctest --test-dir build-win -j2 --timeout 600 >"$work/ctest.log" 2>&1); then
  ok "unit tests under Wine: $(grep -oE '[0-9]+% tests passed.*' "$work/ctest.log" | head -n 1 || true)"
else
  bad "unit tests under Wine:"
  grep -E "Failed|Not Run|Timeout|SEGFAULT|Exception" "$work/ctest.log" | sed 's/^/       /' || true
  grep -B2 -A20 "Failure\|FAILED" "$work/ctest.log" | head -n 60 | sed 's/^/       /' || true
fi

# -- The window programs start, show their window and end --------------------
fresh() { rm -rf "$work/$1"; cp -r "$sample" "$work/$1"; rm -f "$work/$1/.generated"; echo "$work/$1"; }
# A sample copy with the fighter converted to FIGHTER.VKM, as the demo does.
fresh_vkm()
{
  local folder
  folder=$(fresh "$1")
  (cd "$folder" && printf 'FIGHTER.3DB\nFIGHTER.VKM\nFIGHTER.TXT\n' | "$linux_bin/modelconv" >/dev/null 2>&1)
  echo "$folder"
}

# show PROGRAM TITLE-REGEX FOLDER ARGS...: starts the program in FOLDER, waits
# for its window, takes a screenshot, closes the window as a user would.
show()
{
  local program=$1 title=$2 folder=$3
  shift 3
  local begin=$SECONDS started window=""
  begin=$(date +%s%N)
  (cd "$folder" && exec "$wine" "$win_bin/$program.exe" "$@" >"$work/$program.out" 2>&1) &
  local pid=$!
  for _ in $(seq 1 600); do
    window=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  started=$((($(date +%s%N) - begin) / 1000000))
  if [ -z "$window" ]; then
    bad "$program: no window titled /$title/ (output: $(head -c 300 "$work/$program.out"))"
    kill "$pid" 2>/dev/null || true
    return
  fi
  sleep 2 # the first frame
  import -window root "$shots/$program.png"
  local spread
  spread=$(convert "$shots/$program.png" -format '%[fx:standard_deviation]' info:)
  WINEPREFIX="$WINEPREFIX" "$wine" taskkill /IM "$program.exe" >/dev/null 2>&1 || true
  local status=0 waited=0
  while kill -0 "$pid" 2>/dev/null && [ $waited -lt 150 ]; do
    sleep 0.2
    waited=$((waited + 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    bad "$program: did not end when its window was closed"
    return
  fi
  wait "$pid" || status=$?
  if awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' && [ "$status" -eq 0 ]; then
    ok "$program: window \"$(xdotool getwindowname "$window" 2>/dev/null || echo "$title")\" shown in ${started} ms, ended with 0"
    echo "$program $started" >>"$work/startup.txt"
  else
    bad "$program: screenshot spread $spread (blank?), exit status $status"
  fi
}

show modelview "FIGHTER.VKM - VKM! Studio" "$(fresh_vkm mv)" FIGHTER.VKM
show planesedit "^planesedit - planes.dat" "$(fresh pe)"
show folioswap "^Borvex$" "$(fresh fs)/Borvex"
show fltpatch "^Orlith's Flight Editor" "$(fresh fp)" Kestrel.flt

# -- Same bytes as the Linux builds --------------------------------------------
# same NAME LINUX-COMMAND WINDOWS-COMMAND FILES...: runs both in fresh sample
# copies; their standard output and FILES must be the same bytes.
same()
{
  local name=$1 linux=$2 windows=$3
  shift 3
  local l w
  l=$(fresh "$name-linux")
  w=$(fresh "$name-windows")
  (cd "$l" && eval "$linux" >"$work/$name.linux.out" 2>"$work/$name.linux.err") || true
  (cd "$w" && eval "$windows" >"$work/$name.windows.out" 2>"$work/$name.windows.err") || true
  local problems=""
  cmp -s "$work/$name.linux.out" "$work/$name.windows.out" || problems+=" standard output differs;"
  for f in "$@"; do
    cmp -s "$l/$f" "$w/$f" || problems+=" $f differs;"
  done
  if [ -z "$problems" ]; then ok "$name: the same bytes as on Linux"; else bad "$name:$problems $(head -c 200 "$work/$name.windows.err")"; fi
}
W="$wine $win_bin"
same planesedit-export-csv "$linux_bin/planesedit --export-csv --slot 6" "$W/planesedit.exe --export-csv --slot 6"
same planesedit-import-csv \
  "$linux_bin/planesedit --export-csv --slot 6 | sed -n '1p;5p;9p' | sed 's/,[0-9]*\r\?\$/,7/' >v.csv; $linux_bin/planesedit --import-csv v.csv --slot 6" \
  "$linux_bin/planesedit --export-csv --slot 6 | sed -n '1p;5p;9p' | sed 's/,[0-9]*\r\?\$/,7/' >v.csv; $W/planesedit.exe --import-csv v.csv --slot 6" \
  planes.dat
same fltpatch-export-csv "$linux_bin/fltpatch --export-csv Kestrel.flt" "$W/fltpatch.exe --export-csv Kestrel.flt"
same fltpatch-import-csv \
  "$linux_bin/fltpatch --export-csv Kestrel.flt | sed -n '1p;3p;40p' >v.csv; $linux_bin/fltpatch --import-csv v.csv Harrow.flt" \
  "$linux_bin/fltpatch --export-csv Kestrel.flt | sed -n '1p;3p;40p' >v.csv; $W/fltpatch.exe --import-csv v.csv Harrow.flt" \
  Harrow.flt
l=$(fresh png-linux)
w=$(fresh png-windows)
(cd "$l" && "$linux_bin/modelview" --export-png fighter.png FIGHTER.3DB >/dev/null 2>&1) || true
(cd "$w" && "$wine" "$win_bin/modelview.exe" --export-png fighter.png FIGHTER.3DB >/dev/null 2>&1) || true
if [ -f "$l/fighter.png" ] && [ -f "$w/fighter.png" ]; then
  differing=$(compare -metric AE "$l/fighter.png" "$w/fighter.png" null: 2>&1 || true)
  if [ "$differing" = 0 ]; then
    ok "modelview --export-png: the same pixels as on Linux"
  else
    bad "modelview --export-png: $differing pixels differ from the Linux picture"
  fi
else
  bad "modelview --export-png: no picture ($(ls "$w"/*.png 2>/dev/null || echo none))"
fi

# -- The installer ---------------------------------------------------------------
if [ -f "$setup" ]; then
  export WINEPREFIX="$work/install"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  drive="$WINEPREFIX/drive_c"
  before=$(cd "$drive" && find . | LC_ALL=C sort)
  "$wine" reg export 'HKLM\Software\Classes' "$work/classes-before.reg" /y >/dev/null 2>&1 || true
  "$wine" "$setup" /S
  "$wineserver" -w
  installed="$drive/Program Files/KORVAL Modding Tools"
  menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/KORVAL Modding Tools"
  problems=""
  stage="build-win/korval-tools-$version-win64"
  while IFS= read -r f; do
    cmp -s "$stage/$f" "$installed/$f" || problems+=" $f missing or different;"
  done < <(cd "$stage" && find . -type f | sed 's|^\./||')
  [ "$(find "$menu" -name '*.lnk' 2>/dev/null | wc -l)" -eq 4 ] || problems+=" not four Start-menu entries;"
  for t in .vkm:modelview .3db:modelview .flt:fltpatch; do
    class=$("$wine" reg query "HKLM\\Software\\Classes\\${t%%:*}" /ve 2>/dev/null | tr -d '\r' | awk '/REG_SZ/ {print $NF}')
    command=$("$wine" reg query "HKLM\\Software\\Classes\\$class\\shell\\open\\command" /ve 2>/dev/null | tr -d '\r')
    [[ $command == *"${t#*:}.exe"* ]] || problems+=" ${t%%:*} does not open with ${t#*:};"
  done
  "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvalModdingTools' /v DisplayName \
    >/dev/null 2>&1 || problems+=" not in the installed programs;"
  if [ -z "$problems" ]; then ok "installer: silent install, $(find "$installed" -type f | wc -l) files, 4 Start-menu entries, 3 file types"; else bad "installer:$problems"; fi

  # The sample fighter opened by its file type, as a double click does.
  docs=$(fresh_vkm opened)
  begin=$(date +%s%N)
  (cd "$docs" && "$wine" start /unix "$docs/FIGHTER.VKM" >/dev/null 2>&1) &
  window=""
  for _ in $(seq 1 600); do
    window=$(xdotool search --onlyvisible --name "FIGHTER.VKM - VKM! Studio" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  if [ -n "$window" ]; then
    import -window root "$shots/opened-by-type.png"
    ok "FIGHTER.VKM opens in the installed modelview by its type ($((($(date +%s%N) - begin) / 1000000)) ms)"
    "$wine" taskkill /IM modelview.exe >/dev/null 2>&1 || true
  else
    bad "FIGHTER.VKM does not open in modelview by its type"
  fi
  "$wineserver" -w

  "$wine" "$installed/uninstall.exe" /S
  "$wineserver" -w
  after=$(cd "$drive" && find . | LC_ALL=C sort)
  "$wine" reg export 'HKLM\Software\Classes' "$work/classes-after.reg" /y >/dev/null 2>&1 || true
  left=$(comm -13 <(echo "$before") <(echo "$after") | grep -Ev '^\./(users|windows)/' || true)
  problems=""
  [ -z "$left" ] || problems+=" files left: $(echo "$left" | head -n 5 | tr '\n' ' ');"
  if ! cmp -s "$work/classes-before.reg" "$work/classes-after.reg"; then
    problems+=" file-type entries left: $(diff "$work/classes-before.reg" "$work/classes-after.reg" | grep -c '^>' || true) lines;"
  fi
  "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvalModdingTools' >/dev/null 2>&1 \
    && problems+=" still in the installed programs;"
  if [ -z "$problems" ]; then ok "uninstaller: nothing left behind"; else bad "uninstaller:$problems"; fi
else
  bad "installer: $setup is missing (run scripts/windows.sh)"
fi

if [ -f "$work/startup.txt" ]; then
  echo "windows-gui-check: start-up under Wine (ms): $(tr '\n' ' ' <"$work/startup.txt")"
fi
echo "windows-gui-check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
