#!/usr/bin/env python3
"""Writes notify.wav, the alert chime: two bell-like tones (E6 then B5), 0.6 s, 16-bit mono."""
import math
import struct
import sys
import wave

RATE = 22050


def bell(freq, start, length, total):
    """Samples of one struck tone with a few inharmonic partials and an exponential decay."""
    out = [0.0] * total
    first = int(start * RATE)
    for n in range(int(length * RATE)):
        if first + n >= total:
            break
        t = n / RATE
        decay = math.exp(-6.0 * t)
        attack = min(1.0, n / (0.004 * RATE))
        v = (math.sin(2 * math.pi * freq * t)
             + 0.45 * math.sin(2 * math.pi * freq * 2.76 * t) * math.exp(-4.0 * t)
             + 0.2 * math.sin(2 * math.pi * freq * 5.4 * t) * math.exp(-8.0 * t))
        out[first + n] = v * decay * attack
    return out


def main(path):
    total = int(0.6 * RATE)
    a = bell(1318.5, 0.0, 0.6, total)
    b = bell(987.8, 0.15, 0.45, total)
    mix = [x + y for x, y in zip(a, b)]
    peak = max(abs(v) for v in mix) or 1.0
    frames = b"".join(struct.pack("<h", int(v / peak * 0.7 * 32767)) for v in mix)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "notify.wav")
