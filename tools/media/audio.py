"""Sounds for Marrowick, synthesised in numpy.

Every sound is made at the game's mixer rate (22050 Hz mono), written to a
temporary 16-bit WAV and encoded with oggenc using a fixed stream serial, so
the files come out byte-identical on every run. Their levels follow one
loudness budget (SHARE below), checked on the decoded files after every
run; `audio.py check data/sounds` checks the files as they are.
"""
import os
import subprocess
import tempfile
import wave

import numpy as np

SR = 22050

# The loudness budget. At the game's loudest moment all of these can sound
# at once at full gain: music and rain at level 10 (the game asks 138, the
# mixer applies 128), the heartbeat at 128, the last hammer landing, the
# game-over sound over the fading music, and a missed or wrong strike under
# it. The mixer clamps what passes full scale, so the decoded peaks, added up
# as if they all met in one sample, must stay below HEADROOM_DB. Each file has
# its share as a peak ceiling (dBFS) and a loudness target (dB): the effects
# by their loudest 100 ms, matched so none stands out from the others (the
# heartbeat, which repeats, a little under them), and music and rain by their
# RMS, under the effects.
HEADROOM_DB = -1.0
FX_LOUD_DB = -20.5
SHARE = {               # file: (ceiling, loudness)
    "bg.ogg": (-15.7, -26.0),
    "rain.ogg": (-17.7, -28.5),
    "heart.ogg": (-20.0, FX_LOUD_DB - 1.5),
    "hammer.ogg": (-15.9, FX_LOUD_DB),
    "gameover.ogg": (-15.9, FX_LOUD_DB),
    "wrongjump.ogg": (-17.1, FX_LOUD_DB),
    "missed.ogg": (-17.1, FX_LOUD_DB),
}
# The last landing can come with a strike that finds nothing or a meteor
# falling past: the budget counts the louder of the two.
EITHER = ("wrongjump.ogg", "missed.ogg")


def db(x):
    return 10 ** (x / 20.0)


def t_axis(seconds):
    return np.arange(int(round(seconds * SR))) / SR


def rms_db(x):
    return 20 * np.log10(np.sqrt(np.mean(x ** 2)) + 1e-12)


def loudest_db(x, window=0.1):
    """RMS of the loudest 100 ms: how loud a short effect strikes the ear."""
    k = min(len(x), int(window * SR))
    c = np.cumsum(np.r_[0.0, x ** 2])
    return 10 * np.log10(np.max(c[k:] - c[:-k]) / k + 1e-24)


def fft_filter(x, gain_of_freq, circular=False):
    """Zero-phase filter by reshaping the frequency bins. Non-circular use pads, so
    nothing wraps round from the end to the start."""
    n = len(x)
    m = n if circular else int(2 ** np.ceil(np.log2(n * 2)))
    bins = np.fft.rfft(x, m)
    f = np.fft.rfftfreq(m, 1 / SR)
    bins *= gain_of_freq(f)
    return np.fft.irfft(bins, m)[:n]


def lowpass(f, fc, order=2):
    return 1 / np.sqrt(1 + (f / fc) ** (2 * order))


def highpass(f, fc, order=2):
    return 1 / np.sqrt(1 + (fc / np.maximum(f, 1e-3)) ** (2 * order))


def fades(x, fin=0.005, fout=0.02):
    """Short raised-cosine fades so nothing starts or stops with a click."""
    x = x.copy()
    a, b = int(fin * SR), int(fout * SR)
    if a:
        x[:a] *= 0.5 - 0.5 * np.cos(np.linspace(0, np.pi, a))
    if b:
        x[-b:] *= 0.5 + 0.5 * np.cos(np.linspace(0, np.pi, b))
    return x


