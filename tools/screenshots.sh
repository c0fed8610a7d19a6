#!/usr/bin/env bash
# Takes the README's pictures: builds the game if needed, runs it on a private Xvfb server, types
# a name into the start screen's field and photographs the start screen, the how-to-play window,
# the settings window, a game in progress (also in a 1280 x 720 window), a selection beside a
# hint, the rising score numbers, the pause, the countdown before the end, a game that is over,
# the start screen with Continue and the best scores, then quits through the menu. The game keeps
# its files in a folder of its own (never the real home), ends its games on a line set lower and
# hints after 3 s, so that the pictures come within a minute.
# Writes docs/screenshots/{start_screen,how_to_play,settings,game,game_1280x720,hint_and_selection,
# score_numbers,paused,warning,game_over,continue,confirm_new_game,best_scores}.png.
set -euo pipefail
cd "$(dirname "$0")/.."

out=docs/screenshots
settle_seconds=${SETTLE_SECONDS:-8}

# BUILD_DIR names another build folder to take the program from (built there as it is set up).
build=${BUILD_DIR:-build}
if [ ! -x "$build/bin/tarnvale" ] || [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNVALE_TESTS=OFF
fi
# The program loads its plug-ins at run time, so they are built alongside it.
cmake --build "$build" --target tarnvale quorra GL_tessar mordent grisk_png grisk_jpg -j2

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "screenshots: $*" >&2
  if [ -s "$work/game.log" ]; then
    echo "--- game output ---" >&2
    tail -n 40 "$work/game.log" >&2
  fi
  exit 1
}

# waits up to $1 seconds for the command after it to succeed
wait_for() {
  local tries=$(($1 * 5))
  shift
  while ! "$@" 2>/dev/null; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.2
  done
}

# Xvfb picks a free display itself and writes its number once it accepts connections; it must
# not reset when a short-lived client such as xdotool is the last to leave.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 20 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"

# A copy of the data whose game ends soon, and a data folder with two earlier games and the
# name typed in an earlier run.
mkdir -p "$work/play" "$work/data/tarnvale"
cp -r cfg res "$work/play/"
sed -i -e 's/gameOverLine 0.55/gameOverLine -0.2/' -e 's/hintSeconds 10/hintSeconds 3/' "$work/play/res/game/game.scn"
printf '[Scores]\n\t[Score0]\n\t\tname Grace\n\t\tscore 57\n\t\tdate 2024-03-02\n\t[/]\n\t[Score1]\n\t\tname Alan\n\t\tscore 9\n\t\tdate 2024-02-11\n\t[/]\n[/]\n' \
  >"$work/data/tarnvale/scores.cfg"
printf '[Settings]\n\tPlayerName Ada\n[/]\n' >"$work/data/tarnvale/settings.cfg"
bin=$PWD/$build/bin/tarnvale
(cd "$work/play" && XDG_DATA_HOME="$work/data" TARNVALE_SEED=1 exec "$bin") >"$work/game.log" 2>&1 &
game_pid=$!

find_window() {
  window=$(xdotool search --name '^Tarnvale$' | head -n 1)
  [ -n "$window" ]
}
wait_for 60 find_window || fail "the game window did not appear"

eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 800 ] && [ "$HEIGHT" -eq 600 ] || fail "window is ${WIDTH}x${HEIGHT}, expected 800x600"

# x runs from -1 (left) to 1 (right), y from -1 (bottom) to 1 (top) across the window.
click() {
  local px py
  px=$(awk -v x="$1" 'BEGIN { printf "%d", (x + 1) * 400 + 0.5 }')
  py=$(awk -v y="$2" 'BEGIN { printf "%d", (1 - y) * 300 + 0.5 }')
  xdotool mousemove --window "$window" "$px" "$py"
  sleep 0.2
  xdotool click 1
}

# The window's picture; $2 is its size when it is not 800 x 600.
shot() {
  import -window root -crop "${2:-800x600}+${X}+${Y}" +repage "$1"
}

# A picture of one flat colour means the first frame is not drawn yet.
drawn() {
  shot "$work/probe.png"
  [ "$(convert "$work/probe.png" -format '%k' info:)" -gt 1 ]
}

