#!/usr/bin/env bash
# Start-up transcript, shutdown on SIGTERM, missing media and failing SDL
# drivers, on SDL's dummy drivers: the real program and the real libraries.
source "$(dirname "$0")/lib.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset DISPLAY

# run_term LOG DIR [ARG...]: runs the program in DIR for about a second, then
# asks it to end as a desktop would, with SIGTERM.
run_term() {
    local log=$1 dir=$2
    shift 2
    (cd "$dir" && exec "$MARROWICK" "$@") >"$log" 2>"$log.err" &
    GAME=$!
    PIDS+=("$GAME")
    sleep 1
    kill -0 "$GAME" 2>/dev/null || { wait "$GAME"; fail "ended by itself (status $?): $(cat "$log" "$log.err")"; }
    kill -TERM "$GAME"
    wait_exit "$GAME" 10
}

# (a) all media present, run from the repository root.
run_term "$TMP/full" "$ROOT"
slurp "$TMP/full"
body=$'init SDL...done\nloading graphics...done\nloading sounds...done\nstart game\n'
[[ $OUT =~ ^[^$'\n']+$'\n'(.*)$ && ${BASH_REMATCH[1]} == "$body"$'\nfree data...' ]] ||
    fail "transcript with all media differs:"$'\n'"$OUT"
ok "credit line, then the four start-up lines, no chunk error"
expect_clean_end "$TMP/full"

# (b) an empty working directory: no data, no options.txt (full screen).
mkdir "$TMP/empty"
run_term "$TMP/bare" "$TMP/empty"
slurp "$TMP/bare"
errs=""
for i in 0 1 2 3 4 5; do errs+="error with chunk[$i]"; done
mapfile -t lines <<<"$OUT"
[[ ${lines[3]-} == "loading sounds...done$errs" ]] ||
    fail "fourth line without media is \"${lines[3]-}\""
[[ ${lines[4]-} == "start game" && ${lines[1]} == "init SDL...done" && ${lines[2]} == "loading graphics...done" ]] ||
    fail "transcript without media differs:"$'\n'"$OUT"
ok "without media: all six chunk errors on the sounds line, then \"start game\""
expect_clean_end "$TMP/bare"

# (c) a library that cannot start: exit 1 with SDL's reason, nothing more.
fatal() {  # DRIVERVAR EXPECTED-PREFIX WHAT
    local log=$TMP/fatal-$1
    env "$1=nosuchdriver" "$MARROWICK" >"$log" 2>"$log.err" &
    GAME=$!
    PIDS+=("$GAME")
    wait_exit "$GAME" 10
    slurp "$log"
    [[ $RC -eq 1 ]] || fail "$3: exit status $RC, expected 1"
    [[ $OUT =~ ^[^$'\n']+$'\n'"$2"[^$'\n']+$'\n'$ ]] ||
        fail "$3: output is not \"<credit>\\n$2<reason>\\n\": $(od -c "$log" | tail -n 5)"
    ok "$3: \"$2<reason>\", exit 1"
}
fatal SDL_VIDEODRIVER "init SDLSDL_Init: " "unknown video driver"
fatal SDL_AUDIODRIVER "init SDL.OpenAudio: " "unknown audio driver"

# (d) command-line arguments are ignored: same transcript, same clean end.
run_term "$TMP/args" "$ROOT" -f --window 3 options.txt
cmp -s "$TMP/full" "$TMP/args" || fail "arguments changed the output: $(cat "$TMP/args")"
expect_clean_end "$TMP/args"
ok "arguments change nothing"
echo "startup: all checks passed"
