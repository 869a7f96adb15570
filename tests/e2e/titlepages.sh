#!/usr/bin/env bash
# The title pages in an X window (Xvfb), turned by real key presses; Escape
# ends the program.
# labels: xvfb
# also on sdl12-compat
source "$(dirname "$0")/lib.sh"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
xserver
run "$TMP/log"
window
# Full screen would show as a screen-sized window.
xwininfo -root -tree | grep -q ' 800x600+0+0' && fail "full screen, though options.txt asks for a window"
shows s1
# Held for a second, some 60 frames, Z still turns a single page.
xdotool keydown z sleep 1 keyup z sleep 0.1
shows s2
press y
shows s3
press z
shows menu
press Escape
ended
clean "$TMP/log"
