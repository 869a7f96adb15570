#!/usr/bin/env bash
# The launcher of an installed tree, on SDL's dummy drivers: the player's
# folder from a fresh home, options kept, a moved game followed, launchers
# started together, read-only and broken folders, signals and status passed
# on, the start without a sound device (and make run's), and its arguments.
source "$(dirname "$0")/lib.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset DISPLAY XDG_DATA_HOME
cmake --install "$(dirname "$M")" --prefix "$TMP/a" >"$TMP/install.log" ||
    fail "install: $(cat "$TMP/install.log")"
export HOME=$TMP/home
U=$HOME/.local/share/marrowick

# play LAUNCHER [ARG...]: in the background, sent SIGTERM (as a desktop
# would) once a game could start, with every sound found; then a clean end.
play() {
    : >"$TMP/log"
    "$@" >"$TMP/log" 2>"$TMP/log.err" & GAME=$!
    for ((i = 0; i < 100; i++)); do grep -q 'start game' "$TMP/log" && break; sleep 0.1; done
    kill -TERM "$GAME"
    ended
    clean "$TMP/log"
    [[ $(cat "$TMP/log") == *$'loading sounds...done\nstart game\n'* ]] || fail "sounds not found: $(cat "$TMP/log")"
}

play "$TMP/a/games/marrowick"
[[ -L $U/data && $(readlink "$U/data") == "$TMP/a/share/games/marrowick/data" ]] ||
    fail "no data link in $U: $(ls -l "$U")"
[[ $(cat "$U/options.txt") == $'w\n2' ]] || fail "first options: $(od -c "$U/options.txt")"
ok "fresh home: folder, data link and options made"

printf 'W\n3\n' >"$U/options.txt"
mv "$TMP/a" "$TMP/b"
L=$TMP/b/games/marrowick
play "$L"
[[ $(cat "$U/options.txt") == $'W\n3' ]] || fail "edited options overwritten"
ok "moved game followed: the stale link made again; edited options kept"

# An ordinary user as well as root: nobody, where the tests run as root.
AS=()
((EUID)) || AS=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
chmod 755 "$TMP"
mkdir "$TMP/user"
((EUID)) || chown nobody:nogroup "$TMP/user"

# ROUNDS times, three launchers at once in a home whose folder the first
# round makes, the link to the data missing, stale or right in turn. Each
# starts the game and ends cleanly when closed, and the installed tree stays
# as it was, byte for byte. As the ordinary user only: as root as well it
# would only repeat that. The launcher is the same in the sanitizer tree,
# where fewer rounds do.
ROUNDS=${ROUNDS:-50}
[[ ${SANITIZED:-0} == 1 ]] && ROUNDS=10
tree() { (cd "$TMP/b" && find . -printf '%p %y %m %l\n' | sort && find . -type f -exec sha256sum {} + | sort); }
INSTALLED=$(tree)
for ((r = 0; r < ROUNDS; r++)); do
    case $((r % 3)) in
    0) rm -rf "$TMP/user/.local/share/marrowick/data" ;;
    1) ln -sfn "$TMP/gone" "$TMP/user/.local/share/marrowick/data" ;;
    esac
    pids=()
    for k in 0 1 2; do
        HOME=$TMP/user "${AS[@]}" "$L" >"$TMP/c$k" 2>&1 &
        pids+=($!)
    done
    for k in 0 1 2; do
        for ((i = 0; i < 200; i++)); do grep -q 'start game' "$TMP/c$k" && break; sleep 0.05; done
    done
    kill -TERM "${pids[@]}"
    for k in 0 1 2; do
        wait "${pids[k]}"
        RC=$?
        [[ $RC == 0 && $(tail -c 13 "$TMP/c$k") == $'\nfree data...' ]] ||
            fail "round $r, launcher $k: status $RC: $(cat "$TMP/c$k")"
    done
done
[[ $(tree) == "$INSTALLED" ]] || fail "the installed tree changed: $(diff <(echo "$INSTALLED") <(tree))"
ok "$ROUNDS rounds of three launchers at once${AS:+ as nobody}: all started, installed tree unchanged"

