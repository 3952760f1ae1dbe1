#!/usr/bin/env bash
# modelview: open the converted sample aircraft in the viewer.
# Runs after modelconv's step, which writes FIGHTER.VKM into the demo folder.
set -euo pipefail
: "${KVL_BIN:?}" "${KVL_DEMO:?}"

# The game's files come in any letter case.
model="$(find "$KVL_DEMO" -maxdepth 1 -iname 'fighter.vkm' -print -quit)"
if [ -z "$model" ]; then
  # Without the converter's output, use the viewer's own sample fighter.
  maker="$KVL_BIN/../bench/modelview_firstframe"
  if [ -x "$maker" ]; then
    model="$KVL_DEMO/FIGHTER.VKM"
    "$maker" --write-sample "$model"
    echo "modelview: no converted model found; wrote the viewer's own sample fighter to $model"
  else
    echo "modelview: no FIGHTER.VKM in $KVL_DEMO (run the modelconv step first)"
    exit 0
  fi
fi

echo "modelview: VKM model viewer"
# A picture of the model from the command line, with no window or display.
source3db="$(find "$KVL_DEMO" -maxdepth 1 -iname 'fighter.3db' -print -quit)"
if [ -n "$source3db" ]; then
  if "$KVL_BIN/modelview" --export-png "$KVL_DEMO/fighter.png" --size 256x256 "$source3db"; then
    echo "  --export-png: $KVL_DEMO/fighter.png, drawn from $(basename "$source3db") without a window"
  else
    echo "  --export-png of $(basename "$source3db") failed"
  fi
fi
echo "  model: $model ($(stat -c %s "$model") bytes)"
if [ -n "${DISPLAY:-}" ]; then
  nohup "$KVL_BIN/modelview" "$model" >/dev/null 2>&1 &
  echo "  started in the background (process $!): red nodes, white outlines, blue markers on black."
  echo "  Drag to turn it, wheel to zoom, Home to reset, click a node or polygon to read it (Help > Controls)."
  echo "  Pick Front, Size or Top in the View list for overviews; close the window to end it."
else
  echo "  no display: open it with"
  echo "    $KVL_BIN/modelview \"$model\""
fi
