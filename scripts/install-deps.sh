#!/usr/bin/env bash
# Installs every Debian package the suite needs to build, test, fuzz and
# benchmark; skips what is already installed. Run as root (or with sudo).
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build make pkg-config git
  clang libclang-rt-14-dev llvm
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-image-formats-plugins
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  xvfb xauth x11-utils xdotool imagemagick
  fonts-dejavu-core shared-mime-info desktop-file-utils
  hyperfine time clang-format
)

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

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