# A folder that is read-only but set up needs no change: the game starts.
# A home that is read-only has no room for one: the launcher says so.
chmod a-w "$TMP/user/.local/share/marrowick"
HOME=$TMP/user play "${AS[@]}" "$L"
ok "read-only folder, already set up: started"
mkdir -p "$TMP/rohome" && chmod 555 "$TMP/rohome"
ends 1 env HOME="$TMP/rohome" "${AS[@]}" "$L"
[[ $OUT == "marrowick: cannot create the folder $TMP/rohome/.local/share/marrowick "* ]] || fail "read-only home: $OUT"
ok "read-only home: status 1, $OUT"

# A real folder of the player's own is left alone, but not used without
# every picture and sound; removed, the link comes back.
rm "$U/data" && mkdir "$U/data"
ends 1 "$L"
[[ $OUT == *"$U/data is a folder of your own"*graphics/bg.png*sounds/wrongjump.ogg*"rm -r '$U/data'"* &&
    $OUT != *'init SDL'* ]] || fail "empty data folder: $OUT"
rmdir "$U/data"
ok "empty data folder: status 1 and how to mend it, no game"

# A real driver with no device behind it, as on a machine without sound: the
# launcher and make run both start the game again silent.
export XDG_DATA_HOME=$TMP/xdg
SDL_AUDIODRIVER=alsa AUDIODEV=nosuchpcm play "$L"
[[ $(cat "$TMP/log.err") == *$'\ninit SDL.OpenAudio: '*$'\nmarrowick: no sound device; starting without sound'* &&
    $(grep -c 'no sound device' "$TMP/log.err") == 1 && $(cat "$TMP/log") != *OpenAudio* ]] || fail "no fallback: $(cat "$TMP/log.err")"
[[ -L $XDG_DATA_HOME/marrowick/data ]] || fail "XDG_DATA_HOME not used"
ok "no sound device: said in one line on standard error, started again silent, clean end; XDG_DATA_HOME used"
# make run starts that launcher, installed into build/run, on this
# checkout's data/ and options.txt: the game runs here.
if [[ ${SANITIZED:-0} != 1 ]]; then
    SDL_AUDIODRIVER=alsa AUDIODEV=nosuchpcm make -s run >"$TMP/out" 2>"$TMP/err" &
    GAME=$!
    for ((i = 0; i < 300; i++)); do grep -q 'start game' "$TMP/out" && break; sleep 0.1; done
    cwd=$(readlink "/proc/$(pgrep -s $$ -x marrowick | head -n 1)/cwd")
    pkill -TERM -s $$ -x marrowick
    ended
    [[ $RC == 0 && $cwd == "$(pwd -P)" && $(cat "$TMP/err") == *'marrowick: no sound device; starting without sound'* ]] ||
        fail "make run without sound: status $RC, in '$cwd', output: $(cat "$TMP/out" "$TMP/err")"
    ok "make run without a sound device: the game silent, in this checkout"
fi

ends 1 env SDL_VIDEODRIVER=nosuchdriver "$L"
[[ $OUT == *'SDL_Init: '* && $OUT != *sound* ]] || fail "no video: $OUT"
ok "no video: the game's status 1 passed on, no retry"

# arg ARG... STATUS PATTERN: ends with STATUS, output matches, no game.
arg() {
    rm -rf "$XDG_DATA_HOME"
    ends "${@: -2:1}" "$L" "${@:1:$#-2}"
    [[ $OUT =~ ${*: -1} && ! -e $XDG_DATA_HOME ]] || fail "$*: $OUT"
    ok "$1: status $RC"
}
arg --help 0 "Usage: marrowick.*$XDG_DATA_HOME/marrowick/options\.txt"
arg --version 0 '^marrowick [0-9]+\.[0-9]+\.[0-9]+$'
arg --fullscreen 2 "unknown argument '--fullscreen'"
arg --scale 0 2 "--scale takes a whole number from 1 to 8"
arg --scale= 2 "--scale takes a whole number from 1 to 8, not ''"
arg --scale 2 extra 2 "unknown argument 'extra'"
