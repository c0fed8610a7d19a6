#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it from the source tree (cfg/ and res/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNVALE_TESTS=OFF
cmake --build build
exec ./build/bin/tarnvale
