#!/usr/bin/env bash
# Builds the Debian package of the suite, korval-tools_VERSION_ARCH.deb, into
# dist/. It configures a release tree of its own, build-pkg/, with Debian's
# hardening flags (dpkg-buildflags), builds only what the package holds and
# runs cpack; dpkg-shlibdeps computes the runtime dependencies.
# Extra arguments go to the CMake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)

start=$(date +%s)
echo "package: configuring build-pkg/"
# The optimisation level comes from dpkg-buildflags (-O2), so the Release
# flags only switch assertions off. Installing must not build the tests
# (CMAKE_SKIP_INSTALL_ALL_DEPENDENCY): only the targets below are built.
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" -DCMAKE_CXX_FLAGS_RELEASE="-DNDEBUG" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DKVL_BENCH=OFF "$@" >/dev/null

echo "package: building the seven programs, the sample game folder and the packaging data"
cmake --build build-pkg -j"$(nproc)" --target \
  modelconv modelview campconv squadconv planesedit folioswap fltpatch sample packaging_data

echo "package: running cpack"
rm -rf build-pkg/cpack
cpack --config build-pkg/CPackConfig.cmake -B build-pkg/cpack >build-pkg/cpack.log 2>&1 || {
  cat build-pkg/cpack.log >&2
  exit 1
}
mkdir -p dist
deb=$(find build-pkg/cpack -maxdepth 1 -name 'korval-tools_*.deb' -print -quit)
cp "$deb" dist/
deb="dist/$(basename "$deb")"
echo "package: $deb, $(stat -c %s "$deb") bytes, built in $(($(date +%s) - start)) s"
dpkg-deb -f "$deb" Depends | sed 's/^/package: depends on /'