def limit(x, ceiling, attack=0.003, release=0.08, block=32):
    """Look-ahead peak limiter: a smooth gain that dips just before and over
    the peaks that would pass the ceiling and recovers slowly after, so
    thuds lose a few dB of crest without the grit of a clipper."""
    n = len(x)
    nb = -(-n // block)
    a = np.zeros(nb * block)
    a[:n] = np.abs(x)
    need = np.minimum(1.0, ceiling / np.maximum(a.reshape(nb, block).max(1), 1e-12))
    k = max(1, int(round(attack * SR / block)))
    # each block takes the least gain within k blocks either side; averaged
    # over the same span, no block ends above what its own peak needs
    padded = np.pad(need, k, constant_values=1.0)
    least = np.min([padded[i:i + nb] for i in range(2 * k + 1)], axis=0)
    rise = 1 - np.exp(-block / (release * SR))
    g = least.copy()
    for i in range(1, nb):
        g[i] = min(least[i], g[i - 1] + (1 - g[i - 1]) * rise)
    padded = np.pad(g, k, mode="edge")
    g = np.mean([padded[i:i + nb] for i in range(2 * k + 1)], axis=0)
    centres = (np.arange(nb) + 0.5) * block
    y = x * np.interp(np.arange(n), centres, g)
    pk = np.max(np.abs(y))
    return y * min(1.0, ceiling / pk) if pk > 0 else y


def level(x, name):
    """Bring a sound to its loudness in SHARE with no sample above its
    ceiling: the limiter takes what sticks out, and the gain in front of it
    is found again so the loudness still comes out at the target."""
    ceiling_db, loud = SHARE[name]
    measure = rms_db if name in ("bg.ogg", "rain.ogg") else loudest_db
    gain = db(loud - measure(x))
    for _ in range(10):
        y = limit(x * gain, db(ceiling_db))
        gain *= db(loud - measure(y))
    return y


def env_adsr(n, a, d, s, r, hold=None):
    """Linear-attack, exponential-decay envelope of n samples."""
    t = np.arange(n) / SR
    e = np.where(t < a, t / max(a, 1e-6), 1.0)
    dec = s + (1 - s) * np.exp(-(t - a) / max(d, 1e-6))
    e = np.where(t >= a, dec, e)
    if hold is not None:
        rel = np.exp(-np.clip(t - hold, 0, None) / max(r, 1e-6))
        e = e * rel
    return e


def sweep_sine(f0, f1, tau, n, phase=0.0):
    """Sine whose pitch glides exponentially from f0 toward f1."""
    t = np.arange(n) / SR
    f = f1 + (f0 - f1) * np.exp(-t / tau)
    return np.sin(2 * np.pi * np.cumsum(f) / SR + phase)


# ------------------------------------------------------------ effects

def rain(seconds=6.0, seed=101):
    """Rain on a wet road. Built in the frequency domain over the exact
    loop length, so the end runs straight on into the start. The game
    restarts it once it has finished, maybe a frame late, so both ends also
    get matched short fades that start and stop on a zero crossing: the
    restart shows only as a brief, soft dip in the hiss."""
    n = int(seconds * SR)
    rng = np.random.default_rng(seed)
    hiss = fft_filter(rng.standard_normal(n),
                      lambda f: highpass(f, 500, 1) * lowpass(f, 5200, 2),
                      circular=True)
    body = fft_filter(rng.standard_normal(n),
                      lambda f: highpass(f, 120, 1) * lowpass(f, 900, 2),
                      circular=True)
    x = hiss * 0.8 + body * 0.45
    # slow swells, periodic in the loop length
    t = np.arange(n) / n
    x *= 1 + 0.18 * np.sin(2 * np.pi * 2 * t + 1) + 0.1 * np.sin(
        2 * np.pi * 5 * t)
    # individual drops: tiny decaying blips, placed round the loop
    drops = np.zeros(n)
    for _ in range(int(seconds * 55)):
        at = int(rng.integers(0, n))
        f = float(rng.uniform(1800, 5200))
        ln = int(SR * 0.012)
        tt = np.arange(ln) / SR
        blip = np.sin(2 * np.pi * f * tt * (1 + 8 * tt)) * np.exp(-tt / 0.0025)
        idx = (at + np.arange(ln)) % n
        drops[idx] += blip * float(rng.uniform(0.2, 1.0))
    x += drops * 0.9
    x -= x.mean()
    # rotate so the file begins (and ends) on a gentle zero crossing
    s = np.sign(x)
    cross = np.nonzero((s[:-1] <= 0) & (s[1:] > 0))[0]
    slope = np.abs(x[cross + 1] - x[cross])
    start = int(cross[np.argmin(slope)]) + 1
    return fades(np.roll(x, -start), 0.025, 0.025)


def heartbeat_thud(n, f0, strength):
    t = np.arange(n) / SR
    body = sweep_sine(f0 * 1.6, f0, 0.03, n)
    e = np.where(t < 0.008, t / 0.008, np.exp(-(t - 0.008) / 0.09))
    x = body * e
    # a muffled knock on top so small speakers hear it too
    rng = np.random.default_rng(int(f0 * 10))
    knock = fft_filter(rng.standard_normal(n),
                       lambda f: lowpass(f, 260, 2) * highpass(f, 60, 1))
    x += knock * np.clip(t / 0.003, 0, 1) * np.exp(-t / 0.025) * 0.35
    return np.tanh(2.2 * x * strength)


def heart():
    x = np.zeros(int(1.9 * SR))
    n = int(0.55 * SR)
    tail = np.clip((n - np.arange(n)) / (0.15 * SR), 0, 1)  # no cut-off tick
    for at, f0, s in ((0.02, 52, 1.0), (0.30, 46, 0.7),
                      (1.02, 52, 1.0), (1.30, 46, 0.7)):
        i = int(at * SR)
        x[i:i + n] += (heartbeat_thud(n, f0, s) * tail)[:len(x) - i]
    return fades(level(x, "heart.ogg"), 0.002, 0.05)


def hammer():
    """The ram hitting the road: a boom, a crack, an iron ring, and the
    frame rattling after."""
    dur = 1.8
    n = int(dur * SR)
    t = np.arange(n) / SR
    rng = np.random.default_rng(202)
    boom = sweep_sine(110, 38, 0.06, n) * np.exp(-t / 0.32)
    crack = fft_filter(rng.standard_normal(n),
                       lambda f: lowpass(f, 2200, 2)) * np.exp(-t / 0.018)
    ring = np.zeros(n)
    for f, a, tau in ((181, 0.5, 0.7), (437, 0.35, 0.5), (702, 0.25, 0.4),
                      (1109, 0.16, 0.3), (1583, 0.1, 0.22), (2210, 0.06, 0.15)):
        ring += a * np.sin(2 * np.pi * f * t + f) * np.exp(-t / tau)
    ring *= np.clip(t / 0.004, 0, 1)
    rattle = np.zeros(n)
    for k in range(7):
        at = int((0.09 + 0.07 * k + float(rng.uniform(0, 0.03))) * SR)
        ln = int(0.03 * SR)
        tt = np.arange(ln) / SR
        r = fft_filter(rng.standard_normal(ln),
                       lambda f: highpass(f, 300, 1) * lowpass(f, 1800, 2))
        e = np.clip(tt / 0.0015, 0, 1) * np.exp(-tt / 0.006)
        rattle[at:at + ln] += r * e * 0.6 * 0.7 ** k
    x = np.tanh(1.8 * boom) * 1.0 + crack * 0.9 + ring * 0.45 + rattle
    return fades(level(x, "hammer.ogg"), 0.001, 0.15)


def wrongjump():
    """A dull, deflating buzz with a whiff of air: 'no'."""
    dur = 0.42
    n = int(dur * SR)
    t = np.arange(n) / SR
    f = 118 - 40 * (t / dur)
    ph = 2 * np.pi * np.cumsum(f) / SR
    buzz = np.zeros(n)
    for k in range(1, 14):
        buzz += np.sin(k * ph) / k * np.exp(-k / 4.0)   # muffled saw
    env = np.clip(t / 0.012, 0, 1) * np.exp(-t / 0.16)
    rng = np.random.default_rng(303)
    whiff = fft_filter(rng.standard_normal(n),
                       lambda f: highpass(f, 500, 2) * lowpass(f, 1600, 2))
    wenv = np.sin(np.pi * np.clip(t / 0.22, 0, 1)) ** 2
    x = buzz * env + whiff * wenv * 0.5
    return fades(level(x, "wrongjump.ogg"), 0.003, 0.04)


def missed():
    """A falling whistle and a crumble: the stone got past."""
    dur = 0.85
    n = int(dur * SR)
    t = np.arange(n) / SR
    f = 140 + (560 - 140) * np.exp(-t / 0.22)
    ph = 2 * np.pi * np.cumsum(f) / SR
    tone = np.sin(ph) + np.sin(3 * ph) / 9 - np.sin(5 * ph) / 25  # triangle-ish
    tone *= np.clip(t / 0.01, 0, 1) * np.exp(-t / 0.3)
    rng = np.random.default_rng(404)
    crumble = np.zeros(n)
    for _ in range(60):
        at = float(rng.uniform(0.18, 0.75))
        i = int(at * SR)
        ln = int(0.02 * SR)
        tt = np.arange(ln) / SR
        g = rng.standard_normal(ln) * np.exp(-tt / 0.004)
        crumble[i:i + ln] += g[:n - i] * np.exp(-(at - 0.18) / 0.25)
    crumble = fft_filter(crumble, lambda f: lowpass(f, 1400, 2)
                         * highpass(f, 120, 1))
    x = tone * 0.8 + crumble * 0.6
    return fades(level(x, "missed.ogg"), 0.003, 0.08)


# ------------------------------------------------------------ music

A4 = 440.0


def midi(m):
    return A4 * 2 ** ((m - 69) / 12.0)


def pad_voice(freq, n, seed, bright=1.0):
    """Three detuned, muffled saws: a slow string-ish pad."""
    t = np.arange(n) / SR
    rng = np.random.default_rng(seed)
    out = np.zeros(n)
    for cents in (-6, 0, 5):
        f = freq * 2 ** (cents / 1200)
        ph0 = float(rng.uniform(0, 2 * np.pi))
        for k in range(1, 9):
            if f * k > 4000:
                break
            out += (np.sin(2 * np.pi * f * k * t + ph0 * k) / k
                    * np.exp(-(k - 1) / (1.6 * bright)))
    return out / 3


def bell(freq, n, decay=1.8):
    t = np.arange(n) / SR
    x = np.zeros(n)
    for ratio, a, tau in ((1.0, 1.0, decay), (2.0, 0.35, decay * 0.6),
                          (2.76, 0.25, decay * 0.4), (5.4, 0.1, decay * 0.2)):
        if freq * ratio < SR / 2 - 500:
            x += a * np.sin(2 * np.pi * freq * ratio * t) * np.exp(-t / tau)
    return x * np.clip(t / 0.004, 0, 1)


def place(buf, sig, at):
    i = int(round(at * SR))
    j = min(len(buf), i + len(sig))
    if j > i:
        buf[i:j] += sig[:j - i]


def music(stems=None):
    """Rain-night theme: A minor, 60 bpm, 16 bars of 4 beats (64 s).
    Slow pads over a heartbeat bass, a sparse bell tune with echoes, and a
    distant roll of thunder. The last bar thins out to a breath so the
    loop's seam falls in a quiet place."""
    bar = 4.0
    bars = 16
    total = bar * bars
    n = int(total * SR)
    pads = np.zeros(n)
    bass = np.zeros(n)
    tune = np.zeros(n)
    rumble = np.zeros(n)

    # two bars per chord: Am  F  Dm  E, twice
    chords = [(57, 60, 64, 69), (53, 57, 60, 65), (50, 57, 62, 65),
              (52, 56, 59, 64)]
    roots = [45, 41, 38, 40]
    for c in range(bars // 2):
        ci = c % 4
        start = c * 2 * bar
        length = 2 * bar + 1.6
        m = int(length * SR)
        tt = np.arange(m) / SR
        env = (np.clip(tt / 1.4, 0, 1)
               * np.clip((2 * bar + 0.2 - tt) / 1.4 + 1, 0, 1) ** 2)
        if c == bars // 2 - 1:        # last chord sinks into the seam
            env *= np.clip((2 * bar - tt) / 3.0, 0, 1) ** 1.5
        swell = 0.8 + 0.2 * np.sin(2 * np.pi * tt / 4.0 - np.pi / 2)
        for v, note in enumerate(chords[ci]):
            place(pads, pad_voice(midi(note), m, 10 * c + v,
                                  0.8 + 0.15 * v) * env * swell, start)
        # soft low root underneath
        place(pads, np.sin(2 * np.pi * midi(roots[ci]) * tt)
              * env * 0.6, start)

    # heartbeat bass: lub-dub on each bar, a lone pulse on beat 3
    for b in range(bars):
        root = midi(roots[(b // 2) % 4])
        for at, amp in ((0.0, 1.0), (0.28, 0.65), (2.0, 0.45)):
            if b == bars - 1 and at > 1.0:
                continue
            m = int(0.6 * SR)
            tt = np.arange(m) / SR
            thud = sweep_sine(root * 2.0, root, 0.04, m) * np.exp(-tt / 0.18)
            thud *= np.clip(tt / 0.006, 0, 1)
            place(bass, np.tanh(1.5 * thud) * amp, b * bar + at)

    # sparse bell tune, A natural minor, in the upper-middle register
    phrase_a = [(0.0, 76, 3), (1.5, 72, 2), (3.0, 74, 2), (6.0, 69, 4)]
    phrase_b = [(0.0, 77, 2), (1.0, 76, 2), (2.0, 72, 2), (4.0, 74, 3),
                (5.5, 71, 3)]
    phrase_c = [(0.0, 72, 2), (1.0, 74, 2), (2.0, 76, 3), (4.0, 81, 3),
                (5.0, 79, 2), (6.0, 76, 4)]
    phrase_d = [(0.0, 74, 2), (2.0, 72, 2), (3.0, 71, 2), (4.0, 68, 4)]
    plan = [(2, phrase_a), (4, phrase_b), (10, phrase_c), (12, phrase_d)]
    # and in the bare bars, a few high drips, like water off the eaves
    drips = np.random.default_rng(606)
    for bar_i in (6, 7, 8, 14):
        for _ in range(3):
            beat = float(drips.integers(0, 8)) / 2
            note = int(drips.choice([81, 84, 88, 86, 76]))
            m = int(2.5 * SR)
            place(tune, bell(midi(note), m, decay=0.6) * 0.35,
                  bar_i * bar + beat)
    for bar_i, phrase in plan:
        for beat, note, dec in phrase:
            at = bar_i * bar + beat
            m = int((dec + 1.5) * SR)
            s = bell(midi(note), m, decay=dec * 0.5)
            place(tune, s, at)
    # a dotted-quarter echo, fed back a few times
    echo = tune.copy()
    d = int(0.75 * SR)
    for k in range(1, 4):
        echo[d * k:] += tune[:n - d * k] * 0.38 ** k
    tune = fft_filter(echo, lambda f: lowpass(f, 3500, 2))

    # distant thunder in bars 6 and 13
    rng = np.random.default_rng(505)
    for at in (6 * bar + 1.0, 13 * bar + 0.5):
        m = int(5.0 * SR)
        tt = np.arange(m) / SR
        r = fft_filter(rng.standard_normal(m),
                       lambda f: lowpass(f, 160, 3) * highpass(f, 25, 1))
        e = np.clip(tt / 0.5, 0, 1) * np.exp(-tt / 1.3)
        e *= 1 + 0.6 * np.sin(2 * np.pi * 1.7 * tt) ** 2
        place(rumble, r * e, at)
    rumble /= np.max(np.abs(rumble)) + 1e-9

    x = pads * 0.10 + bass * 0.32 + tune * 0.16 + rumble * 0.28
    if stems is not None:     # for checking the balance by ear or by numbers
        stems.update(pads=pads * 0.10, bass=bass * 0.32, tune=tune * 0.16,
                     rumble=rumble * 0.28)
    # let the first chord rise out of the seam too
    x *= np.clip(np.arange(n) / SR / 1.0, 0, 1) * 0.4 + 0.6
    return fades(level(x, "bg.ogg"), 0.02, 0.05)


def gameover():
    """A hollow bell, a falling minor motif, and a low chord that fades."""
    dur = 4.6
    n = int(dur * SR)
    x = np.zeros(n)
    t = np.arange(n) / SR
    boom = sweep_sine(90, 41, 0.08, n) * np.exp(-t / 0.6)
    x += np.tanh(1.5 * boom) * 0.9
    x += bell(midi(45), n, decay=1.6) * 0.5
    for k, note in enumerate((76, 72, 69, 64)):
        at = 0.35 + 0.42 * k
        m = int((dur - at) * SR)
        place(x, bell(midi(note), m, decay=0.9) * 0.45, at)
    m = int((dur - 1.8) * SR)
    tt = np.arange(m) / SR
    env = np.clip(tt / 0.6, 0, 1) * np.exp(-tt / 1.1)
    chord = sum(pad_voice(midi(nn), m, 900 + nn, 0.8) for nn in (45, 52, 57, 60))
    place(x, chord * env * 0.5, 1.8)
    x *= np.clip((dur - t) / 1.2, 0, 1)
    return fades(level(x, "gameover.ogg"), 0.002, 0.1)


# ------------------------------------------------------------ output

def write_wav(path, x):
    pcm = np.clip(np.round(x * 32767), -32768, 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(SR)
        w.writeframes(pcm.tobytes())


def decoded(ogg, tmp):
    wav = os.path.join(tmp, "check.wav")
    subprocess.run(["oggdec", "-Q", "-o", wav, ogg], check=True)
    with wave.open(wav) as w:
        d = np.frombuffer(w.readframes(w.getnframes()), "<i2")
    return d.astype(np.float64) / 32768.0


def encode(x, out, quality, ceiling_db, tmp):
    """WAV -> Vorbis with a fixed serial. Vorbis can overshoot the peaks a
    little; if the decoded file passes its ceiling, turn it down and redo."""
    for _ in range(6):
        wav = os.path.join(tmp, "in.wav")
        write_wav(wav, x)
        subprocess.run(["oggenc", "-Q", "-s", "1", "-q", str(quality),
                        "--resample", str(SR), "-o", out, wav], check=True)
        pk = np.max(np.abs(decoded(out, tmp)))
        if pk <= db(ceiling_db):
            return
        x = x * db(ceiling_db - 0.1) / pk
    raise RuntimeError(f"{out}: peak stays above {ceiling_db} dBFS")


def budget(sounddir):
    """The decoded files against the budget: a report, one line per file,
    and the worst-case peak sum in dBFS."""
    lines, peaks = [], {}
    with tempfile.TemporaryDirectory() as tmp:
        music = None
        for name in SHARE:
            x = decoded(os.path.join(sounddir, name), tmp)
            peaks[name] = np.max(np.abs(x))
            if name == "bg.ogg":
                music = rms_db(x)
                lines.append(f"{name:14s} peak {20 * np.log10(peaks[name]):6.1f} dBFS"
                             f"  RMS {music:6.1f} dB")
                continue
            loud = rms_db(x) if name == "rain.ogg" else loudest_db(x)
            # the music plays at 38/128 at level 0 and at 128 at level 10;
            # rain follows it, the effects stay at 128
            low = loud - music
            if name != "rain.ogg":
                low += 20 * np.log10(128 / 38)
            lines.append(f"{name:14s} peak {20 * np.log10(peaks[name]):6.1f} dBFS"
                         f"  {'RMS' if name == 'rain.ogg' else 'loudest 100 ms'}"
                         f" {loud:6.1f} dB: {loud - music:+5.1f} dB on the music"
                         f" at level 10, {low:+5.1f} at level 0")
    worst = sum(p for n, p in peaks.items() if n not in EITHER)
    worst += max(peaks[n] for n in EITHER)
    return lines, 20 * np.log10(worst)


def check(sounddir):
    """Fails (SystemExit) when the worst-case sum reaches HEADROOM_DB."""
    lines, worst = budget(sounddir)
    print("\n".join(lines))
    print(f"worst-case sum of peaks at full gain: {worst:.2f} dBFS"
          f" (must stay below {HEADROOM_DB} dBFS)")
    if worst >= HEADROOM_DB:
        raise SystemExit(f"{sounddir}: the sounds together can clip")


def make_all(outdir):
    os.makedirs(outdir, exist_ok=True)
    # Rain at a high quality: at a low one the codec's own noise brings back
    # the peaks the limiter took off the hiss.
    jobs = [
        ("rain.ogg", lambda: level(rain(), "rain.ogg"), 8),
        ("heart.ogg", heart, 3),
        ("hammer.ogg", hammer, 3),
        ("wrongjump.ogg", wrongjump, 3),
        ("missed.ogg", missed, 3),
        ("gameover.ogg", gameover, 3),
        ("bg.ogg", music, 2),
    ]
    with tempfile.TemporaryDirectory() as tmp:
        for name, fn, q in jobs:
            encode(fn(), os.path.join(outdir, name), q, SHARE[name][0], tmp)
    check(outdir)


if __name__ == "__main__":
    # audio.py check DIR: the budget of the sounds already made
    import sys
    if sys.argv[1:2] == ["check"] and len(sys.argv) == 3:
        check(sys.argv[2])
    else:
        raise SystemExit("usage: audio.py check SOUNDDIR")
