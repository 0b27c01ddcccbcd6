"""The seven sound cues, synthesised: additive tones, bells, a formant voice
for the crowd and the laughter, and filtered noise for the sparks and claps.
Every cue fades in and out and is brought to the same loudness."""

import math
import random

from wav import RATE

TAU = 2 * math.pi


def silence(seconds):
    return [0.0] * int(seconds * RATE)


def mix(dst, src, start=0.0, gain=1.0):
    """Adds src into dst from `start` seconds on, growing dst as needed."""
    i0 = int(start * RATE)
    if len(dst) < i0 + len(src):
        dst.extend([0.0] * (i0 + len(src) - len(dst)))
    for i, s in enumerate(src):
        dst[i0 + i] += s * gain
    return dst


def adsr(n, attack, release, hold_level=1.0, decay=None):
    """An envelope of n samples: a linear attack, an optional exponential decay
    (time constant in seconds) and a linear release at the end."""
    a, r = max(1, int(attack * RATE)), max(1, int(release * RATE))
    env = []
    for i in range(n):
        e = hold_level
        if decay:
            e *= math.exp(-i / (decay * RATE))
        if i < a:
            e *= i / a
        if i > n - r:
            e *= max(0.0, (n - i) / r)
        env.append(e)
    return env


def tone(freq, seconds, harmonics, attack=0.005, release=0.02, decay=None, vibrato=0.0, glide=0.0):
    """An additive tone; `harmonics` lists the amplitude of each partial."""
    n = int(seconds * RATE)
    env = adsr(n, attack, release, decay=decay)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        f = freq * (1 + glide * t / seconds) * (1 + vibrato * math.sin(TAU * 5.5 * t))
        phase += TAU * f / RATE
        s = 0.0
        for k, amp in enumerate(harmonics, 1):
            if amp and f * k < RATE / 2:
                s += amp * math.sin(k * phase)
        out.append(s * env[i])
    return out


class Resonator:
    """A two-pole band-pass filter, the building block of the formant voice."""

    def __init__(self, freq, bandwidth):
        self.y1 = self.y2 = 0.0
        self.tune(freq, bandwidth)

    def tune(self, freq, bandwidth):
        r = math.exp(-math.pi * bandwidth / RATE)
        self.a1 = 2 * r * math.cos(TAU * freq / RATE)
        self.a2 = -r * r
        self.gain = 1 - r

    def __call__(self, x):
        y = self.gain * x + self.a1 * self.y1 + self.a2 * self.y2
        self.y2, self.y1 = self.y1, y
        return y


def voice(seconds, pitch, vowel, rng, breath=0.0, breath_env=None, loud_env=None):
    """A formant voice: a buzzing glottal source through three resonators.
    pitch(t) and vowel(t) give the pitch in Hz and the formants (F1, F2, F3)
    at time t; breath mixes in noise, for an aspirated "h"."""
    n = int(seconds * RATE)
    f1, f2, f3 = vowel(0.0)
    res = [Resonator(f1, 90), Resonator(f2, 120), Resonator(f3, 180)]
    weights = (1.0, 0.6, 0.25)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        if i % 64 == 0:
            for r, f, bw in zip(res, vowel(t), (90, 120, 180)):
                r.tune(f, bw)
        phase = (phase + pitch(t) / RATE) % 1.0
        source = (1.0 - 2 * phase) * (loud_env(t) if loud_env else 1.0)
        b = breath_env(t) if breath_env else breath
        source += b * (rng.random() * 2 - 1)
        out.append(sum(w * r(source) for w, r in zip(weights, res)))
    return out


def noise_burst(seconds, rng, centre, bandwidth, decay):
    n = int(seconds * RATE)
    res = Resonator(centre, bandwidth)
    return [res(rng.random() * 2 - 1) * math.exp(-i / (decay * RATE)) for i in range(n)]


