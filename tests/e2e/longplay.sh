#!/usr/bin/env bash
# Fifty games in one run of the real program on SDL's dummy drivers, by the
# player's script: every game ends, the program ends cleanly, and its
# resident size does not grow from game to game.
source "$(dirname "$0")/lib.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy MARROWICK_PLAYER=script MARROWICK_GAMES=50 MARROWICK_FRAMES=300
unset DISPLAY
# On sdl12-compat the player comes first, so its clock is the one the game reads.
(LD_PRELOAD="$PLAYER${SDL12COMPAT:+ $SDL12COMPAT}" exec "$M") >"$TMP/log" 2>"$TMP/err" & GAME=$!
for ((t = 0; t < 12; t++)); do kill -0 "$GAME" 2>/dev/null || break; sleep 10; done  # ended() waits 10 s only
ended
clean "$TMP/log"
mapfile -t rss < <(sed -n 's/^player: game [0-9]* frames 301 rss \([0-9]*\) KiB$/\1/p' "$TMP/err")
((${#rss[@]} == 50)) || fail "not 50 games of 300 frames:"$'\n'"$(cat "$TMP/err")"
ok "50 games of 300 frames, resident KiB after each: ${rss[*]}"
# Under the sanitizers the heap keeps freed memory in quarantine, so resident
# size says nothing there; LeakSanitizer checks the end instead.
[[ ${SANITIZED:-0} == 1 ]] && { ok "resident size not compared under the sanitizers"; exit 0; }
# The first games may touch pages that later ones reuse (a sound first
# played, a deeper call: once 16 KiB after game 2, then none), so sizes are
# compared from game 5 on. The bound is two pages, which a leak of some 190
# bytes a game exceeds over the 45 games after it. On sdl12-compat, SDL 2's
# audio thread mixes on the wall clock, not the player's fast one, and may
# touch a few pages more at any moment: eight pages there, which a leak of
# 730 bytes a game still exceeds.
bound=8
[[ ${SDL12COMPAT:-} ]] && bound=32
for ((g = 5; g < 50; g++)); do
    ((rss[g] - rss[4] <= bound)) || fail "resident size grew from ${rss[4]} KiB after game 5 to ${rss[g]} KiB after game $((g + 1))"
done
ok "resident size after games 6 to 50 within $bound KiB of the ${rss[4]} KiB after game 5"
