#!/usr/bin/env bash
# The title pages and a short game in an X window (Xvfb), with real keys,
# the sound mixed by the real mixer into SDL's disk audio file: 16-bit,
# 22050 Hz mono as the game asks, or 44100 Hz stereo on sdl12-compat, which
# SDL 2's disk driver writes. Escape on the menu ends the program.
source "$(dirname "$0")/lib.sh"
# T: bytes per tenth of a second; D: a buffer's length in ms, 2048 frames,
# which SDL 2 mixes at 44100 Hz. Waiting as long after each buffer keeps
# the file from running ahead of the real clock, and with it the game's.
if [[ ${SDL12COMPAT:-} ]]; then RAW=(-r 44100 -c 2) T=17640 D=46; else RAW=(-r 22050 -c 1) T=4410 D=93; fi
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$TMP/audio.raw SDL_DISKAUDIODELAY=$D
unset SDL_VIDEODRIVER
# db FROM TO [EFFECT...]: the RMS level in whole dB (-999: silence) of the
# audio between two byte offsets, through the sox effects given.
db() { tail -c +$(($1 + 1)) "$SDL_DISKAUDIOFILE" | head -c $(($2 - $1)) | sox -t raw "${RAW[@]}" -e signed -b 16 -L - -n "${@:3}" stats 2>&1 | awk '/^RMS lev dB/ {printf "%d\n", $4 == "-inf" ? -999 : $4}'; }
# heard FROM UNTIL DB: scans the audio from byte FROM as it is written, up
# to UNTIL tenths of a second of it after the game's start (byte s0), for a
# half second louder than DB below 120 Hz; AT is where it starts. Places in
# the audio, not on the wall clock: a slow machine only makes it wait. There
# music and rain stay under -36 dB, a missed meteor under -41; a wrong
# strike reaches -27, the hammer -23.
heard() {
    AT=$1
    while ((AT + 5 * T <= s0 + $2 * T)); do
        if ((AT + 5 * T > $(size))); then sleep 0.1; continue; fi
        (($(db "$AT" $((AT + 5 * T)) lowpass 120) > $3)) && return
        ((AT += T))
    done
    return 1
}

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
s0=$(size)
press z
sleep 0.8
s1=$(size)
# Long before a meteor can reach the band (frame 200): a wrong strike.
press z
MAXDIFF=30000 shows bg
(($(db $((s0 + 5 * T / 2)) "$s1") > -50)) || fail "no music or rain in the game"
ok "music and rain"
heard "$s1" 35 -31 || fail "no wrong strike heard"
ok "wrong strike heard $(((AT - s0) / T)) tenths of a second into the game audio"
# The hammer lands on frame 240, 4 s into the game: after the wrong strike,
# within the game's first 10 s of sound.
heard $((AT + 5 * T)) 100 -25 || fail "no hammer heard"
ok "hammer heard $(((AT - s0) / T)) tenths of a second into the game audio"

# Escape leaves the game, and after the menu's 200 ms guard ends the
# program. That the title pages make no sound, and the halts at a game's
# end leave the menu silent, the unit tests check call by call (Shell.*,
# Game.*), and loudness.sh finds a game's end by that silence.
press Escape
shows menu
sleep 0.5
press Escape
ended
clean "$TMP/log"
