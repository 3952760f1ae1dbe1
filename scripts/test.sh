#!/usr/bin/env bash
# Installs what is missing, builds the suite twice and runs every test:
#   first       the layout check: every C++ file as .clang-format has it;
#   build/      g++, warnings as errors: unit, GUI (under Xvfb) and fuzz-replay tests;
#   build-san/  clang with AddressSanitizer + UndefinedBehaviorSanitizer: the same
#               tests again, and every libFuzzer target for a short smoke run;
#   build-pkg/  the Debian package (scripts/package.sh) and its check;
#   build-win/  the Windows build (scripts/windows.sh): the converters, compared
#               with build/'s under Wine; with the Qt toolkit for Windows in its
#               cache (scripts/windows-toolkit.sh) all seven programs, their
#               unit tests, windows, CSV and pictures and the installer under
#               Wine, else one line says those were skipped.
# KVL_SKIP_PACKAGING=1 leaves the last two out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")

bash scripts/format.sh --check

bash scripts/build.sh -DKVL_WERROR=ON
"${xvfb[@]}" ctest --test-dir build --output-on-failure -j"$jobs"

CC=clang CXX=clang++ cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVL_SANITIZE=ON -DKVL_FUZZ=ON -DKVL_BENCH=OFF -DKVL_WERROR=ON >/dev/null
cmake --build build-san -j"$jobs"
UBSAN_OPTIONS=print_stacktrace=1 "${xvfb[@]}" ctest --test-dir build-san --output-on-failure -j"$jobs"

if [ "${KVL_SKIP_PACKAGING:-0}" != 1 ]; then
  bash scripts/package.sh
  bash scripts/check-package.sh
  bash scripts/windows.sh
  bash scripts/windows-check.sh
fi
