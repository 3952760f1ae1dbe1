#!/usr/bin/env bash
# Builds the archive library (libarchive) for 64-bit Windows once, as static
# libraries, from Debian's own source packages, with Debian's MinGW-w64
# compilers. folioswap reads .zip and .7z campaign sets with it; Debian ships
# it, and the compression libraries it needs, for Linux only.
#
# Built, from Debian's sources with Debian's patches applied:
#   libarchive   the library only: no bsdtar, bsdcpio or bsdcat, no tests,
#                no manual pages; at the version the Linux build links
#   zlib         Deflate (zip and 7z entries)
#   xz-utils     liblzma: LZMA, LZMA2 and xz (7z entries, zip methods 14, 95)
#   bzip2        BZip2 (7z entries, zip method 12); a few small files
# zlib, xz-utils and bzip2 are taken at the versions the Linux system has when
# Debian's sources still hold them, else at the newest there.
# Left out: OpenSSL, Nettle and Windows' CNG (encrypted zip entries are refused),
# libxml2 and expat (xar archives), zstd, lz4 and lzo (zip's Zstandard method,
# other containers), iconv (Windows converts names itself), regular
# expressions, ACLs and extended attributes.
#
# The result goes to a cache outside the repository, keyed by libarchive's
# Debian version (a security fix of the reader is a new Debian revision):
#   ${XDG_CACHE_HOME:-$HOME/.cache}/korval-tools/libarchive-VERSION-mingw-w64
# (KVL_WIN_LIBARCHIVE overrides the path): include/, lib/ with libarchive.a,
# libz.a, liblzma.a and libbz2.a, share/licenses/ with the four licences,
# and VERSIONS, the Debian versions built. A second run finds it and returns
# at once. About 8 minutes of processor time, most of it in the configure
# checks, which run one at a time; 2.5 MB.
#
# Prints the cache's path as its last line.
#   scripts/windows-libarchive.sh --path   prints the path of a finished build
#                                          and builds nothing (exit 1: none yet)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
if [ "${1:-}" != --path ]; then
  bash scripts/install-deps.sh toolkit >/dev/null
fi

