#!/usr/bin/env bash
# Builds the Debian package from a release build in build-package/ and prints the package's path.
# Install it with `sudo apt install ./build-package/tarnvale_*.deb`; then `tarnvale` starts the
# game and `tarnvale-check DIR` checks a data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNVALE_TESTS=OFF
cmake --build build-package
rm -f build-package/tarnvale_*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls "$PWD"/build-package/tarnvale_*.deb
