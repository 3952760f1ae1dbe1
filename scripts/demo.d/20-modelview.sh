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
echo "  model: $model ($(stat -c %s "$model") bytes)"
if [ -n "${DISPLAY:-}" ]; then
  nohup "$KVL_BIN/modelview" "$model" >/dev/null 2>&1 &
  echo "  started in the background (process $!): red nodes, white outlines, blue markers on black."
  echo "  Pick Front, Size or Top in the View list for overviews; close the window to end it."
else
  echo "  no display: open it with"
  echo "    $KVL_BIN/modelview \"$model\""
fi
