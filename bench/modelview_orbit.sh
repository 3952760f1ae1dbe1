#!/usr/bin/env bash
# Frame time while orbiting the largest legal VKM model at 1280 x 1024 under
# Mesa's software renderer (Xvfb). Run from the repository root after
# building build/bench/modelview_orbit.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$0" "$@"
fi
export LIBGL_ALWAYS_SOFTWARE=1 QT_LOGGING_RULES='*=false'
export XDG_CONFIG_HOME="$(mktemp -d)"
build/bench/modelview_orbit
