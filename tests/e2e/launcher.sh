#!/usr/bin/env bash
# The launcher of an installed tree, on SDL's dummy drivers: the player's
# folder from a fresh home, options kept, a moved game followed, signals and
# status passed on, the start without a sound device, and its arguments.
# labels: dummy
source "$(dirname "$0")/lib.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset DISPLAY XDG_DATA_HOME
cmake --install "$(dirname "$M")" --prefix "$TMP/a" >"$TMP/install.log" ||
    fail "install: $(cat "$TMP/install.log")"
export HOME=$TMP/home
U=$HOME/.local/share/marrowick

# play LAUNCHER [ARG...]: a session in which every sound was found.
play() {
    session "$TMP/log" "$@"
    [[ $(cat "$TMP/log") == *$'loading sounds...done\nstart game\n'* ]] ||
        fail "sounds not found: $(cat "$TMP/log")"
}

play "$TMP/a/games/marrowick"
[[ -L $U/data && $(readlink "$U/data") == "$TMP/a/share/games/marrowick/data" ]] ||
    fail "no data link in $U: $(ls -l "$U")"
[[ $(cat "$U/options.txt") == $'w\n2' ]] || fail "first options: $(od -c "$U/options.txt")"
ok "fresh home: folder, data link and options made"

printf 'W\n3\n' >"$U/options.txt"
mv "$TMP/a" "$TMP/b"
play "$TMP/b/games/marrowick"
[[ $(readlink "$U/data") == "$TMP/b/share/games/marrowick/data" ]] || fail "link not moved"
[[ $(cat "$U/options.txt") == $'W\n3' ]] || fail "edited options overwritten"
ok "moved game followed, edited options kept"

# A real driver with no device behind it, as on a machine without sound.
export XDG_DATA_HOME=$TMP/xdg
SDL_AUDIODRIVER=alsa AUDIODEV=nosuchpcm play "$TMP/b/games/marrowick"
[[ $(cat "$TMP/log") == *$'\ninit SDL.OpenAudio: '*$'\nmarrowick: no sound device; starting without sound\n'* ]] ||
    fail "no fallback: $(cat "$TMP/log")"
[[ -L $XDG_DATA_HOME/marrowick/data ]] || fail "XDG_DATA_HOME not used"
ok "no sound device: started again silent, clean end; XDG_DATA_HOME used"
SDL_VIDEODRIVER=nosuchdriver "$TMP/b/games/marrowick" >"$TMP/out" 2>&1
RC=$?
[[ $RC == 1 && $(cat "$TMP/out") == *'SDL_Init: '* && $(cat "$TMP/out") != *sound* ]] ||
    fail "no video: status $RC, output: $(cat "$TMP/out")"
ok "no video: the game's status 1 passed on, no retry"

# arg ARG... STATUS PATTERN: ends with STATUS, output matches, no game.
arg() {
    local status=${*: -2:1} pattern=${*: -1}
    rm -rf "$XDG_DATA_HOME"
    "$TMP/b/games/marrowick" "${@:1:$#-2}" >"$TMP/out" 2>&1
    RC=$?
    [[ $RC == "$status" && $(cat "$TMP/out") =~ $pattern && ! -e $XDG_DATA_HOME ]] ||
        fail "$*: status $RC, output: $(cat "$TMP/out")"
    ok "$1: status $status"
}
arg --help 0 "Usage: marrowick.*$XDG_DATA_HOME/marrowick/options\.txt"
arg --version 0 '^marrowick [0-9]+\.[0-9]+\.[0-9]+$'
arg --fullscreen 2 "unknown argument '--fullscreen'"
arg --scale 0 2 "--scale takes a whole number from 1 to 8"
arg --scale 2 extra 2 "unknown argument 'extra'"
