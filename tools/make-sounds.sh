#!/usr/bin/env bash
# Regenerates every committed sound under res/ from the list at the end of this file.
#
# usage: tools/make-sounds.sh              builds sndgen if needed, then makes every sound
#        SNDGEN=/path/to/sndgen tools/make-sounds.sh   uses that sndgen instead
#
# Each line below the marker is one sndgen call without the program name:
#   OUT.wav|OUT.ogg SECONDS LAYER...
# OUT is relative to the repository root; missing folders are made. Lines starting with # are
# comments; blank lines are skipped. Run `sndgen` without arguments for the layers.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

source tools/run-list.sh
run_list sounds "$(generator sndgen "${SNDGEN:-}")" "$0" "### sounds ###"
exit

### sounds ###
# the field's events: a stone selected (a blip), a swap that stands (a rising chirp), one that is
# rejected (a falling buzz), a burst (a crack of noise over a rising ping; the game raises its
# pitch with the group's size), a cascade step (a bell; raised with the multiplier)
res/sounds/select.wav 0.12 --tone sine 880 1100 0 0.1 0.35
res/sounds/swap.wav 0.2 --tone triangle 520 880 0 0.18 0.45 --tone sine 1040 1760 0.02 0.14 0.15
res/sounds/reject.wav 0.3 --tone square 260 170 0 0.26 0.22 --tone square 275 180 0 0.26 0.12
res/sounds/burst.wav 0.4 --noise 0 0.25 0.5 0.35 --tone sine 620 1240 0 0.3 0.35
res/sounds/cascade.wav 0.5 --tone sine 1175 1175 0 0.45 0.35 --tone sine 2350 2350 0 0.25 0.12
# a level reached (a rising arpeggio), a hint (two soft notes), the game over (a falling line) and
# a new best score (a fanfare)
res/sounds/level.wav 0.8 --melody triangle 400 0.35 C5,E5,G5,C6:2
res/sounds/hint.wav 0.4 --melody sine 300 0.25 E5,A5
res/sounds/game_over.wav 1.4 --melody triangle 150 0.4 G4,E4,C4:2
res/sounds/best_score.wav 1.5 --melody square 300 0.2 C5,C5,G5,C6:3 --melody sine 300 0.2 E4,E4,B4,E5:3
# menu buttons: under the pointer (a tick) and clicked (a click)
res/sounds/hover.wav 0.05 --tone sine 2000 1800 0 0.04 0.12
res/sounds/click.wav 0.08 --tone triangle 1400 900 0 0.07 0.35 --noise 0 0.02 0.1 0.8
# music, quiet loops: the menus (8 s at 120 beats a minute) and the field (16 s at 120, the tune at twice the pace)
res/sounds/menu.ogg 8 --melody sine 120 0.12 C4:2,G3:2,A3:2,F3:2,C4:2,G3:2,F3:2,G3:2 --melody triangle 120 0.08 E5,G5,C6,G5,E5,A5,C6,A5,E5,G5,C6,G5,F5,A5,G5,D5
res/sounds/field.ogg 16 --melody triangle 120 0.1 A2:2,A2:2,F2:2,F2:2,C3:2,C3:2,G2:2,G2:2,A2:2,A2:2,F2:2,F2:2,C3:2,C3:2,E2:2,E2:2 --melody sine 240 0.07 A4,C5,E5,C5,A4,C5,E5,C5,F4,A4,C5,A4,F4,A4,C5,A4,C4,E4,G4,E4,C4,E4,G4,E4,G4,B4,D5,B4,G4,B4,D5,B4,A4,C5,E5,A5,E5,C5,A4,C5,F4,A4,C5,F5,C5,A4,F4,A4,G4,C5,E5,G5,E5,C5,G4,E5,E4,G#4,B4,E5,B4,G#4,E4,-
