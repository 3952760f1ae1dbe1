#!/usr/bin/env bash
# Builds the Qt toolkit for 64-bit Windows once, from Debian's own source
# package of the Qt version the Linux build uses, with Debian's MinGW-w64
# compilers and the Linux host tools (moc, rcc, uic) of that same version.
# Debian ships Qt for Linux only; the Windows window programs need these DLLs.
#
# Only what the suite uses is built: Core, Gui, Widgets, OpenGL,
# OpenGLWidgets, the Windows platform plugin, the JPEG image plugin and the
# style plugin, as shared DLLs (a user may replace them). The result goes to
# a cache outside the repository, keyed by version:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/korval-tools/qt-VERSION-mingw-w64
# (KVL_WIN_TOOLKIT overrides the path). A second run finds it and returns at
# once. 45 to 60 minutes and 4 GB of scratch space on two cores; the install
# itself is about 90 MB. It also builds, first, the archive library the full
# Windows build needs (scripts/windows-libarchive.sh, a few minutes).
#
# Prints the cache's path as its last line.
#   scripts/windows-toolkit.sh --path   prints the path of a finished toolkit
#                                       and builds nothing (exit 1: none yet)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
if [ "${1:-}" != --path ]; then
  bash scripts/install-deps.sh toolkit >/dev/null
fi

# The version is the one of the Linux toolkit: the host tools must match.
deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || echo 6.4.2)
version=${deb_version%%+*}
version=${version#*:}
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/korval-tools"
prefix=${KVL_WIN_TOOLKIT:-$cache_root/qt-$version-mingw-w64}
if [ "${1:-}" = --path ]; then
  [ -f "$prefix/.complete" ] || exit 1
  echo "$prefix"
  exit 0
fi
# The archive library the full Windows build links too: a few minutes, done
# first (its own cache; a second run returns at once). Its path line is left
# out: this script's last line is the toolkit's path.
bash scripts/windows-libarchive.sh | sed '$d'
if [ -f "$prefix/.complete" ]; then
  echo "windows-toolkit: Qt $version for Windows is already built"
  echo "$prefix"
  exit 0
fi

work="$prefix.work"
mkdir -p "$work"
log="$work/build.log"
: >"$log"
# step TEXT COMMAND...: one line with the time taken; the log's end if it fails.
step()
{
  local text=$1 start=$SECONDS
  shift
  echo "windows-toolkit: $text..."
  if ! "$@" >>"$log" 2>&1; then
    echo "windows-toolkit: failed: $text; the last lines of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
  echo "windows-toolkit: $text: done in $((SECONDS - start)) s"
}

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

# Debian's source packages of the installed suite.
add_source_entry()
{
  local list=/etc/apt/sources.list.d/korval-tools-src.sources
  local suite
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  if ! apt-get source --print-uris -qq "qt6-base=$deb_version" >/dev/null 2>&1; then
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n\nTypes: deb-src\nURIs: http://deb.debian.org/debian-security\nSuites: %s-security\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$suite" "$suite" "$suite" | $SUDO tee "$list" >/dev/null
    $SUDO apt-get update -q
  fi
}

fetch_source()
{
  rm -rf "$work/src"
  mkdir -p "$work/src"
  (cd "$work/src" && apt-get source -q "qt6-base=$deb_version")
  mv "$work/src"/qt6-base-*/ "$work/qtbase"
  rm -rf "$work/src"
}

# The toolchain file is copied next to the toolkit: Qt's qt.toolchain.cmake
# names it, and it must outlive this checkout.
toolchain="$prefix/mingw-w64-x86_64-base.cmake"

configure()
{
  mkdir -p "$prefix"
  cp "$repo/cmake/mingw-w64-x86_64-base.cmake" "$toolchain"
  rm -rf "$work/build"
  # Debian's source leaves out the tablet header wintab.h: tabletevent off.
  cmake -S "$work/qtbase" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_testlib=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_jpeg=ON -DFEATURE_opengl=ON -DINPUT_opengl=desktop
}

total=$SECONDS
[ -d "$work/qtbase" ] || {
  step "adding Debian's source entries" add_source_entry
  step "fetching qt6-base $deb_version from Debian's sources" fetch_source
}
[ -f "$work/build/build.ninja" ] || step "configuring Qt $version for MinGW-w64" configure
step "building Qt $version for Windows (about 45 minutes on two cores)" \
  cmake --build "$work/build" -j"$(nproc)"
step "installing into $prefix" cmake --install "$work/build"
touch "$prefix/.complete"
rm -rf "$work"
echo "windows-toolkit: Qt $version for Windows in $(du -sh "$prefix" | cut -f1), built in $(((SECONDS - total) / 60)) min"
echo "$prefix"
