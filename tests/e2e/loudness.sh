#!/usr/bin/env bash
# A whole game, played to its game over by the player (tools/player,
# preloaded) striking every meteor, mixed in real time by the real mixer into SDL's disk audio file:
# no sample clamped by the mixer, peak at or below -1 dBFS, sound in every
# second of play. Difficulty 3 ends soonest (about 52 s); DIFF=1 or 2 measures
# the others.
source "$(dirname "$0")/lib.sh"
# One 2048-sample buffer at 22050 Hz lasts 93 ms: written at that pace, the
# file follows the game's clock.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$TMP/audio.raw SDL_DISKAUDIODELAY=93
unset SDL_VIDEODRIVER
mkdir "$TMP/game" && cp -r data "$TMP/game/" && printf 'w\n%s\n' "${DIFF:-3}" >"$TMP/game/options.txt"
# silent FROM: the audio from byte FROM on holds no sound at all.
silent() { [[ $(tail -c +$(($1 + 1)) "$SDL_DISKAUDIOFILE" | od -An -v -td2 | tr -s ' ' '\n' | grep -cv '^0*$') == 0 ]]; }

xserver
LD_PRELOAD=$PLAYER MARROWICK_PLAYER=strike run "$TMP/log" "$TMP/game"
window
shows s1
# Z until the window shows the next page. On a loaded machine a short press
# can fall between two frames and go unseen, so it is repeated.
for p in s2 s3 menu; do
    for ((t = 0; t < 5; t++)); do press z; looks $p 4 && break; done
    ((t < 5)) || fail "does not show $p.png"
done
ok "title pages turned"
# Z on the menu page starts the game, whose music and rain start at once.
start=$(size)
for ((t = 0; t < 5; t++)); do
    press z
    sleep 1.5
    silent "$start" || break
done
((t < 5)) || fail "no game started"
# The game is over once two seconds (88200 bytes) stay silent: the menu page
# plays nothing. Two minutes at the most.
for ((i = 0; i < 240; i++)); do
    sleep 0.5
    silent $(($(size) - 88200)) && break
done
((i < 240)) || fail "no game over within two minutes"
press Escape
ended
clean "$TMP/log"

# One pass over the samples: the clamped ones, the peak, and the quietest
# of the whole seconds from the first sound on, before the last, in dB
# (-999: silence).
read -r clamped peak quietest seconds < <(od -An -v -td2 -w2 "$SDL_DISKAUDIOFILE" | awk '
    function lev(p) { return p > 0 ? 10 * log(p) / log(10) : -999 }
    { v = $1 + 0; n++
      if (v >= 32767 || v <= -32768) c++
      a = v < 0 ? -v : v; if (a > pk) pk = a
      if (v != 0) { if (!first) first = n; last = n }
      if (first) e[int((n - first) / 22050)] += v * v }
    END {
      secs = int((last - first) / 22050); q = 1e30
      for (k = 0; k < secs; k++) if (e[k] < q) q = e[k]
      printf "%d %.2f %.1f %d\n", c, lev(pk * pk / 32768 / 32768), lev(q / 22050 / 32768 / 32768), secs }')
echo "difficulty ${DIFF:-3}: $seconds s of sound, peak $peak dBFS, $clamped clamped samples, quietest second $quietest dB RMS"
((seconds > 40)) || fail "only $seconds s of sound: no whole game"
((clamped == 0)) || fail "$clamped samples clamped by the mixer"
awk -v p="$peak" 'BEGIN { exit !(p <= -1) }' || fail "peak $peak dBFS above -1 dBFS"
ok "no clamped sample, peak $peak dBFS"
awk -v q="$quietest" 'BEGIN { exit !(q > -60) }' || fail "a second of play at $quietest dB: no sound"
ok "sound in each of $seconds s"

# By level, which the music's volume tells (38 + 10 a level), from the
# game's set-up on: peak and loudness of the whole mix, for the browser's
# figures to be set beside, and the median of its 100 ms blocks, which the
# short effects barely move: the music and the rain, which must be some
# 10 dB louder at the last level than at the first. Levels 9 and 10 are
# one, as from level 9 on the volumes are at the mixer's 128.
grep -o 'music volume [0-9]* at byte [0-9]*' "$TMP/log.err" | awk '$3 == 38 { on = 1 } on { print ($3 - 38) / 10, $6 / 2 }' >"$TMP/levels"
[[ -s $TMP/levels ]] || fail "the player told no music volume"
od -An -v -td2 -w2 "$SDL_DISKAUDIOFILE" | awk -v levels="$TMP/levels" '
    function lev(p) { return p > 0 ? 10 * log(p) / log(10) : -999 }
    function median(l, m,   x, y, t) {  # of blocks[l, 1..m], sorted in place (mawk has no asort)
        for (x = 2; x <= m; x++) for (y = x; y > 1 && blocks[l, y - 1] > blocks[l, y]; y--) {
            t = blocks[l, y]; blocks[l, y] = blocks[l, y - 1]; blocks[l, y - 1] = t }
        return blocks[l, int((m + 1) / 2)] }
    BEGIN { while ((getline line < levels) > 0) { split(line, f, " "); at[++k] = f[2]; name[k] = f[1] < 9 ? f[1] : 9 }; j = 1 }
    { while (j < k && n >= at[j + 1]) j++
      if (n++ < at[1]) next
      v = $1 / 32768; l = name[j]; s[l] += v * v; c[l]++; a = v < 0 ? -v : v; if (a > p[l]) p[l] = a
      bs += v * v; if (++bn == 2205) { blocks[l, ++nb[l]] = bs / bn; bs = bn = 0 } }
    END { for (l = 0; l <= 9; l++) if (c[l]) {
            m[l] = lev(median(l, nb[l]))
            printf "level %s: %.1f s, peak %.1f dBFS, loudness %.1f dB RMS, median 100 ms %.1f dB\n", l < 9 ? l : "9-10",
              c[l] / 22050, lev(p[l] * p[l]), lev(s[l] / c[l]), m[l] }
          exit !(0 in m && 9 in m && m[9] - m[0] > 6) }' || fail "music and rain not louder at the last level than at the first"
