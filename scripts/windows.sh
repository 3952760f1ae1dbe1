#!/usr/bin/env bash
# Cross-compiles the suite for 64-bit Windows with Debian's MinGW-w64
# toolchain and packs it:
#   dist/korval-tools-VERSION-win64.zip     a portable folder: unzip and run
#   dist/korval-tools-VERSION-setup.exe     the installer (NSIS), with /S for
#                                           scripted installs
# With the Qt toolkit built for Windows (scripts/windows-toolkit.sh) all seven
# programs are built; the window programs come with the toolkit's DLLs, its
# plugins in their folders and the MinGW runtime DLLs, and folioswap carries
# the archive library (scripts/windows-libarchive.sh, built here when
# missing), whose notices go into licenses/. Without it only the
# three console converters are built (one line says so) and there is no
# installer. The converters carry their C and C++ runtimes (-static): each
# .exe runs on its own.
# The build tree is build-win/; the sample game folder comes from the Linux
# build (build/sample). Extra arguments go to the CMake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh windows >/dev/null
start=$(date +%s)

toolkit=$(bash scripts/windows-toolkit.sh --path || true)
converters=(modelconv campconv squadconv)
windows=(modelview planesedit folioswap fltpatch)
if [ -n "$toolkit" ]; then
  # The archive library folioswap reads campaign sets with: a few minutes
  # to build from Debian's sources, so it is built here when missing.
  if ! libarchive=$(bash scripts/windows-libarchive.sh --path); then
    echo "windows: no archive library for Windows yet: building it (scripts/windows-libarchive.sh, a few minutes)"
    bash scripts/windows-libarchive.sh
    libarchive=$(bash scripts/windows-libarchive.sh --path)
  fi
  programs=("${converters[@]}" "${windows[@]}")
  mode="all seven programs, Qt from $toolkit, libarchive from $libarchive"
  configure=(-DCMAKE_TOOLCHAIN_FILE="$toolkit/lib/cmake/Qt6/qt.toolchain.cmake" -DKVL_CONSOLE_ONLY=OFF
    -DKVL_BENCH=OFF -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v wine64 || echo /usr/lib/wine/wine64)"
    -DKVL_WIN_LIBARCHIVE="$libarchive")
else
  programs=("${converters[@]}")
  mode="console converters only"
  configure=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKVL_CONSOLE_ONLY=ON)
  echo "windows: no Qt toolkit for Windows yet: the window programs and the installer are left out" \
    "(bash scripts/windows-toolkit.sh builds it, about 45 minutes)"
fi

# A build tree made for the other mode is made again: its toolchain differs.
if [ -f build-win/CMakeCache.txt ] && ! grep -qF "CMAKE_TOOLCHAIN_FILE:FILEPATH=${configure[0]#*=}" build-win/CMakeCache.txt \
  && ! grep -qF "CMAKE_TOOLCHAIN_FILE:UNINITIALIZED=${configure[0]#*=}" build-win/CMakeCache.txt; then
  rm -rf build-win
fi
echo "windows: configuring build-win/ ($mode)"
cmake -S . -B build-win -G Ninja "${configure[@]}" -DCMAKE_BUILD_TYPE=Release -DKVL_WERROR=ON \
  --no-warn-unused-cli "$@" >/dev/null
echo "windows: building ${programs[*]}"
if [ -n "$toolkit" ]; then
  cmake --build build-win -j"$(nproc)"
else
  cmake --build build-win -j"$(nproc)" --target "${programs[@]}"
fi