# libarchive at the Debian version of the Linux build's libarchive-dev: both
# builds read archives with the same code.
deb_version=$(dpkg-query -W -f='${source:Version}' libarchive-dev 2>/dev/null || echo 3.6.2-1+deb12u5)
version=${deb_version#*:}
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/korval-tools"
prefix=${KVL_WIN_LIBARCHIVE:-$cache_root/libarchive-$version-mingw-w64}
if [ "${1:-}" = --path ]; then
  [ -f "$prefix/.complete" ] || exit 1
  echo "$prefix"
  exit 0
fi
if [ -f "$prefix/.complete" ]; then
  echo "windows-libarchive: libarchive $version for Windows is already built"
  echo "$prefix"
  exit 0
fi

work="$prefix.work"
rm -rf "$work"
mkdir -p "$work/src" "$prefix"
log="$work/build.log"
: >"$log"
# step TEXT COMMAND...: one line with the time taken; the log's end if it fails.
# The command runs in a subshell of its own with -e: a function of several
# commands stops at the first that fails.
step()
{
  local text=$1 start=$SECONDS status=0
  shift
  echo "windows-libarchive: $text..."
  set +e
  (
    set -e
    "$@"
  ) >>"$log" 2>&1
  status=$?
  set -e
  if [ "$status" -ne 0 ]; then
    echo "windows-libarchive: failed: $text; the last lines of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
  echo "windows-libarchive: $text: done in $((SECONDS - start)) s"
}

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

# Debian's source packages of the installed suite (the same entries as
# scripts/windows-toolkit.sh adds).
add_source_entry()
{
  local list=/etc/apt/sources.list.d/korval-tools-src.sources
  local suite
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  if ! apt-get source --print-uris -qq "libarchive=$deb_version" >/dev/null 2>&1; then
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n\nTypes: deb-src\nURIs: http://deb.debian.org/debian-security\nSuites: %s-security\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$suite" "$suite" "$suite" | $SUDO tee "$list" >/dev/null
    $SUDO apt-get update -q
  fi
}

# fetch SOURCE [BINARY]: Debian's source package, unpacked with its patches
# into $work/SOURCE; at BINARY's installed version when the sources still
# have it, else the newest. The version goes to VERSIONS.
fetch()
{
  local source=$1 binary=${2:-} installed="" dir
  [ -z "$binary" ] || installed=$(dpkg-query -W -f='${source:Version}' "$binary" 2>/dev/null || true)
  dir=$(mktemp -d "$work/src/$source.XXXXXX")
  if [ -n "$binary" ]; then
    (cd "$dir" && { { [ -n "$installed" ] && apt-get source -q "$source=$installed"; } || apt-get source -q "$source"; })
  else
    (cd "$dir" && apt-get source -q "$source=$deb_version")
  fi
  mv "$dir"/*/ "$work/$source"
  echo "$source $(sed -n 's/^Version: //p' "$dir"/*.dsc)" >>"$work/VERSIONS"
  rm -rf "$dir"
}

fetch_sources()
{
  : >"$work/VERSIONS"
  fetch libarchive
  fetch zlib zlib1g
  fetch xz-utils liblzma5
  fetch bzip2 libbz2-1.0
}

host=x86_64-w64-mingw32
cc=$host-gcc-posix
cflags="-O2"

build_zlib()
{
  cd "$work/zlib"
  CHOST=$host CC=$cc CFLAGS=$cflags ./configure --static --prefix="$prefix"
  make -j"$(nproc)" libz.a
  make install
}

# bzlib.h declares the functions as pointers to fill from a DLL unless
# BZ_EXPORT is defined: the library and libarchive are built with it.
build_bzip2()
{
  cd "$work/bzip2"
  make -j"$(nproc)" libbz2.a CC="$cc" AR="$host-ar" RANLIB="$host-ranlib" CFLAGS="$cflags -DBZ_EXPORT"
  install -m 644 libbz2.a "$prefix/lib/"
  install -m 644 bzlib.h "$prefix/include/"
}

# liblzma only, single-threaded (libarchive decodes in one thread).
build_xz()
{
  mkdir -p "$work/xz-build"
  cd "$work/xz-build"
  "$work/xz-utils/configure" --host=$host CC="$cc" CFLAGS="$cflags" --prefix="$prefix" \
    --disable-shared --enable-static --enable-threads=no --disable-nls --disable-doc \
    --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo --disable-lzma-links --disable-scripts
  make -j"$(nproc)" -C src/liblzma
  make -C src/liblzma install
}

# LZMA_API_STATIC: lzma.h declares DLL imports otherwise. libarchive's check
# whether zlib wants ZLIB_WINAPI runs a program, which a cross build cannot:
# it is answered here (zlib is built without it).
configure_libarchive()
{
  cmake -S "$work/libarchive" -B "$work/libarchive-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64-base.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS="-DLZMA_API_STATIC -DBZ_EXPORT" -DCMAKE_C_FLAGS_RELEASE="$cflags -DNDEBUG" \
    -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF -DENABLE_TEST=OFF -DENABLE_INSTALL=OFF \
    -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF -DENABLE_CNG=OFF \
    -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF -DENABLE_ZSTD=OFF -DENABLE_LZ4=OFF -DENABLE_LZO=OFF \
    -DENABLE_LIBB2=OFF -DENABLE_ICONV=OFF -DENABLE_ACL=OFF -DENABLE_XATTR=OFF \
    -DENABLE_PCREPOSIX=OFF -DPOSIX_REGEX_LIB=NONE \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
    -DZLIB_WINAPI=OFF -DZLIB_WINAPI_WITH_LIB="$prefix/lib/libz.a" \
    -DBZIP2_INCLUDE_DIR="$prefix/include" -DBZIP2_LIBRARIES="$prefix/lib/libbz2.a" \
    -DLIBLZMA_INCLUDE_DIR="$prefix/include" -DLIBLZMA_LIBRARY="$prefix/lib/liblzma.a"
}

# Only the static library is built (the project also builds a DLL by
# default); installed under the name a consumer looks for.
install_libarchive()
{
  install -m 644 "$work/libarchive-build/libarchive/libarchive_static.a" "$prefix/lib/libarchive.a"
  install -m 644 "$work/libarchive/libarchive/archive.h" "$work/libarchive/libarchive/archive_entry.h" \
    "$prefix/include/"
  # The programs that link these carry their notices.
  mkdir -p "$prefix/share/licenses"
  cp "$work/libarchive/COPYING" "$prefix/share/licenses/libarchive.txt"
  cp "$work/zlib/LICENSE" "$prefix/share/licenses/zlib.txt"
  cp "$work/xz-utils/COPYING" "$prefix/share/licenses/xz.txt"
  cp "$work/bzip2/LICENSE" "$prefix/share/licenses/bzip2.txt"
  # What only the build needed.
  rm -rf "$prefix/lib/pkgconfig" "$prefix/lib/liblzma.la" "$prefix/share/man"
  cp "$work/VERSIONS" "$prefix/VERSIONS"
}

total=$SECONDS
step "adding Debian's source entries" add_source_entry
step "fetching libarchive $deb_version, zlib, xz-utils and bzip2 from Debian's sources" fetch_sources
step "building zlib" build_zlib
step "building bzip2" build_bzip2
step "building liblzma" build_xz
step "configuring libarchive $version for MinGW-w64" configure_libarchive
step "building libarchive $version for Windows" \
  cmake --build "$work/libarchive-build" --target archive_static -j"$(nproc)"
step "installing into $prefix" install_libarchive
touch "$prefix/.complete"
rm -rf "$work"
echo "windows-libarchive: $(tr '\n' ' ' <"$prefix/VERSIONS")"
echo "windows-libarchive: libarchive $version for Windows in $(du -sh "$prefix" | cut -f1), built in $(((SECONDS - total) / 60)) min $(((SECONDS - total) % 60)) s"
echo "$prefix"
