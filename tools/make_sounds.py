#!/usr/bin/env python3
"""Synthesizes the game's eleven jingles into assets/sounds/.

Python 3 standard library only, and deterministic: the same script always
writes the same bytes, so the committed WAVs can be remade and compared.

    python3 tools/make_sounds.py [output-folder]

Every file is mono PCM. The formats and lengths are fixed because the game
and its tests rely on them; the music inside is ours and can change freely.
"""

import math
import random
import struct
import sys
import wave
from pathlib import Path

PEAK = 0.70          # about -3 dBFS: loud enough, never clipping
LOUDNESS = 0.22      # RMS ceiling, so a dense short sound is not the loudest of all
FADE_IN = 0.008      # seconds; keeps the first sample at silence
FADE_OUT = 0.060

NOTE_INDEX = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def freq(note):
    """'A4' -> 440 Hz, 'F#3', 'Bb4' also accepted."""
    name, rest = note[0], note[1:]
    semis = NOTE_INDEX[name]
    while rest and rest[0] in "#b":
        semis += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    midi = 12 * (int(rest) + 1) + semis
    return 440.0 * 2 ** ((midi - 69) / 12)


class Track:
    def __init__(self, rate, seconds):
        self.rate = rate
        self.frames = round(rate * seconds)
        self.buf = [0.0] * self.frames

    def _span(self, start, length):
        a = max(0, int(start * self.rate))
        b = min(self.frames, int((start + length) * self.rate))
        return a, b

    def tone(self, start, length, f, amp=0.3, timbre="brass", attack=0.012,
             release=0.08, vibrato=0.0, glide_to=None):
        """One note: harmonic partials under an attack/sustain/release envelope."""
        partials = TIMBRES[timbre]
        a, b = self._span(start, length)
        n = b - a
        if n <= 0:
            return
        phase = 0.0
        sustain_decay = 1.6 if timbre in ("pluck",) else 0.35
        for i in range(n):
            t = i / self.rate
            ff = f if glide_to is None else f * (glide_to / f) ** (i / n)
            if vibrato:
                ff *= 1.0 + vibrato * math.sin(2 * math.pi * 5.5 * t) * min(1.0, t / 0.15)
            phase += 2 * math.pi * ff / self.rate
            env = min(1.0, t / attack) * math.exp(-sustain_decay * t)
            left = (n - i) / self.rate
            if left < release:
                env *= left / release
            s = 0.0
            for k, w in partials:
                if k * ff < self.rate / 2.2:
                    s += w * math.sin(k * phase)
            self.buf[a + i] += amp * env * s

    def bell(self, start, length, f, amp=0.25):
        """Struck bell: slightly inharmonic partials, each decaying on its own."""
        a, b = self._span(start, length)
        n = b - a
        partials = ((1.0, 1.0, 2.2), (2.0, 0.5, 3.5), (2.76, 0.35, 5.0),
                    (5.4, 0.2, 8.0), (8.93, 0.1, 12.0))
        for i in range(n):
            t = i / self.rate
            left = (n - i) / self.rate
            env = min(1.0, t / 0.004) * (min(1.0, left / 0.05))
            s = 0.0
            for ratio, w, decay in partials:
                fr = f * ratio
                if fr < self.rate / 2.2:
                    s += w * math.exp(-decay * t) * math.sin(2 * math.pi * fr * t)
            self.buf[a + i] += amp * env * s

    def drum(self, start, amp=0.25, length=0.12, rng=None, low=False):
        """A snare tap (filtered noise) or, with low, a soft timpani thump."""
        a, b = self._span(start, length)
        prev = 0.0
        for i in range(b - a):
            t = i / self.rate
            env = min(1.0, t / 0.002) * math.exp(-t * (18.0 if low else 30.0))
            left = (b - a - i) / self.rate
            env *= min(1.0, left / 0.02)
            if low:
                s = math.sin(2 * math.pi * 65.0 * t * (1.0 - 0.3 * t))
            else:
                prev = 0.6 * prev + 0.4 * (rng.random() * 2 - 1)
                s = prev
            self.buf[a + i] += amp * env * s

    def chord(self, start, length, notes, amp=0.2, **kw):
        for note in notes:
            self.tone(start, length, freq(note), amp=amp / math.sqrt(len(notes)), **kw)

    def finish(self):
        """Normalizes to PEAK (or to LOUDNESS, whichever is quieter) and fades
        both ends, so nothing clips or clicks."""
        top = max(abs(s) for s in self.buf) or 1.0
        rms = math.sqrt(sum(s * s for s in self.buf) / len(self.buf)) or 1.0
        gain = min(PEAK / top, LOUDNESS / rms)
        fi, fo = int(FADE_IN * self.rate), int(FADE_OUT * self.rate)
        out = []
        for i, s in enumerate(self.buf):
            g = gain
            if i < fi:
                g *= i / fi
            if i >= self.frames - fo:
                g *= (self.frames - 1 - i) / fo
            out.append(s * g)
        return out


