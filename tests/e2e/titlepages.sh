#!/usr/bin/env bash
# The title pages in a real X window (Xvfb), turned by real key presses:
# s1, s2, s3, menu, one page per press however long the key is held, then
# Escape ends the program.
source "$(dirname "$0")/lib.sh"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
grep -q '^w' options.txt 2>/dev/null || fail "options.txt must ask for a window"

start_x
start_game "$TMP/log"
find_window
# Full screen would put the picture in an unnamed screen-sized window.
xwininfo -root -tree | grep -q ' 800x600+0+0' && fail "full screen, though options.txt asks for a window"
ok "windowed, as options.txt asks"
shows s1 s2 s3 menu

# Held for longer than X's key-repeat delay: still one page.
xdotool keydown z || fail "xdotool keydown"
sleep 0.3
shows s2 s1 s3 menu
sleep 1.2
shows s2 s1 s3 menu
xdotool keyup z
sleep 0.1
ok "Z held for 1.5 s turned one page"

press y
shows s3 s1 s2 menu
press z
shows menu s1 s2 s3

press Escape
wait_exit "$GAME" 10
expect_clean_end "$TMP/log"
echo "titlepages: all checks passed"
