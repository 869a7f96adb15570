#!/usr/bin/env bash
# Remakes the screenshots in docs/ by playing the real game under Xvfb: the
# title pages by key presses, then a game played to its end by the perfect
# player of tools/player striking every meteor.
# Usage: tools/media/screenshots.sh (after a build)
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d)
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $game $xvfb 2>/dev/null; rm -rf "$work"' EXIT
game=
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=:$(cat "$work/display")
export DISPLAY
LD_PRELOAD=$PWD/build/tools/player/player.so MARROWICK_PLAYER=strike SDL_AUDIODRIVER=dummy ./build/marrowick >/dev/null &
game=$!
sleep 1.5
win=$(xdotool search --name Marrowick | head -n 1)
shot() { import -window root "docs/$1.png"; }
press() { xdotool keydown --window "$win" "$1" 2>/dev/null; sleep 0.1; xdotool keyup --window "$win" "$1" 2>/dev/null; sleep 0.4; }
shot title; press z; shot howtoplay; press z; shot story; press z; shot menu
press z; sleep 20; shot playing
# The perfect player reaches the hammer in about a minute; catch the
# game-over picture, which stands for six seconds.
for _ in $(seq 240); do
    sleep 0.5
    import -window root "$work/now.png"
    if [ "$(compare -metric AE -fuzz 10% "$work/now.png" data/graphics/gameover.png null: 2>&1)" -lt 20000 ]; then
        cp "$work/now.png" docs/gameover.png
        break
    fi
    cp "$work/now.png" docs/nearhammer.png
done
xdotool key --window "$win" Escape 2>/dev/null