def finish(samples, loudness=0.2, fade_in=0.004, fade_out=0.012):
    """Fades the ends and brings the loudest 50 ms to the common loudness,
    keeping every peak below full scale."""
    n = len(samples)
    a, r = int(fade_in * RATE), int(fade_out * RATE)
    out = list(samples)
    for i in range(min(a, n)):
        out[i] *= i / a
    for i in range(min(r, n)):
        out[n - 1 - i] *= i / r
    win = int(0.05 * RATE)
    loudest = max(
        math.sqrt(sum(s * s for s in out[i : i + win]) / win) for i in range(0, max(1, n - win), win // 2)
    )
    peak = max(abs(s) for s in out) or 1.0
    gain = min(loudness / (loudest or 1.0), 0.9 / peak)
    out = [s * gain for s in out]
    out[0] = out[-1] = 0.0
    return out


def cle():
    """A bright pick-up: two quick rising chimes."""
    bright = [1, 0, 0.33, 0, 0.2, 0, 0.14]
    out = mix([], tone(1318.5, 0.07, bright, release=0.01))
    mix(out, tone(1975.5, 0.2, bright, decay=0.06, release=0.03), 0.06)
    mix(out, tone(3951.0, 0.14, [1], decay=0.04), 0.06, 0.25)
    return finish(out)


def ding():
    """A bell: inharmonic partials that die away at their own pace."""
    out = []
    for ratio, amp, decay in ((1, 1, 0.7), (2.0, 0.5, 0.5), (2.76, 0.4, 0.35), (5.4, 0.25, 0.2),
                              (8.93, 0.12, 0.12)):
        mix(out, tone(1046.5 * ratio, 1.4, [1], attack=0.002, decay=decay, release=0.1), 0, amp)
    return finish(out)


def electrocut(rng):
    """An electric buzz with crackling sparks, as long as the death sequence."""
    seconds = 0.85
    n = int(seconds * RATE)
    out = []
    p1 = p2 = 0.0
    hum = Resonator(900, 700)
    for i in range(n):
        t = i / RATE
        p1 = (p1 + 98 * (1 + 0.03 * math.sin(TAU * 7 * t)) / RATE) % 1.0
        p2 = (p2 + 147.5 / RATE) % 1.0
        saw = (1 - 2 * p1) + 0.7 * (1 - 2 * p2)
        flutter = 0.6 + 0.4 * math.sin(TAU * 23 * t) * math.sin(TAU * 3.1 * t)
        out.append(hum(saw * 3) * flutter + 0.25 * saw * flutter)
    t = 0.0
    while t < seconds - 0.05:
        mix(out, noise_burst(0.03, rng, rng.uniform(2500, 6000), 2500, 0.006), t, rng.uniform(1.5, 3.0))
        t += rng.uniform(0.01, 0.05)
    out = out[:n]
    env = adsr(n, 0.01, 0.12)
    return finish([s * e for s, e in zip(out, env)], fade_out=0.03)


def clignot():
    """A short blip."""
    return finish(tone(1046.5, 0.09, [1, 0, 0.2], attack=0.004, decay=0.05, release=0.02, glide=0.15))


def bravo(rng):
    """A cheering crowd: voices rising on "yay" over clapping hands."""
    out = silence(1.7)
    for _ in range(7):
        start = rng.uniform(0.0, 0.25)
        length = rng.uniform(1.1, 1.4)
        base = rng.uniform(190, 340)

        def pitch(t, base=base, length=length):
            return base * (1 + 0.25 * min(1, t / 0.25) - 0.2 * max(0, t - length * 0.6) / length)

        def vowel(t):
            k = min(1.0, t / 0.2)
            return (300 + 450 * k, 2300 - 500 * k, 2900)

        def loud(t, length=length):
            return min(1.0, t / 0.08) * max(0.0, min(1.0, (length - t) / 0.4))

        mix(out, voice(length, pitch, vowel, rng, breath=0.15, loud_env=loud), start, 0.5)
    for _ in range(70):
        t = rng.uniform(0.05, 1.6)
        mix(out, noise_burst(0.04, rng, rng.uniform(1000, 2200), 900, 0.008), t, rng.uniform(2, 4))
    return finish(out[: int(1.7 * RATE)], fade_out=0.2)


def rires(rng):
    """Two voices laughing: a mocking "ha ha ha" and a deep "ho ho ho"."""
    out = []
    for start, count, top, vowel_formants, gain in ((0.0, 7, 260, (750, 1200, 2600), 1.0),
                                                    (0.08, 6, 120, (520, 880, 2400), 0.8)):
        for k in range(count):
            syllable = 0.16
            base = top * (1 - 0.035 * k)

            def pitch(t, base=base):
                return base * (1.1 - 0.5 * t)

            def vowel(t, f=vowel_formants):
                return f

            def breath_env(t):
                return 1.2 if t < 0.035 else 0.1

            def loud(t):
                return 0.0 if t < 0.03 else min(1.0, (t - 0.03) / 0.015) * max(0.0, (0.13 - t) / 0.1)

            s = voice(0.14, pitch, vowel, rng, breath_env=breath_env, loud_env=loud)
            mix(out, s, start + k * syllable * (1.0 + 0.04 * k), gain)
    return finish(out, fade_out=0.05)


def fin():
    """A victory fanfare on brass, ending on a held major chord."""
    brass = [1, 0.7, 0.5, 0.38, 0.27, 0.18, 0.12, 0.08]
    notes = [(0.0, 392.0, 0.13), (0.14, 523.25, 0.13), (0.28, 659.25, 0.13), (0.42, 783.99, 0.34),
             (0.78, 659.25, 0.12), (0.92, 783.99, 0.12), (1.06, 1046.5, 1.3)]
    out = []
    for start, f, length in notes:
        mix(out, tone(f, length, brass, attack=0.02, release=0.06, vibrato=0.004 if length > 1 else 0), start)
    for f in (523.25, 659.25, 130.81):
        mix(out, tone(f, 1.3, brass, attack=0.04, release=0.3, vibrato=0.003), 1.06, 0.5)
    for start in (0.0, 0.42, 1.06):
        mix(out, tone(65.4, 0.5, [1, 0.5, 0.2], attack=0.003, decay=0.15, release=0.05), start, 0.8)
    return finish(out, fade_out=0.25)


def render_sounds():
    return {
        "Cle.wav": cle(),
        "Ding.wav": ding(),
        "Electrocut.wav": electrocut(random.Random(31)),
        "Clignot.wav": clignot(),
        "Bravo.wav": bravo(random.Random(32)),
        "Rires.wav": rires(random.Random(33)),
        "Fin.wav": fin(),
    }
