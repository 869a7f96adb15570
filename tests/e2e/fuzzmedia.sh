#!/usr/bin/env bash
# Damaged media through the real program and the real decoders, on SDL's
# dummy drivers: each picture and sound in turn missing, empty, cut short,
# replaced by garbage and with bytes flipped, from a fixed seed. Every start
# must print the transcript, naming exactly the sounds the mixer refused,
# play the title pages and a game of 1000 frames and end cleanly, however
# the player leaves (each case draws its own way). Meant for the sanitizer
# tree, where a bad read in a decoder is a report.
source "$(dirname "$0")/lib.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy MARROWICK_PLAYER=script MARROWICK_FRAMES=1000
unset DISPLAY
RANDOM=${FUZZ_SEED:-10}
FLIPS=${FUZZ_FLIPS:-8}  # cases of flipped bytes per file
mapfile -t FILES < <(cd data && printf '%s\n' graphics/*.png sounds/*.ogg)
# The sounds of chunk[0] to chunk[5], in the game's order (bg.ogg is the music).
CHUNKS=(hammer wrongjump missed gameover rain heart)

# prepare DIR FILE KIND: a data folder of links to the shipped files, FILE
# damaged as KIND says.
prepare() {
    local dir=$1 f=$2 kind=$3 size n at byte bytes=''
    mkdir "$dir"
    cp -rs "$PWD/data" "$dir"
    rm "$dir/data/$f"
    size=$(stat -c %s "data/$f")
    case $kind in
    missing) ;;
    empty) : >"$dir/data/$f" ;;
    cut*) head -c "${kind#cut}" "data/$f" >"$dir/data/$f" ;;
    garbage)
        for ((n = 0; n < 4096; n++)); do printf -v byte '\\x%02x' $((RANDOM % 256)); bytes+=$byte; done
        printf '%b' "$bytes" >"$dir/data/$f" ;;
    flip*)
        cp "data/$f" "$dir/data/$f"
        for ((n = 0; n < ${kind#flip}; n++)); do
            printf -v byte '\\x%02x' $((RANDOM % 256))
            at=$(((RANDOM << 15 | RANDOM) % size))
            printf '%b' "$byte" | dd of="$dir/data/$f" bs=1 seek="$at" conv=notrunc status=none
        done ;;
    esac
}

# Every case is prepared up front from the one seeded sequence (never drawn
# in a subshell, which bash reseeds), then run two at a time.
CASES=()
for f in "${FILES[@]}"; do
    size=$(stat -c %s "data/$f")
    kinds=(missing empty cut8 "cut$((size / 3))" "cut$((size * 2 / 3))" "cut$((size - 1))" garbage)
    for ((n = 0; n < FLIPS; n++)); do kinds+=("flip$((1 + RANDOM % 8))"); done
    for kind in "${kinds[@]}"; do
        dir=$TMP/c${#CASES[@]}
        prepare "$dir" "$f" "$kind"
        CASES+=("$dir $f $kind")
    done
done
# Each case: exit 0, the whole transcript with an error line for each
# refused sound and no other, 1000 frames played, no sanitizer report.
REFUSED=0
start=$SECONDS
for ((c = 0; c < ${#CASES[@]}; c += 2)); do
    for one in "${CASES[@]:c:2}"; do
        read -r dir f kind <<<"$one"
        (cd "$dir" && timeout 120 env LD_PRELOAD="$PLAYER" MARROWICK_SEED=$((c + 1)) "$M" >out 2>err; echo $? >rc) &
    done
    wait
    for one in "${CASES[@]:c:2}"; do
        read -r dir f kind <<<"$one"
        errors=''
        while read -r i; do
            [[ $f == "sounds/${CHUNKS[i]}.ogg" ]] || fail "$f $kind: chunk[$i] failed too"
            errors+="error with chunk[$i]"
        done < <(sed -n 's/^player: chunk\[\([0-5]\)\] failed$/\1/p' "$dir/err")
        [[ $errors ]] && REFUSED=$((REFUSED + 1))
        [[ $(cat "$dir/rc") == 0 && $(cat "$dir/out"; echo .) == "$CREDIT"$'\ninit SDL...done\nloading graphics...done\nloading sounds...done'"$errors"$'\nstart game\n\nfree data....' ]] ||
            fail "$f $kind: status $(cat "$dir/rc"), output:"$'\n'"$(cat "$dir/out")"$'\n'"$(cat "$dir/err")"
        grep -q '^player: game 1 frames 1001 ' "$dir/err" || fail "$f $kind: no game of 1000 frames: $(cat "$dir/err")"
        # The decoders may complain there ("libpng error: ..."); a report may not.
        ! grep -Eq 'Sanitizer|runtime error' "$dir/err" || fail "$f $kind: on standard error:"$'\n'"$(cat "$dir/err")"
        rm -rf "$dir"
    done
done
ok "${#CASES[@]} damaged starts ($REFUSED with sounds refused) played and ended cleanly in $((SECONDS - start)) s"
