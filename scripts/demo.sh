#!/usr/bin/env bash
# Installs what is missing, builds the suite, and runs the tools on a fresh
# copy of the project's sample game folder (build/demo).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh

export KVL_BIN="$PWD/build/bin"
export KVL_DEMO="$PWD/build/demo"
rm -rf "$KVL_DEMO"
cp -r build/sample "$KVL_DEMO"
rm -f "$KVL_DEMO/.generated"

for step in scripts/demo.d/*.sh; do
  [ -e "$step" ] || continue
  echo
  echo "=== $(basename "$step" .sh) ==="
  bash "$step"
done
echo
echo "The sample game folder is $PWD/build/sample; the demo worked in a copy of it, $KVL_DEMO."
