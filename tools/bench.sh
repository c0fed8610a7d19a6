#!/usr/bin/env bash
# Builds the benchmarks in release and prints one table of every figure beside its peer, each
# pair measured in the same process with repetitions in random order (tools/bench.py).
#   tools/bench.sh           the table (Markdown, as pasted into docs/performance.md)
#   tools/bench.sh --check   the same; exits 1 when a figure misses its target
#   tools/bench.sh --only=start_up,teardown   just those figures (the names are in tools/bench.py)
# For a developer before stopping, on a machine that is otherwise idle; never run in CI.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
build=build-bench
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# The game's benchmarks link the tests' support for their window, so the tests are configured
# too; only the benchmark programs and what they load are built.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNVALE_BENCH=ON -DTARNVALE_TESTS=ON \
  -DTARNVALE_SANITIZE=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target config_bench signals_bench png_loader_bench video_bench ttf_bench \
  game_bench field_bench teardown_bench scene_first_frame scene_bare_window game_reload_frame tarnvale \
  startup_check_bench tarnvale-check GL_tessar headless_tessar quorra mordent grisk_png grisk_jpg \
  chime_wav chime_ogg sound_bench >/dev/null
exec python3 tools/bench.py "$build/bin" "$@"
