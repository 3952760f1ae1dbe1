#!/usr/bin/env bash
# Start-up of modelview with the sample model, to its first painted frame,
# against a bare Qt main window holding one OpenGL widget; plus the peak
# memory of both. Run from the repository root after building (build/).
# Needs an X server: uses $DISPLAY when set, otherwise wraps itself in xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" "$@"
fi
runs="${RUNS:-15}"
bench=build/bench
model="${1:-}"
if [ -z "$model" ]; then
  model="$(mktemp --suffix=.vkm)"
  "$bench/modelview_firstframe" --write-sample "$model"
fi
export XDG_CONFIG_HOME="$(mktemp -d)" # keep the user's recent-file list out of it
export QT_LOGGING_RULES='*=false'

json="$(mktemp)"
hyperfine --warmup 3 --runs "$runs" --export-json "$json" \
  -n modelview "$bench/modelview_firstframe $model" \
  -n minimal "$bench/modelview_minimal_gl"

python3 - "$json" <<'PY'
import json, statistics, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
mv, mn = statistics.median(r["modelview"]["times"]), statistics.median(r["minimal"]["times"])
print(f"median to first frame: modelview {mv*1000:.1f} ms, minimal {mn*1000:.1f} ms, ratio {mv/mn:.2f}")
PY

peak() {
  local values=() out
  out="$(mktemp)"
  for _ in 1 2 3 4 5; do
    /usr/bin/time -f %M -o "$out" "$@" >/dev/null 2>&1
    values+=("$(tail -1 "$out")")
  done
  rm -f "$out"
  printf '%s\n' "${values[@]}" | sort -n | sed -n 3p
}
echo "median peak resident memory: modelview $(peak "$bench/modelview_firstframe" "$model") KiB," \
     "minimal $(peak "$bench/modelview_minimal_gl") KiB"
