#!/usr/bin/env bash
# Start-up on SDL's dummy drivers: the whole transcript, on the runtime
# asked for, and a clean end on SIGTERM. What the double cannot show: the
# real libraries print nothing of their own into it. Missing media and
# drivers that cannot start are the unit tests' (Shell.*) on the double,
# and on the real libraries fuzzmedia.sh's (each file missing) and
# launcher.sh's (no video driver, no sound device).
source "$(dirname "$0")/lib.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset DISPLAY

run "$TMP/log"
for ((i = 0; i < 100; i++)); do grep -q 'start game' "$TMP/log" && break; sleep 0.1; done
# The running program's SDL 1.2 is sdl12-compat's when that is preloaded,
# else the classic library.
lib=$(grep -o '/[^ ]*/libSDL-1\.2\.so[^ ]*' "/proc/$GAME/maps" | sort -u)
if [[ ${SDL12COMPAT:-} ]]; then
    [[ $lib == "$(realpath "$SDL12COMPAT")" ]] || fail "not on sdl12-compat but on: $lib"
else
    [[ $lib == /* && $lib != *sdl12-compat* && $lib != *$'\n'* ]] || fail "not on the classic library but on: $lib"
fi
ok "runs on $lib"
kill -TERM "$GAME"
ended
[[ $RC == 0 && $(cat "$TMP/log"; echo .) == \
    "$CREDIT"$'\ninit SDL...done\nloading graphics...done\nloading sounds...done\nstart game\n\nfree data....' ]] ||
    fail "status $RC, output:"$'\n'"$(cat "$TMP/log")"
ok "transcript and clean end"