TIMBRES = {
    "brass": ((1, 1.0), (2, 0.55), (3, 0.40), (4, 0.22), (5, 0.14), (6, 0.08)),
    "soft": ((1, 1.0), (2, 0.18), (3, 0.05)),
    "pluck": ((1, 1.0), (2, 0.45), (3, 0.2), (4, 0.1)),
    "reed": ((1, 1.0), (3, 0.45), (5, 0.22), (7, 0.1)),
}


def sad_slide(tr):
    # Two falling steps and a long droop: the classic "not this time".
    tr.tone(0.00, 0.22, freq("G4"), 0.35, "reed", vibrato=0.004)
    tr.tone(0.22, 0.22, freq("F#4"), 0.35, "reed", vibrato=0.004)
    tr.tone(0.44, 0.42, freq("F4"), 0.35, "reed", vibrato=0.02, glide_to=freq("D4"),
            release=0.15)


def ding(tr):
    tr.tone(0.00, 0.20, freq("C5"), 0.3, "pluck")
    tr.tone(0.16, 0.33, freq("G5"), 0.3, "pluck", release=0.15)


def two_pairs(tr):
    for i, n in enumerate(("C5", "E5", "G5")):
        tr.tone(0.16 * i, 0.2, freq(n), 0.3, "pluck")
    tr.chord(0.48, 0.60, ("C5", "E5", "G5"), 0.35, timbre="pluck", release=0.25)


def three_kind(tr):
    for i, n in enumerate(("C5", "E5", "G5", "C6")):
        tr.tone(0.14 * i, 0.22, freq(n), 0.3, "brass", attack=0.02)
    tr.chord(0.56, 0.86, ("E5", "G5", "C6"), 0.35, timbre="brass", release=0.3, vibrato=0.004)


def straight(tr):
    for i, n in enumerate(("G4", "A4", "B4", "C5", "D5", "E5", "F#5")):
        tr.tone(0.08 * i, 0.12, freq(n), 0.25, "pluck")
    tr.chord(0.60, 0.81, ("D5", "G5", "B5"), 0.35, timbre="brass", release=0.3, vibrato=0.004)


def welcome(tr):
    for start, n in ((0.00, "G5"), (0.30, "E5"), (0.60, "C6")):
        tr.bell(start, 1.92 - start, freq(n), 0.25)
    tr.tone(0.90, 1.02, freq("C4"), 0.18, "soft", attack=0.08, release=0.6)
    tr.tone(0.90, 1.02, freq("G4"), 0.12, "soft", attack=0.08, release=0.6)


def small_fanfare(tr, rng):
    for i in range(3):
        tr.tone(0.13 * i, 0.11, freq("G4"), 0.3, "brass", attack=0.01)
        tr.drum(0.13 * i, 0.12, rng=rng)
    tr.chord(0.39, 0.87, ("C5", "E5", "G5"), 0.4, timbre="brass", vibrato=0.005,
             release=0.3)
    tr.drum(0.39, 0.3, 0.4, low=True)


