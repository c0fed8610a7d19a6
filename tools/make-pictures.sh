#!/usr/bin/env bash
# Regenerates every committed picture under res/ from the list at the end of this file.
#
# usage: tools/make-pictures.sh            builds picgen if needed, then draws every picture
#        PICGEN=/path/to/picgen tools/make-pictures.sh   uses that picgen instead
#
# Each line below the marker is one picgen call without the program name:
#   OUT.png WIDTH HEIGHT SHAPE FILL [options]
# OUT is relative to the repository root; missing folders are made. Lines starting with # are
# comments (one per group of pictures); blank lines are skipped. Run `picgen` without
# arguments for the shapes and options. Append your own group at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

source tools/run-list.sh
run_list pictures "$(generator picgen "${PICGEN:-}")" "$0" "### pictures ###"
exit

### pictures ###
# game: six stone kinds, each its own colour and symbol (32x24 is square in the game's world;
# symbols are turned back by 45 degrees because stones are drawn turned by 45 degrees)
res/game/stone0.png 32 24 circle 0xfff4f4ff --background 0xe04040ff 0x9c1c1cff --margin 6 --outline 0x5a0a0aff 1
res/game/stone1.png 32 24 triangle 0xfff8e0ff --background 0x3a78e8ff 0x1c3c9cff --margin 5 --rotate 45 --outline 0x0a1a5aff 1
res/game/stone2.png 32 24 plus 0xf0fff0ff --background 0x3cc050ff 0x17782aff --margin 5 --thickness 4 --rotate 45
res/game/stone3.png 32 24 star 0x5a3c00ff --background 0xffd23cff 0xc89a10ff --margin 4 --points 5 --rotate 45
res/game/stone4.png 32 24 ring 0xfff0ffff --background 0xb050e0ff 0x6c2098ff --margin 5 --thickness 3
res/game/stone5.png 32 24 hexagon 0x003c40ff --background 0x40d8d0ff 0x14908aff --margin 5
# game: walls, the background and the burst particle (loaded without extension)
res/game/wall.png 360 12 roundrect 0x9aa4b0ff --gradient 0x5a626cff --radius 4 --outline 0x2c3036ff 1
res/game/wall_tall.png 600 12 roundrect 0x9aa4b0ff --gradient 0x5a626cff --radius 4 --outline 0x2c3036ff 1
res/game/background.png 800 600 fill 0x1c2434ff --gradient 0x06080eff
res/data/game/images/stoneParticle.png 16 16 circle 0xffffffff --gradient 0xffe08080 --margin 1
# interface: menu backdrop, menu, corner and square buttons (normal, hover), the window panels
# (the settings window's taller), the text field, and the check box (box, hover, check mark)
res/interface/menu_background.png 800 600 fill 0x243450ff --gradient 0x080c16ff
res/interface/button.png 260 52 roundrect 0x3c5a8cff --gradient 0x1e2e4cff --radius 10 --outline 0x0c1426ff 2
res/interface/button_hover.png 260 52 roundrect 0x5a84c8ff --gradient 0x2c4472ff --radius 10 --outline 0xffd060ff 2 --shine
res/interface/button_small.png 130 40 roundrect 0x3c5a8cff --gradient 0x1e2e4cff --radius 8 --outline 0x0c1426ff 2
res/interface/button_small_hover.png 130 40 roundrect 0x5a84c8ff --gradient 0x2c4472ff --radius 8 --outline 0xffd060ff 2 --shine
res/interface/button_square.png 40 40 roundrect 0x3c5a8cff --gradient 0x1e2e4cff --radius 8 --outline 0x0c1426ff 2
res/interface/button_square_hover.png 40 40 roundrect 0x5a84c8ff --gradient 0x2c4472ff --radius 8 --outline 0xffd060ff 2 --shine
res/interface/window.png 560 420 roundrect 0x1a2436f0 --gradient 0x0e1420f0 --radius 14 --outline 0x8aa0c8ff 2
res/interface/window_tall.png 560 560 roundrect 0x1a2436f0 --gradient 0x0e1420f0 --radius 14 --outline 0x8aa0c8ff 2
res/interface/field.png 300 40 roundrect 0x0c1220ff --radius 6 --outline 0x8aa0c8ff 2
res/interface/check_box.png 28 28 roundrect 0x0c1220ff --radius 4 --outline 0x8aa0c8ff 2
res/interface/check_box_hover.png 28 28 roundrect 0x18243cff --radius 4 --outline 0xffd060ff 2
res/interface/check_mark.png 28 28 plus 0x60e070ff --margin 6 --thickness 4 --rotate 45
# game tests: thin sticks that lie face to face when emitted side by side (64x12 is 0.16 x 0.04)
tests/data/game/stick0.png 64 12 rect 0xe04040ff
tests/data/game/stick1.png 64 12 rect 0x3a78e8ff
tests/data/game/stick2.png 64 12 rect 0x3cc050ff
# UI tests: a text field of one flat grey
tests/data/ui/field.png 240 56 rect 0x404040ff
# examples/pegfall: the backdrop, a peg (white: lit, the field tints it gold) and the ball, and
# the menu buttons (normal, hover)
examples/pegfall/res/pictures/background.png 800 600 fill 0x10243aff --gradient 0x04080eff
examples/pegfall/res/pictures/peg.png 18 18 circle 0xf4f8ffff --gradient 0x9ab8e8ff --margin 1 --outline 0x1c3460ff 1
examples/pegfall/res/pictures/ball.png 18 18 circle 0xfff4e0ff --gradient 0xc0a070ff --margin 1 --outline 0x503810ff 1 --shine
examples/pegfall/res/pictures/button.png 260 52 roundrect 0x2c6a6aff --gradient 0x163a3aff --radius 10 --outline 0x081818ff 2
examples/pegfall/res/pictures/button_hover.png 260 52 roundrect 0x44a0a0ff --gradient 0x226060ff --radius 10 --outline 0xffd060ff 2 --shine
