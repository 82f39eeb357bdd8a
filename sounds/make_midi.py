#!/usr/bin/env python3
"""Writes small General MIDI files of public-domain melodies (no dependencies).

Usage: make_midi.py OUTPUT_FOLDER
"""
import os
import struct
import sys

TICKS = 480  # per quarter note

NOTE = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def pitch(name):
    """'C4' -> 60, 'F#4' -> 66, 'Bb3' -> 58."""
    base = NOTE[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        base += 1
        rest = rest[1:]
    elif rest.startswith("b"):
        base -= 1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + base


def varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def song(notes, tempo_bpm, program, repeats=1, velocity=90):
    """notes: list of (name or 'R', beats). Ends with a rest so the last note rings out."""
    events = bytearray()
    events += varlen(0) + bytes([0xFF, 0x51, 0x03]) + struct.pack(">I", 60000000 // tempo_bpm)[1:]
    events += varlen(0) + bytes([0xC0, program])
    delay = 0
    for _ in range(repeats):
        for name, beats in notes:
            length = int(beats * TICKS)
            if name == "R":
                delay += length
                continue
            key = pitch(name)
            events += varlen(delay) + bytes([0x90, key, velocity])
            events += varlen(int(length * 0.92)) + bytes([0x80, key, 0])
            delay = length - int(length * 0.92)
    # A closing rest: the synthesiser stops at the last event.
    events += varlen(delay + TICKS * 2) + bytes([0x90, 0, 0])
    events += varlen(0) + bytes([0xFF, 0x2F, 0x00])
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS)
    return header + b"MTrk" + struct.pack(">I", len(events)) + bytes(events)


def parse(text):
    out = []
    for token in text.split():
        name, beats = token.split(":")
        out.append((name, float(beats)))
    return out


# Beethoven, Symphony No. 9, "Ode to Joy" theme.
ODE = parse("""
E4:1 E4:1 F4:1 G4:1 G4:1 F4:1 E4:1 D4:1 C4:1 C4:1 D4:1 E4:1 E4:1.5 D4:0.5 D4:2
E4:1 E4:1 F4:1 G4:1 G4:1 F4:1 E4:1 D4:1 C4:1 C4:1 D4:1 E4:1 D4:1.5 C4:0.5 C4:2
D4:1 D4:1 E4:1 C4:1 D4:1 E4:0.5 F4:0.5 E4:1 C4:1 D4:1 E4:0.5 F4:0.5 E4:1 D4:1 C4:1 D4:1 G3:2
E4:1 E4:1 F4:1 G4:1 G4:1 F4:1 E4:1 D4:1 C4:1 C4:1 D4:1 E4:1 D4:1.5 C4:0.5 C4:2
""")

# Traditional French melody "Ah! vous dirai-je, maman".
TWINKLE = parse("""
C5:1 C5:1 G5:1 G5:1 A5:1 A5:1 G5:2 F5:1 F5:1 E5:1 E5:1 D5:1 D5:1 C5:2
G5:1 G5:1 F5:1 F5:1 E5:1 E5:1 D5:2 G5:1 G5:1 F5:1 F5:1 E5:1 E5:1 D5:2
C5:1 C5:1 G5:1 G5:1 A5:1 A5:1 G5:2 F5:1 F5:1 E5:1 E5:1 D5:1 D5:1 C5:2
""")

# Mozart, Eine kleine Nachtmusik, opening theme.
NACHTMUSIK = parse("""
G4:1 R:0.5 D4:0.5 G4:1 R:0.5 D4:0.5 G4:0.5 D4:0.5 G4:0.5 B4:0.5 D5:2
C5:1 R:0.5 A4:0.5 C5:1 R:0.5 A4:0.5 C5:0.5 A4:0.5 F#4:0.5 A4:0.5 D4:2
G4:1 G4:1.5 B4:0.5 A4:0.5 G4:0.5 G4:0.5 F#4:0.5 F#4:1.5 A4:0.5 C5:0.5 F#4:0.5
A4:1 G4:1 G4:1.5 B4:0.5 A4:0.5 G4:0.5 G4:0.5 F#4:0.5 F#4:1.5 A4:0.5 C5:0.5 F#4:0.5 G4:2
""")

# Traditional round "Frère Jacques".
JACQUES = parse("""
F4:1 G4:1 A4:1 F4:1 F4:1 G4:1 A4:1 F4:1 A4:1 Bb4:1 C5:2 A4:1 Bb4:1 C5:2
C5:0.5 D5:0.5 C5:0.5 Bb4:0.5 A4:1 F4:1 C5:0.5 D5:0.5 C5:0.5 Bb4:0.5 A4:1 F4:1
F4:1 C4:1 F4:2 F4:1 C4:1 F4:2
""")

# A school-bell chime for tubular bells.
CHIME = parse("""
E5:1 C5:1 D5:1 G4:2 R:0.5 G4:1 D5:1 E5:1 C5:2 R:0.5
E5:1 D5:1 C5:1 G4:2 R:0.5 G4:1 D5:1 E5:1 C5:3
""")


def main():
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "Müzik"), exist_ok=True)
    os.makedirs(os.path.join(out, "Melodiler"), exist_ok=True)
    files = {
        "Müzik/Neşeye Övgü.mid": song(ODE, 120, 0, repeats=2),      # piano
        "Müzik/Küçük Yıldız.mid": song(TWINKLE, 110, 10),          # music box
        "Müzik/Küçük Gece Müziği.mid": song(NACHTMUSIK, 132, 48),  # strings
        "Müzik/Frère Jacques.mid": song(JACQUES, 120, 73, repeats=2),  # flute
        "Melodiler/Melodi 3.mid": song(CHIME, 100, 14, velocity=110),  # tubular bells
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