def fanfare(tr, rng, key_shift, seconds, grand=False):
    """A call, a rising answer and a held chord; the grand one adds a second
    phrase, bells and a drum roll."""
    def n(note):
        return freq(note) * 2 ** (key_shift / 12)

    t = 0.0
    call = (("C5", 0.15), ("C5", 0.15), ("C5", 0.15), ("G5", 0.45), ("E5", 0.15),
            ("G5", 0.6))
    for note, d in call:
        tr.tone(t, d * 0.92, n(note), 0.3, "brass", vibrato=0.003)
        tr.tone(t, d * 0.92, n(note) / 2, 0.12, "brass")
        if d < 0.2:
            tr.drum(t, 0.1, rng=rng)
        t += d
    tr.drum(0.0, 0.3, 0.5, low=True)
    tr.drum(t - 0.6, 0.3, 0.5, low=True)
    answer = (("E5", 0.15), ("F5", 0.15), ("G5", 0.15), ("A5", 0.15), ("B5", 0.15),
              ("C6", 0.3))
    for note, d in answer:
        tr.tone(t, d * 0.92, n(note), 0.28, "brass")
        t += d
    if grand:
        second = (("G5", 0.2), ("E5", 0.2), ("C6", 0.4), ("A5", 0.2), ("F5", 0.2),
                  ("D6", 0.4), ("B5", 0.2), ("G5", 0.2), ("E6", 0.6))
        for note, d in second:
            tr.tone(t, d * 0.92, n(note), 0.28, "brass", vibrato=0.003)
            tr.tone(t, d * 0.92, n(note) / 2, 0.1, "soft")
            t += d
        for i, note in enumerate(("C6", "E6", "G6", "C7", "E7", "G7")):
            tr.bell(t - 0.6 + 0.07 * i, 1.5, n(note), 0.1)
    final = seconds - t
    roll_end = t + min(final, 1.2)
    r = t
    while r < roll_end:
        tr.drum(r, 0.06, 0.07, rng=rng)
        r += 0.055
    tr.drum(roll_end, 0.35, 0.8, low=True)
    tr.chord(t, final, ("C4", "C5", "E5", "G5", "C6"), 0.45, timbre="brass",
             attack=0.06, release=min(1.5, final * 0.45), vibrato=0.005)
    for i, note in enumerate(("G5", "C6", "E6", "G6")):
        tr.bell(roll_end + 0.1 * i, final - (roll_end - t) - 0.1 * i, n(note), 0.08)


def farewell(tr):
    # A slow descending melody over a soft minor chord, fading away.
    tune = (("E5", 0.5), ("D5", 0.5), ("C5", 0.5), ("B4", 0.75), ("A4", 0.25),
            ("G#4", 0.5), ("A4", 1.6))
    t = 0.15
    for note, d in tune:
        tr.tone(t, d, freq(note), 0.3, "soft", attack=0.05, release=min(0.2, d / 2),
                vibrato=0.004)
        t += d
    tr.tone(0.0, 2.6, freq("A3"), 0.12, "soft", attack=0.4, release=0.8)
    tr.tone(0.0, 2.6, freq("C4"), 0.10, "soft", attack=0.4, release=0.8)
    tr.tone(2.4, 3.26, freq("E3"), 0.12, "soft", attack=0.4, release=2.0)
    tr.tone(2.4, 3.26, freq("A3"), 0.10, "soft", attack=0.4, release=2.0)
    tr.bell(t, 5.66 - t, freq("A5"), 0.06)


# name: (rate, bits, seconds, composer)
SOUNDS = {
    "DATA_0": (22050, 16, 0.86, lambda tr, rng: sad_slide(tr)),
    "DATA_1": (16000, 16, 0.49, lambda tr, rng: ding(tr)),
    "DATA_2": (22050, 16, 1.08, lambda tr, rng: two_pairs(tr)),
    "DATA_3": (16000, 16, 1.42, lambda tr, rng: three_kind(tr)),
    "DATA_5": (16000, 16, 1.41, lambda tr, rng: straight(tr)),
    "DATA_7": (11025, 8, 1.92, lambda tr, rng: welcome(tr)),
    "DATA_10": (22050, 8, 1.26, small_fanfare),
    "DATA_50": (22050, 16, 4.40, lambda tr, rng: fanfare(tr, rng, 0, 4.40)),
    "DATA_100": (22050, 16, 4.49, lambda tr, rng: fanfare(tr, rng, 2, 4.49)),
    "DATA_500": (22050, 16, 7.52, lambda tr, rng: fanfare(tr, rng, 0, 7.52, grand=True)),
    "DATA_DEF": (11025, 8, 5.66, lambda tr, rng: farewell(tr)),
}


def write_wav(path, rate, bits, samples):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(bits // 8)
        w.setframerate(rate)
        if bits == 8:
            # 8-bit WAV is unsigned, silence at 128.
            data = bytes(max(1, min(255, 128 + round(s * 127))) for s in samples)
        else:
            data = struct.pack("<%dh" % len(samples),
                               *(max(-32767, min(32767, round(s * 32767))) for s in samples))
        w.writeframes(data)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "assets" / "sounds"
    out.mkdir(parents=True, exist_ok=True)
    for name, (rate, bits, seconds, compose) in SOUNDS.items():
        tr = Track(rate, seconds)
        compose(tr, random.Random(name))
        write_wav(out / (name + ".wav"), rate, bits, tr.finish())
        print(f"{name}.wav  {rate} Hz  {bits} bit  {seconds:.2f} s")


if __name__ == "__main__":
    main()
