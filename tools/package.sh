#!/usr/bin/env bash
# Builds the Debian packages from a release build in build-package/, checks them with lintian as a
# packager would, and prints their paths. Install with `sudo apt install ./build-package/tarnvale_*.deb`;
# then `tarnvale` starts the game and `tarnvale-check DIR` checks a data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
# Debian's hardening flags, and the last commit's time as the release's date (reproducible).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNVALE_TESTS=OFF \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_SHARED_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build build-package
rm -f build-package/*.deb
(cd build-package && cpack -G DEB >/dev/null)
lintian --fail-on error,warning build-package/*.deb >&2
ls "$PWD"/build-package/*.deb
