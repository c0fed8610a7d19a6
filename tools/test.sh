#!/usr/bin/env bash
# Installs what is missing, builds the tests with AddressSanitizer and UBSan, and runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
# The benchmarks are built too, so that they keep compiling; they are run by hand.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNVALE_SANITIZE=ON -DTARNVALE_TESTS=ON \
  -DTARNVALE_BENCH=ON
cmake --build build-test
cd build-test
ctest --output-on-failure -j2 "$@"
