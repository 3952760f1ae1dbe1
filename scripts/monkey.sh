#!/usr/bin/env bash
# Seeded random-input ("monkey") runs of the window programs in the sanitizer
# build: each program's monkey test drives its real window with thousands of
# random user actions, seed after seed, for SECONDS seconds, on an X server
# of its own (common/testing/monkey.h tells what is checked).
#
#   scripts/monkey.sh [SECONDS] [PROGRAM...]
#
# SECONDS defaults to 300; PROGRAM is any of planesedit, fltpatch, folioswap
# and modelview (default: all four, one after the other). Several runs may go
# at once, say one per program in four shells. MONKEY_TREE=dir uses another
# build tree than build-san/ (configured like scripts/test.sh's if missing);
# MONKEY_HANG=S lets an action take up to S seconds before it counts as a
# hang (default 8; more on a machine that is busy with other work).
#
# Ends with one line per program, "PROGRAM: N actions, C crashes", where C
# counts every run that failed: a crash, a sanitizer report, a hang or a file
# changed that no action asked for. Each failure is printed with its seed and
# the shortest action list that still fails, saved in TREE/monkey/; copied
# into PROGRAM/monkey/ it is replayed by the test command from then on. The
# exit status is 1 when anything failed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-300}
[ $# -gt 0 ] && shift
all=(planesedit fltpatch folioswap modelview)
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=("${all[@]}")
case $seconds in
  '' | *[!0-9]*) echo "monkey.sh: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac
for p in "${programs[@]}"; do
  case " ${all[*]} " in
    *" $p "*) ;;
    *) echo "monkey.sh: no window program '$p' (one of: ${all[*]})" >&2; exit 2 ;;
  esac
done

tree=${MONKEY_TREE:-build-san}
targets=()
for p in "${programs[@]}"; do targets+=("${p}_monkey_test"); done
# Runs started together build one after the other.
mkdir -p "$tree/monkey"
(
  flock 9
  if [ ! -f "$tree/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ nice cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKVL_SANITIZE=ON -DKVL_FUZZ=ON -DKVL_BENCH=OFF -DKVL_WERROR=ON >/dev/null
  fi
  nice cmake --build "$tree" --target "${targets[@]}" sample >/dev/null
) 9>"$tree/monkey/.build.lock"

xvfb_pid=
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}
trap stop_xvfb EXIT

# Starts an X server on a display nobody uses (the server picks it) and sets DISPLAY.
start_xvfb() {
  local numberFile
  numberFile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 200); do
    [ -s "$numberFile" ] && break
    sleep 0.05
  done
  if [ ! -s "$numberFile" ]; then
    rm -f "$numberFile"
    echo "monkey.sh: the X server did not start" >&2
    exit 1
  fi
  DISPLAY=":$(head -n1 "$numberFile")"
  export DISPLAY
  rm -f "$numberFile"
}

summary=()
status=0
for p in "${programs[@]}"; do
  start_xvfb
  log=$tree/monkey/$p-$(date +%Y%m%d-%H%M%S)-$$.log
  set +e
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=xcb \
    nice "$root/$tree/tests/${p}_monkey_test" --seconds "$seconds" --hang "${MONKEY_HANG:-8}" \
    --out "$root/$tree/monkey" 2>&1 | tee "$log"
  run=${PIPESTATUS[0]}
  set -e
  stop_xvfb
  line=$(grep -E "^$p: [0-9]+ actions, [0-9]+ crashes$" "$log" | tail -n1 || true)
  if [ -z "$line" ]; then
    line="$p: the monkey test ended without its figures (status $run), see $log"
    status=1
  elif [ "$run" -ne 0 ]; then
    status=1
  fi
  summary+=("$line")
done
printf '%s\n' "${summary[@]}"
exit "$status"
