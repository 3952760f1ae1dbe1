#!/usr/bin/env bash
# Cross-compiles the three console converters for 64-bit Windows with
# Debian's MinGW-w64 toolchain and packs them with their READMEs into
# dist/korval-tools-VERSION-win64.zip. Each .exe carries its C and C++
# runtimes (-static): nothing else needs to be shipped beside it.
# The build tree is build-win/; extra arguments go to the CMake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh windows

programs=(modelconv campconv squadconv)
start=$(date +%s)
echo "windows: configuring build-win/ (console converters only)"
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DKVL_CONSOLE_ONLY=ON -DCMAKE_BUILD_TYPE=Release -DKVL_WERROR=ON --no-warn-unused-cli "$@" >/dev/null
echo "windows: building ${programs[*]}"
cmake --build build-win -j"$(nproc)" --target "${programs[@]}"

# Only DLLs that every Windows has may be imported.
system_dlls='^(kernel32|msvcrt|advapi32|user32|shell32|ws2_32|bcrypt|ucrtbase|api-ms-win-.*)\.dll$'
for p in "${programs[@]}"; do
  exe="build-win/bin/$p.exe"
  others=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' \
    | grep -Ev "$system_dlls" || true)
  if [ -n "$others" ]; then
    echo "windows: $exe needs DLLs that would have to be shipped: $others" >&2
    exit 1
  fi
done

version=$(sed -n 's/^project(korval_tools .*VERSION \([0-9.]*\)).*/\1/p' CMakeLists.txt)
name="korval-tools-$version-win64"
stage="build-win/$name"
rm -rf "$stage"
mkdir -p "$stage" dist
for p in "${programs[@]}"; do
  cp "build-win/bin/$p.exe" "$stage/"
  # Notepad and the like want CR LF.
  sed 's/\r*$/\r/' "$p/README.md" >"$stage/$p-README.md"
done
rm -f "dist/$name.zip"
# -X: no Unix owners or time extras; files in a fixed order.
(cd build-win && find "$name" | LC_ALL=C sort | zip -q -X -@ "../dist/$name.zip")
echo "windows: dist/$name.zip, $(stat -c %s "dist/$name.zip") bytes, built in $(($(date +%s) - start)) s"
