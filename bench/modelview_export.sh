#!/usr/bin/env bash
# Whole-process `modelview --export-png` of the sample fighter (.3DB) at
# 256 x 256 against a minimal Qt program that writes a PNG of the same size.
# No display is used. Run from the repository root after building.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${RUNS:-30}"
model="${1:-build/sample/FIGHTER.3DB}"
out="$(mktemp -d)"
unset DISPLAY WAYLAND_DISPLAY
export QT_LOGGING_RULES='*=false' XDG_RUNTIME_DIR="$out"
json="$out/times.json"
hyperfine -N --warmup 3 --runs "$runs" --export-json "$json" \
  -n export "build/bin/modelview --export-png $out/model.png --size 256x256 $model" \
  -n minimal "build/bench/modelview_minimal_png $out/minimal.png"
python3 - "$json" <<'PY'
import json, statistics, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
e, m = statistics.median(r["export"]["times"]), statistics.median(r["minimal"]["times"])
print(f"median whole process: export {e*1000:.1f} ms, minimal {m*1000:.1f} ms, ratio {e/m:.2f}")
PY
