# Sourced by the end-to-end scripts: the program, a scratch folder, cleanup
# and the X helpers.
set -u
# The script runs again as the leader of a session of its own, so that on its
# exit everything it started is ended with it, whatever started that in turn
# (a game under a launcher) and however the script ends. This first process
# stays behind to pass on a Ctrl-C or a TERM and the status.
if [[ $(cut -d ' ' -f 6 /proc/$$/stat) != "$$" ]]; then
    setsid "$BASH" "$0" "$@" &
    child=$!
    trap 'kill -TERM "$child" 2>/dev/null' INT TERM HUP
    while :; do wait "$child"; rc=$?; kill -0 "$child" 2>/dev/null || exit "$rc"; done
fi
cd "$(dirname "${BASH_SOURCE[0]}")/../.." || exit 1
M=${MARROWICK:-build/marrowick}
[[ $M == /* ]] || M=$PWD/$M
# The player preloaded into the program by the tests that play (tools/player).
PLAYER=${PLAYER:-$(dirname "$M")/tools/player/player.so}
TMP=$(mktemp -d)
# left: the session's processes but this script and the subshell asking.
left() { local p; for p in $(pgrep -s $$); do [[ $p == "$$" || $p == "$BASHPID" ]] || echo "$p"; done; }
# TERM first, then KILL for whatever is still there after two seconds (a
# broken game that ignores TERM would spin on, slowing every later test).
cleanup() {
    local i pids
    mapfile -t pids < <(left)
    ((${#pids[@]})) && kill -TERM "${pids[@]}" 2>/dev/null
    for ((i = 0; i < 20; i++)); do [[ $(left) ]] || break; sleep 0.1; done
    mapfile -t pids < <(left)
    ((${#pids[@]})) && kill -KILL "${pids[@]}" 2>/dev/null
    wait
    rm -rf "$TMP"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP PIPE
fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }
[[ -x $M ]] || fail "no program at $M (set MARROWICK)"
# The transcript's first line, with the version the build sets (ctest passes it).
CREDIT="Marrowick ${VERSION:-$(sed -n 's/^project(marrowick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)} - meteors, rain and the hammer"
# SDL12COMPAT names sdl12-compat's library (the compat: tests): the program,
# and only it, runs on it through LD_PRELOAD, as Debian documents.
RUNTIME=()
if [[ ${SDL12COMPAT:-} ]]; then
    [[ -r $SDL12COMPAT ]] || fail "no sdl12-compat at $SDL12COMPAT"
    RUNTIME=(env "LD_PRELOAD=$SDL12COMPAT")
fi
# run LOG [DIR]: the program in the background, started in DIR; GAME is its pid.
run() { : >"$1"; (cd "${2:-.}" && exec "${RUNTIME[@]}" "$M") >>"$1" 2>"$1.err" & GAME=$!; }
# ended: waits up to 10 s for the program's exit; RC is its status.
ended() { for ((i = 0; i < 200; i++)); do kill -0 "$GAME" 2>/dev/null || { wait "$GAME"; RC=$?; return; }; sleep 0.05; done; fail "still running after 10 s"; }
# ends STATUS CMD...: CMD's output, both streams, in OUT; fails unless
# CMD ends with STATUS.
ends() {
    OUT=$("${@:2}" 2>&1)
    RC=$?
    ((RC == $1)) || fail "$*: status $RC, output: $OUT"
}
# clean LOG: exit 0, and "\nfree data..." the last output, with no line end.
clean() { [[ $RC == 0 && $(tail -c 13 "$1"; echo .) == $'\nfree data....' ]] || fail "no clean end, status $RC: $(tail -c 40 "$1" | od -c)"; ok "clean end"; }

# xserver [WxH]: a private Xvfb, 800x600 unless told, exported as DISPLAY.
# -noreset: the reset after the last client leaves makes the next one fail to
# connect. -r: no autorepeat, as under load SDL can take a repeat's release
# for a real one.
xserver() {
    Xvfb -displayfd 3 -screen 0 "${1:-800x600}x24" -nolisten tcp -noreset -r 3>"$TMP/d" 2>"$TMP/xvfb.log" &
    for ((i = 0; i < 100; i++)); do [[ -s $TMP/d ]] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$TMP/d")
    xdpyinfo >/dev/null || fail "no Xvfb: $(cat "$TMP/xvfb.log")"
}
# window: WIN is the program's window once mapped. With no window manager the
# focus follows the pointer, so the pointer goes into it.
window() {
    for ((i = 0; i < 100; i++)); do WIN=$(xdotool search --onlyvisible --name '^Marrowick$' 2>/dev/null | head -n 1); [[ $WIN ]] && break; sleep 0.1; done
    [[ $WIN ]] && timeout 10 xdotool mousemove --window "$WIN" 320 240 || fail "no window: $(cat "$TMP"/log*)"
}
# size: the bytes written so far into SDL's disk audio file.
size() { stat -c %s "$SDL_DISKAUDIOFILE"; }
# press KEY: a real key press, held and then left up for several frames, as
# the program reads the key states once a frame.
press() { xdotool keydown "$1" sleep 0.1 keyup "$1" sleep 0.1 || fail "cannot press $1"; }
# looks PICTURE [TRIES]: within TRIES screenshots half a second apart (8:
# 4 s) one differs from the picture in at most MAXDIFF pixels (moving
# sprites), with a 5% fuzz for the 16-bit screen; PX is the last count. The
# pages and bg.png differ from each other in over 90000 pixels. import is
# given a time limit, as it waits for ever on a window that has gone.
looks() {
    for ((i = 0; i < ${2:-8}; i++)); do
        ((i)) && sleep 0.5
        timeout 10 import -window "$WIN" "$TMP/shot.png" || fail "no screenshot"
        PX=$(compare -metric AE -fuzz 5% "$TMP/shot.png" "data/graphics/$1.png" null: 2>&1)
        ((PX <= ${MAXDIFF:-1000})) && return
    done
    return 1
}
# shows PICTURE: the window shows it within 4 s.
shows() {
    looks "$1" || fail "does not show $1.png ($PX px off)"
    ok "shows $1.png ($PX px off)"
}