mingw_dlls=(/usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
  /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
qt_dlls=(Qt6Core Qt6Gui Qt6Widgets Qt6OpenGL Qt6OpenGLWidgets)
# qoffscreen: modelview --export-png draws without a window.
qt_plugins=(platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle imageformats/qjpeg)

# Only DLLs that every Windows has, or that are shipped beside the programs,
# may be imported.
system_dlls='^(kernel32|msvcrt|advapi32|user32|shell32|gdi32|ole32|oleaut32|comdlg32|ws2_32|bcrypt|ucrtbase|opengl32|glu32|imm32|winmm|dwmapi|uxtheme|version|api-ms-win-.*)\.dll$'
shipped='^(libgcc_s_seh-1|libstdc\+\+-6|libwinpthread-1|qt6core|qt6gui|qt6widgets|qt6opengl|qt6openglwidgets)\.dll$'
for p in "${programs[@]}"; do
  exe="build-win/bin/$p.exe"
  allowed=$system_dlls
  [[ " ${windows[*]} " == *" $p "* ]] && allowed="$system_dlls|$shipped"
  others=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' \
    | grep -Ev "$allowed" || true)
  if [ -n "$others" ]; then
    echo "windows: $exe needs DLLs that are not shipped: $others" >&2
    exit 1
  fi
done

# The tests run under Wine from their build folders: the DLLs go beside them.
if [ -n "$toolkit" ]; then
  for dir in build-win/bin build-win/tests build-win/fuzz; do
    [ -d "$dir" ] || continue
    cp -u "${mingw_dlls[@]}" "$dir/"
    for d in "${qt_dlls[@]}"; do cp -u "$toolkit/bin/$d.dll" "$dir/"; done
  done
  for plugin in "${qt_plugins[@]}"; do
    mkdir -p "build-win/bin/$(dirname "$plugin")"
    cp -u "$toolkit/plugins/$plugin.dll" "build-win/bin/$plugin.dll"
  done
fi

version=$(sed -n 's/^project(korval_tools .*VERSION \([0-9.]*\)).*/\1/p' CMakeLists.txt)
name="korval-tools-$version-win64"
stage="build-win/$name"
rm -rf "$stage"
mkdir -p "$stage" dist
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
for p in "${programs[@]}"; do
  cp "build-win/bin/$p.exe" "$stage/"
  # Notepad and the like want CR LF.
  crlf "$p/README.md" "$stage/$p-README.md"
done
if [ -n "$toolkit" ]; then
  crlf README.md "$stage/README.md"
  cp "${mingw_dlls[@]}" "$stage/"
  for d in "${qt_dlls[@]}"; do cp "$toolkit/bin/$d.dll" "$stage/"; done
  for plugin in "${qt_plugins[@]}"; do
    mkdir -p "$stage/$(dirname "$plugin")"
    cp "$toolkit/plugins/$plugin.dll" "$stage/$plugin.dll"
  done
  # Shipped without their symbols: the toolkit's DLLs shrink to a third.
  find "$stage" \( -name '*.dll' -o -name '*.exe' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
  sample=${KVL_SAMPLE:-build/sample}
  if [ ! -f "$sample/planes.dat" ]; then
    echo "windows: building the Linux suite for the sample game folder"
    bash scripts/build.sh >/dev/null
    sample=build/sample
  fi
  # The notices of the libraries linked into folioswap.exe.
  mkdir -p "$stage/licenses"
  for f in "$libarchive"/share/licenses/*.txt; do crlf "$f" "$stage/licenses/$(basename "$f")"; done
  cp -r "$sample" "$stage/sample"
  rm -f "$stage/sample/.generated"
fi
rm -f "dist/$name.zip"
# -X: no Unix owners or time extras; files in a fixed order.
(cd build-win && find "$name" | LC_ALL=C sort | zip -q -X -@ "../dist/$name.zip")
echo "windows: dist/$name.zip, $(stat -c %s "dist/$name.zip") bytes"

if [ -n "$toolkit" ]; then
  setup="dist/korval-tools-$version-setup.exe"
  bash packaging/windows/make-installer.sh "$stage" "$version" "$setup" build-win/installer
  echo "windows: $setup, $(stat -c %s "$setup") bytes"
fi
echo "windows: built in $(($(date +%s) - start)) s"
