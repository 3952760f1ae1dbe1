#!/usr/bin/env bash
# Installs the Debian packages the suite needs and skips what is already
# installed. Run as root (or with sudo). Prints one line per step; apt's own
# output goes to a log file that is shown only when a step fails.
#   scripts/install-deps.sh            build, test, fuzz and benchmark
#   scripts/install-deps.sh package    also what scripts/package.sh and the
#                                      package check need (lintian, AppStream)
#   scripts/install-deps.sh windows    also the MinGW-w64 cross compiler, Wine,
#                                      zip and NSIS for scripts/windows.sh
#   scripts/install-deps.sh toolkit    also what building Qt and the archive
#                                      library for Windows from Debian's
#                                      sources needs (scripts/windows-toolkit.sh,
#                                      scripts/windows-libarchive.sh)
# Several groups may be named at once.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build make pkg-config git
  clang libclang-rt-14-dev llvm
  libgtest-dev libgmock-dev libbenchmark-dev libarchive-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-image-formats-plugins
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  xvfb xauth x11-utils xdotool imagemagick
  fonts-dejavu-core shared-mime-info desktop-file-utils librsvg2-bin
  hyperfine time clang-format
)
# Kept apart because they are large (lintian brings much of Perl, Wine a
# whole Windows user space) and only packaging needs them.
package_group=(lintian appstream dpkg-dev file man-db)
windows_group=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 zip nsis)
toolkit_group=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev-tools
  dpkg-dev perl xz-utils bzip2 make cmake ninja-build libarchive-dev)

for group in "$@"; do
  case "$group" in
    package) packages+=("${package_group[@]}") ;;
    windows) packages+=("${windows_group[@]}") ;;
    toolkit) packages+=("${toolkit_group[@]}") ;;
    *)
      echo "install-deps: unknown group '$group' (known: package, windows, toolkit)" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages are installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp "${TMPDIR:-/tmp}/install-deps.XXXXXX.log")

# step TEXT COMMAND...: one line for the step; the log only if it fails.
step()
{
  local text=$1
  shift
  echo "install-deps: $text"
  if ! "$@" >>"$log" 2>&1; then
    echo "install-deps: failed: $text; the last lines of $log:" >&2
    tail -n 25 "$log" >&2
    exit 1
  fi
}

step "updating the package lists" $SUDO apt-get update -q
step "installing ${#missing[@]} packages: ${missing[*]}" \
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
rm -f "$log"
echo "install-deps: done"
