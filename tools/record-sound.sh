#!/usr/bin/env bash
# Records the game's sound for docs/sound (tools/record-sound.py): builds the game in release if
# needed, plays a whole game on a private Xvfb server with OpenAL Soft's wave writer as the
# device, and writes docs/sound/recording.wav, recording.png and README.md.
#   tools/record-sound.sh            into docs/sound
#   tools/record-sound.sh DIR        into DIR
set -euo pipefail
cd "$(dirname "$0")/.."

# BUILD_DIR names another build folder to take the program from (built there as it is set up).
build=${BUILD_DIR:-build}
if [ ! -x "$build/bin/tarnvale" ] || [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNVALE_TESTS=OFF
fi
# The program loads its plug-ins at run time, so they are built alongside it.
cmake --build "$build" --target tarnvale quorra GL_tessar mordent grisk_png grisk_jpg AL_chime \
  chime_wav chime_ogg -j2
exec python3 tools/record-sound.py "$build/bin" "$@"
