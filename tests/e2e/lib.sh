# Helpers sourced by the end-to-end scripts; not a test of its own.
if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    echo "lib.sh is sourced by the tests in tests/e2e, it is not one" >&2
    exit 2
fi
set -u

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$ROOT" || exit 1
MARROWICK=${MARROWICK:-build/marrowick}
[[ $MARROWICK == /* ]] || MARROWICK=$ROOT/$MARROWICK
TMP=$(mktemp -d)
PIDS=()
cleanup() {
    local p
    for p in "${PIDS[@]}"; do kill -TERM "$p" 2>/dev/null; done
    sleep 0.3
    for p in "${PIDS[@]}"; do kill -KILL "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$TMP"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP PIPE

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }
[[ -x $MARROWICK ]] || fail "no program at $MARROWICK (set MARROWICK)"

# start_game LOG [ARG...]: the program in the background; GAME is its pid.
start_game() {
    local log=$1
    shift
    "$MARROWICK" "$@" >"$log" 2>"$log.err" &
    GAME=$!
    PIDS+=("$GAME")
}

# wait_exit PID SECONDS: waits a bounded time for the exit, its status in RC.
wait_exit() {
    local i
    for ((i = 0; i < $2 * 20; i++)); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            RC=$?
            local p rest=()
            for p in "${PIDS[@]}"; do [[ $p == "$1" ]] || rest+=("$p"); done
            PIDS=("${rest[@]}")
            return 0
        fi
        sleep 0.05
    done
    fail "program still running after $2 s"
}

# slurp FILE: its exact content, trailing newlines kept, in OUT.
slurp() { OUT=$(cat "$1"; echo x); OUT=${OUT%x}; }

# expect_clean_end LOG: a normal shutdown, "free data..." as the last output.
expect_clean_end() {
    slurp "$1"
    [[ $RC -eq 0 ]] || fail "exit status $RC, expected 0; output: $OUT"
    [[ $OUT == *$'start game\n\nfree data...' ]] ||
        fail "output does not end in \"\\nfree data...\" (no line end): $(tail -c 60 "$1" | od -c)"
    ok "exit 0, \"free data...\" is the last output"
}

# start_x: a private Xvfb on a free display; DISPLAY is exported. No reset:
# one that follows the last client leaving makes the next one fail to connect.
start_x() {
    local i
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$TMP/display" 2>"$TMP/xvfb.log" &
    PIDS+=("$!")
    for ((i = 0; i < 100; i++)); do
        [[ -s $TMP/display ]] && break
        sleep 0.1
    done
    [[ -s $TMP/display ]] || fail "Xvfb did not start: $(cat "$TMP/xvfb.log")"
    DISPLAY=:$(cat "$TMP/display")
    export DISPLAY
    for ((i = 0; i < 50; i++)); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "Xvfb on $DISPLAY does not answer: $(cat "$TMP/xvfb.log")"
}

# find_window: WIN is the program's window once it is mapped; with no window
# manager the focus follows the pointer, so the pointer goes inside it.
find_window() {
    local i
    for ((i = 0; i < 100; i++)); do
        WIN=$(xdotool search --onlyvisible --name '^Marrowick$' 2>/dev/null | head -n 1)
        [[ -n $WIN ]] && break
        sleep 0.1
    done
    [[ -n $WIN ]] || fail "no visible window named Marrowick on $DISPLAY after 10 s;" \
        "program $(kill -0 "$GAME" 2>/dev/null && echo running || echo ended), output: $(cat "$TMP"/log*); Xvfb: $(xdpyinfo >/dev/null 2>&1 && echo answers || echo silent) $(cat "$TMP/xvfb.log")"
    timeout 10 xdotool mousemove --window "$WIN" 320 240 || fail "cannot move the pointer into the window"
}

# press KEY [HOLD]: a real key press. The program reads the key state once
# per frame, so the key is held, and then left up, for several frames.
press() {
    xdotool keydown "$1" && sleep "${2:-0.1}" && xdotool keyup "$1" || fail "xdotool cannot press $1"
    sleep 0.1
}

# shows PICTURE...: polls screenshots of the window for up to 4 s until one
# matches the first picture nearly pixel for pixel and none of the others;
# the 5% fuzz absorbs the 16-bit screen. MAXDIFF allows for moving sprites.
shows() {
    local want=$1 i p best
    shift
    for ((i = 0; i < 8; i++)); do
        import -window "$WIN" "$TMP/shot.png" 2>/dev/null || fail "screenshot failed"
        diffpx "$TMP/shot.png" "data/graphics/$want.png"
        best=$PX
        if ((best <= ${MAXDIFF:-1000})); then
            for p in "$@"; do
                diffpx "$TMP/shot.png" "data/graphics/$p.png"
                ((PX > 10 * best + 20000)) || fail "screen matches $want.png ($best px off) but also $p.png ($PX px off)"
            done
            ok "window shows $want.png ($best px differ, try $((i + 1)))"
            return 0
        fi
        sleep 0.5
    done
    cp "$TMP/shot.png" "${FAILSHOT:-/tmp/marrowick-fail.png}"
    fail "window does not show $want.png: $best px differ; screenshot kept in ${FAILSHOT:-/tmp/marrowick-fail.png}"
}

# diffpx A B: PX is how many pixels differ by more than the fuzz.
diffpx() {
    PX=$(compare -metric AE -fuzz 5% "$1" "$2" null: 2>&1 >/dev/null)
    [[ $PX =~ ^[0-9]+$ ]] || fail "cannot compare $1 with $2: $PX"
}
