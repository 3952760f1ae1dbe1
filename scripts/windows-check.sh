#!/usr/bin/env bash
# Runs the Windows builds of the console converters (build-win/, from
# scripts/windows.sh) under Wine on the sample game folder and compares them
# with the Linux builds (build/, from scripts/build.sh): every file written
# must be byte-identical, and so must the dialogue on standard output once
# Windows' CR LF console line ends are read as LF.
# Each case runs both programs with the same piped answers, each in a fresh
# copy of the sample folder.
#   KVL_LINUX_BIN   the Linux programs (default build/bin)
#   KVL_SAMPLE      the sample game folder (default build/sample)
set -euo pipefail
cd "$(dirname "$0")/.."
linux_bin=$(realpath "${KVL_LINUX_BIN:-build/bin}")
win_bin=$(realpath build-win/bin)
sample=$(realpath "${KVL_SAMPLE:-build/sample}")

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
for f in "$wine" "$linux_bin/modelconv" "$win_bin/modelconv.exe" "$sample/FIGHTER.3DB"; do
  if [ ! -e "$f" ]; then
    echo "windows-check: $f is missing (run scripts/build.sh and scripts/windows.sh first)" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A Wine prefix of its own, without the Mono and Gecko installers or a display.
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
"$wine" wineboot --init >/dev/null 2>&1 || true

passed=0
failed=0

# run_case NAME PROGRAM ANSWERS...: each answer is one run's standard input,
# the runs follow each other in the same folder (a conversion, then its way
# back). An answer that starts with "!" is a shell command run in both
# folders between runs instead (to edit a text the way a user would); one that
# starts with "@" is the program's command line instead, with nothing on
# standard input (words split at spaces).
run_case()
{
  local name=$1 program=$2
  shift 2
  local linux="$work/$name/linux" windows="$work/$name/windows" i=0
  mkdir -p "$work/$name"
  cp -r "$sample" "$linux"
  cp -r "$sample" "$windows"
  rm -f "$linux/.generated" "$windows/.generated"
  for answers in "$@"; do
    if [[ $answers == !* ]]; then
      (cd "$linux" && sh -c "${answers#!}")
      (cd "$windows" && sh -c "${answers#!}")
      continue
    fi
    i=$((i + 1))
    local arguments=()
    if [[ $answers == @* ]]; then
      read -r -a arguments <<<"${answers#@}"
      answers=""
    fi
    (cd "$linux" && printf "$answers" | "$linux_bin/$program" "${arguments[@]}" >"$work/$name/linux.out$i" 2>&1) || true
    (cd "$windows" && printf "$answers" | "$wine" "$win_bin/$program.exe" "${arguments[@]}" 2>&1 |
      sed 's/\r$//' >"$work/$name/windows.out$i")
  done
  local problems=""
  for ((j = 1; j <= i; j++)); do
    cmp -s "$work/$name/linux.out$j" "$work/$name/windows.out$j" || problems+=" dialogue of run $j differs;"
  done
  diff -r -q "$linux" "$windows" >"$work/$name/files.diff" 2>&1 || problems+=" files differ: $(tr '\n' ' ' <"$work/$name/files.diff");"
  if [ -z "$problems" ]; then
    echo "ok     $name"
    passed=$((passed + 1))
  else
    echo "FAILED $name:$problems"
    for ((j = 1; j <= i; j++)); do
      diff "$work/$name/linux.out$j" "$work/$name/windows.out$j" | head -n 10 | sed 's/^/       /' || true
    done
    failed=$((failed + 1))
  fi
}

run_case modelconv-fighter modelconv 'FIGHTER.3DB\nFIGHTER.VKM\nFIGHTER.TXT\n'
run_case modelconv-any-letter-case modelconv 'fighter.3db\nFighter.vkm\nfighter.txt\n'
run_case modelconv-crlf-answers modelconv 'FIGHTER.3DB\r\nFIGHTER.VKM\r\nFIGHTER.TXT\r\n'
run_case modelconv-over-limits modelconv 'BIGMODEL.3DB\nBIGMODEL.TXT\n'
run_case modelconv-broken modelconv 'BROKEN.3DB\n'
run_case modelconv-missing modelconv 'NOSUCH.3DB\n'
run_case modelconv-long-name modelconv 'FIGHTER.3DB\nAVERYLONGNAME.VKM\nFIGHTER.TXT\n'
run_case campconv-round-trip campconv '1\nCAMP0001.DAT\n' '2\n'
run_case campconv-any-letter-case campconv '1\ncamp0002.dat\n' '2\n'
run_case campconv-crlf-answers campconv '1\r\nCAMP0001.DAT\r\n' '2\r\n'
run_case campconv-lf-text-edited campconv '1\nCAMP0001.DAT\n' \
  '!sed -i -e "s/\r\$//" -e "s/^  Win Parameter:      50\$/  Win Parameter:      75/" CAMPAIGN.TXT' '2\n'
run_case campconv-missing campconv '1\nCAMP9999.DAT\n'
run_case squadconv-round-trip squadconv '1\nSQ0141.DAT\n' '2\n'
run_case squadconv-any-letter-case squadconv '1\nsq0242.dat\n' '2\n'
run_case squadconv-quit squadconv '3\n'
# Names outside every code page reach the programs whole (the arguments are
# read as UTF-16) and come back in their messages as UTF-8.
run_case modelconv-unicode-arguments modelconv '!cp FIGHTER.3DB Истребитель.3DB' '@Истребитель.3DB'
run_case campconv-unicode-arguments campconv '!cp CAMP0001.DAT Кампания.DAT' '@to-text Кампания.DAT'

echo "windows-check: $passed passed, $failed failed"
[ "$failed" -eq 0 ] || exit 1

# The window programs, the unit tests and the installer, when the whole suite
# was built for Windows (that needs the toolkit: scripts/windows-toolkit.sh).
if [ -f build-win/bin/planesedit.exe ] && [ -f build-win/CTestTestfile.cmake ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/windows-gui-check.sh
else
  echo "windows-check: the window programs, unit tests and installer under Wine were skipped:" \
    "no Qt toolkit for Windows (bash scripts/windows-toolkit.sh builds it, then scripts/windows.sh)"
fi
