#!/usr/bin/env bash
# Start-up transcript, end on SIGTERM, missing media and drivers that cannot
# start, on SDL's dummy drivers.
source "$(dirname "$0")/lib.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset DISPLAY

# runtime: the running program's SDL 1.2 is sdl12-compat's when that is
# preloaded, else the classic library.
runtime() {
    lib=$(grep -o '/[^ ]*/libSDL-1\.2\.so[^ ]*' "/proc/$GAME/maps" | sort -u)
    if [[ ${SDL12COMPAT:-} ]]; then
        [[ $lib == "$(realpath "$SDL12COMPAT")" ]] || fail "not on sdl12-compat but on: $lib"
    else
        [[ $lib == /* && $lib != *sdl12-compat* && $lib != *$'\n'* ]] || fail "not on the classic library but on: $lib"
    fi
    ok "runs on $lib"
}

# term DIR SOUNDS-LINE: started in DIR and, once up, ended by SIGTERM as a
# desktop would; the whole transcript.
term() {
    run "$TMP/log" "$1"
    for ((i = 0; i < 100; i++)); do grep -q 'start game' "$TMP/log" && break; sleep 0.1; done
    runtime
    kill -TERM "$GAME"
    ended
    [[ $RC == 0 && $(cat "$TMP/log"; echo .) == \
        "$CREDIT"$'\ninit SDL...done\nloading graphics...done\n'"$2"$'\nstart game\n\nfree data....' ]] ||
        fail "in $1: status $RC, output:"$'\n'"$(cat "$TMP/log")"
    ok "in $1: transcript and clean end"
}
term . "loading sounds...done"
mkdir "$TMP/empty"
term "$TMP/empty" "loading sounds...done$(printf 'error with chunk[%d]' 0 1 2 3 4 5)"

# fatal VAR PIECE: with VAR naming no driver, exit 1 and SDL's reason right
# after the last progress piece.
fatal() {
    timeout 10 "${RUNTIME[@]}" env "$1=nosuchdriver" "$M" >"$TMP/log" 2>/dev/null
    RC=$?
    [[ $RC == 1 && $(cat "$TMP/log"; echo .) =~ ^"$CREDIT"$'\n'"$2"[^$'\n']+$'\n.'$ ]] ||
        fail "$1 unavailable: status $RC, output: $(cat "$TMP/log")"
    ok "$1 unavailable: \"$2<reason>\", exit 1"
}
fatal SDL_VIDEODRIVER "init SDLSDL_Init: "
fatal SDL_AUDIODRIVER "init SDL.OpenAudio: "