# Keep the pointer off the buttons so none of them shows its hover picture.
xdotool mousemove --window "$window" 790 590
wait_for 30 drawn || fail "the start screen was never drawn"
sleep 1
mkdir -p "$out"

click 0 0.38         # the name field
sleep 0.5
xdotool mousemove --window "$window" 790 590
xdotool type --window "$window" --delay 80 " King"
# A key shows the blinking cursor at once: photograph right after the last one.
shot "$out/start_screen.png"

click 0 -0.345       # How to play
sleep 1
xdotool mousemove --window "$window" 790 590
sleep 0.5
shot "$out/how_to_play.png"
click 0 -0.546       # its Close button (y -0.78 of the 420 pixel high window)
sleep 1

click 0 -0.52        # Settings
sleep 1
xdotool mousemove --window "$window" 790 590
sleep 0.5
shot "$out/settings.png"
click 0 -0.747       # its Close button (y -0.8 of the 560 pixel high window)
sleep 1

click 0 0.005        # New game
sleep 4
xdotool mousemove --window "$window" 790 590
sleep 0.5
shot "$out/game.png"
# The picture fitted to a wide window, as on a 1280 x 720 screen, then back to 800 x 600.
xdotool windowsize "$window" 1280 720
sleep 1.5
shot "$out/game_1280x720.png" 1280x720
xdotool windowsize "$window" 800 600
sleep 1
# A stone low in the pile selected (darkened), then the hint glowing around two others.
for point in "0 -0.75" "0.05 -0.7" "-0.05 -0.7" "0 -0.65"; do
  # shellcheck disable=SC2086
  click $point
  sleep 0.5
  grep -q "INFO:Selected " "$work/game.log" && break
done
hints=$(grep -c "INFO:Hint: " "$work/game.log" || true)
more_hints() { [ "$(grep -c "INFO:Hint: " "$work/game.log")" -gt "$hints" ]; }
xdotool mousemove --window "$window" 790 590
if wait_for 20 more_hints; then
  sleep 0.2
  shot "$out/hint_and_selection.png"
else
  echo "screenshots: no hint came (no swap left?); hint_and_selection.png not taken" >&2
fi
xdotool key --window "$window" Escape   # takes the selection back; without one it pauses
sleep 0.3
if grep -q "INFO:Paused" "$work/game.log"; then xdotool key --window "$window" p; fi
# The numbers that rise where the next groups go.
groups=$(grep -c "INFO:Group of " "$work/game.log" || true)
more_groups() { [ "$(grep -c "INFO:Group of " "$work/game.log")" -gt "$groups" ]; }
if wait_for 30 more_groups; then
  sleep 0.3
  shot "$out/score_numbers.png"
fi
xdotool key --window "$window" p
sleep 0.5
shot "$out/paused.png"
xdotool key --window "$window" Escape

wait_for 240 grep -q "INFO:Warning: the game ends in" "$work/game.log" || fail "no warning before the end"
sleep 0.3
shot "$out/warning.png"
wait_for 240 grep -q "INFO:Game over" "$work/game.log" || fail "the game did not end"
sleep 1
shot "$out/game_over.png"

click 0.294 -0.434   # the window's Menu
click 0 0.005        # New game
sleep 2
click 0.8 0.9        # the game's Menu: the game runs, Continue is offered
sleep 1
xdotool mousemove --window "$window" 790 590
sleep 0.5
shot "$out/continue.png"

click 0 0.005        # New game while the game runs: it asks first
sleep 1
xdotool mousemove --window "$window" 790 590
sleep 0.5
shot "$out/confirm_new_game.png"
xdotool key --window "$window" Escape
sleep 1

click 0 -0.17        # Best scores
sleep 1
xdotool mousemove --window "$window" 790 590
sleep 0.5
shot "$out/best_scores.png"

xdotool key --window "$window" Escape   # back to the menu
sleep 1
click 0 -0.695       # Quit

# The finished game stays a zombie until it is waited for.
game_exited() {
  local state
  state=$(awk '/^State:/ { print $2 }' "/proc/$game_pid/status" 2>/dev/null || true)
  [ -z "$state" ] || [ "$state" = Z ]
}
wait_for 20 game_exited || fail "the game did not quit from the menu"
status=0
wait "$game_pid" || status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the game exited with code $status"

echo "Wrote the pictures in $out"
