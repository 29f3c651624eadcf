#!/usr/bin/env python3
"""Writes the demo show's music, composed here note by note (no outside material):
  demo.mid  - a Standard MIDI File (format 1): a 16-bar tune in C major on piano over strings and bass;
  chime.wav - a 4-second chime, additive sine synthesis, 22050 Hz mono 16-bit.
Usage: make_music.py [OUTPUT_FOLDER]   (default: this script's folder)"""

import math
import os
import struct
import sys
import wave

TICKS = 480  # per quarter note


def var_len(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, (n & 0x7F) | 0x80)
        n >>= 7
    return bytes(out)


def track(events):
    """events: (tick, bytes) in any order; returns an MTrk chunk with an end-of-track event."""
    data = b""
    now = 0
    for tick, msg in sorted(events, key=lambda e: (e[0], e[1][0] & 0xF0 != 0x80)):
        data += var_len(tick - now) + msg
        now = tick
    data += var_len(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + data


def notes(channel, program, items, velocity):
    """items: (start in quarters, length in quarters, [midi notes])."""
    ev = [(0, bytes([0xC0 | channel, program]))]
    for start, length, pitches in items:
        on = int(start * TICKS)
        off = int((start + length) * TICKS) - 10
        for p in pitches:
            ev.append((on, bytes([0x90 | channel, p, velocity])))
            ev.append((off, bytes([0x80 | channel, p, 0])))
    return ev


def write_midi(path):
    # Chords, one per bar (4 quarters): I vi IV V twice, then IV V iii vi, IV V I I.
    chords = [[60, 64, 67], [57, 60, 64], [53, 57, 60], [55, 59, 62]] * 2 + \
             [[53, 57, 60], [55, 59, 62], [52, 55, 59], [57, 60, 64],
              [53, 57, 60], [55, 59, 62], [60, 64, 67], [60, 64, 67]]
    # Melody: per bar a list of (pitch, quarters); 0 is a rest.
    melody = [
        [(72, 1), (76, 1), (79, 1.5), (77, 0.5)], [(76, 2), (72, 2)],
        [(74, 1), (77, 1), (81, 1.5), (79, 0.5)], [(79, 2), (74, 2)],
        [(72, 1), (76, 1), (79, 1), (84, 1)], [(81, 2), (76, 2)],
        [(77, 1), (76, 1), (74, 1), (72, 1)], [(74, 3), (0, 1)],
        [(77, 1.5), (76, 0.5), (74, 1), (72, 1)], [(74, 1), (79, 1), (83, 2)],
        [(79, 1.5), (77, 0.5), (76, 1), (74, 1)], [(72, 2), (76, 2)],
        [(77, 1), (81, 1), (84, 1.5), (81, 0.5)], [(79, 1), (77, 1), (74, 2)],
        [(76, 1), (79, 1), (84, 2)], [(84, 3), (0, 1)],
    ]
    tune, pads, bass = [], [], []
    for bar, (chord, line) in enumerate(zip(chords, melody)):
        t = bar * 4
        for pitch, length in line:
            if pitch:
                tune.append((t, length, [pitch]))
            t += length
        pads.append((bar * 4, 4, chord))
        bass.append((bar * 4, 2, [chord[0] - 24]))
        bass.append((bar * 4 + 2, 2, [chord[0] - 12]))
    tempo = [(0, b"\xff\x51\x03" + (500000).to_bytes(3, "big")),  # 120 quarters a minute
             (0, b"\xff\x58\x04\x04\x02\x18\x08")]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, 4, TICKS)
    body = track(tempo) + track(notes(0, 0, tune, 96)) + track(notes(1, 48, pads, 52)) + \
        track(notes(2, 32, bass, 80))
    with open(path, "wb") as f:
        f.write(header + body)


def write_chime(path, seconds=4.0, rate=22050):
    # Three bell-like partial sets (C6, E6, G6 entering in turn), each with an exponential decay.
    strikes = [(0.0, 1046.5), (0.6, 1318.5), (1.2, 1568.0), (2.0, 2093.0)]
    frames = bytearray()
    for n in range(int(seconds * rate)):
        t = n / rate
        s = 0.0
        for start, f in strikes:
            if t >= start:
                d = t - start
                env = math.exp(-2.2 * d) * min(1.0, d * 400)
                s += env * (math.sin(2 * math.pi * f * d) + 0.35 * math.sin(2 * math.pi * 2.76 * f * d)
                            + 0.12 * math.sin(2 * math.pi * 5.4 * f * d))
        frames += struct.pack("<h", int(max(-1.0, min(1.0, 0.22 * s)) * 32767))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    write_midi(os.path.join(out, "demo.mid"))
    write_chime(os.path.join(out, "chime.wav"))
