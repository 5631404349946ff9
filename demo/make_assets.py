#!/usr/bin/env python3
"""Makes the demo game's folder: pictures drawn here as PNG, sounds synthesised here as WAV (the music
also as Ogg, through oggenc), the scripts and the two manifests (source and compiled code form).

    make_assets.py DEMO_SOURCE_FOLDER OUTPUT_FOLDER

Only Python's standard library and oggenc (Debian's vorbis-tools) are used, so every asset is ours."""
import json
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import wave
import zlib

# ---- pictures -------------------------------------------------------------------------------------


def write_png(path, width, height, pixels):
    """pixels: a list of rows of (r, g, b, a) tuples."""
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                chunk(b"IEND", b""))


def paint(width, height, shade):
    """A picture whose pixel (x, y) is shade(x, y), a colour or None for clear."""
    clear = (0, 0, 0, 0)
    return [[shade(x, y) or clear for x in range(width)] for y in range(height)]


def ship(x, y):
    # An arrow pointing right (the player turns it with image_angle); cyan with a white nose.
    cx, cy = x - 12, y - 12
    if cx < -9 or cx > 10 or abs(cy) > (10 - cx) * 0.55 or (cx < -4 and abs(cy) < 3):
        return None
    return (255, 255, 255, 255) if cx > 5 else (40, 220, 255, 255)


def chaser(x, y):
    # A red ball with four spikes.
    d = math.hypot(x - 9.5, y - 9.5)
    if d <= 7:
        return (255, 200, 200, 255) if d < 2.5 else (230, 40, 40, 255)
    if (abs(x - 9.5) < 1.5 or abs(y - 9.5) < 1.5) and d <= 9.5:
        return (255, 120, 60, 255)
    return None


def patrol(x, y):
    # A magenta diamond with a dark eye.
    d = abs(x - 9.5) + abs(y - 9.5)
    if d > 9.5:
        return None
    return (40, 0, 40, 255) if d < 3 else (230, 60, 230, 255)


def shot(x, y):
    d = math.hypot(x - 3.5, y - 3.5)
    return (255, 255, 120, 255) if d <= 3.5 else None


def wall(x, y):
    edge = x in (0, 31) or y in (0, 31)
    return (70, 70, 90, 255) if edge else (130, 130, 150, 255) if (x // 8 + y // 8) % 2 else (115, 115, 135, 255)


def tile(x, y):
    # A dark green field with a lighter grid line, so the scrolling view shows the tiling.
    if x == 0 or y == 0:
        return (30, 90, 60, 255)
    if (x * 7 + y * 13) % 61 == 0:
        return (60, 140, 90, 255)
    return (16, 48, 32, 255)


# A 5x7 type for the sprite font: each glyph is seven rows of five bits, drawn twice the size.
GLYPHS = {
    "0": "01110 10001 10011 10101 11001 10001 01110", "1": "00100 01100 00100 00100 00100 00100 01110",
    "2": "01110 10001 00001 00010 00100 01000 11111", "3": "11110 00001 00001 01110 00001 00001 11110",
    "4": "00010 00110 01010 10010 11111 00010 00010", "5": "11111 10000 11110 00001 00001 10001 01110",
    "6": "00110 01000 10000 11110 10001 10001 01110", "7": "11111 00001 00010 00100 01000 01000 01000",
    "8": "01110 10001 10001 01110 10001 10001 01110", "9": "01110 10001 10001 01111 00001 00010 01100",
    "A": "01110 10001 10001 11111 10001 10001 10001", "B": "11110 10001 10001 11110 10001 10001 11110",
    "C": "01110 10001 10000 10000 10000 10001 01110", "D": "11100 10010 10001 10001 10001 10010 11100",
    "E": "11111 10000 10000 11110 10000 10000 11111", "F": "11111 10000 10000 11110 10000 10000 10000",
    "G": "01110 10001 10000 10111 10001 10001 01111", "H": "10001 10001 10001 11111 10001 10001 10001",
    "I": "01110 00100 00100 00100 00100 00100 01110", "J": "00111 00010 00010 00010 00010 10010 01100",
    "K": "10001 10010 10100 11000 10100 10010 10001", "L": "10000 10000 10000 10000 10000 10000 11111",
    "M": "10001 11011 10101 10101 10001 10001 10001", "N": "10001 10001 11001 10101 10011 10001 10001",
    "O": "01110 10001 10001 10001 10001 10001 01110", "P": "11110 10001 10001 11110 10000 10000 10000",
    "Q": "01110 10001 10001 10001 10101 10010 01101", "R": "11110 10001 10001 11110 10100 10010 10001",
    "S": "01111 10000 10000 01110 00001 00001 11110", "T": "11111 00100 00100 00100 00100 00100 00100",
    "U": "10001 10001 10001 10001 10001 10001 01110", "V": "10001 10001 10001 10001 10001 01010 00100",
    "W": "10001 10001 10001 10101 10101 10101 01010", "X": "10001 10001 01010 00100 01010 10001 10001",
    "Y": "10001 10001 01010 00100 00100 00100 00100", "Z": "11111 00001 00010 00100 01000 10000 11111",
    " ": "00000 00000 00000 00000 00000 00000 00000", ":": "00000 01100 01100 00000 01100 01100 00000",
    "!": "00100 00100 00100 00100 00100 00000 00100", "-": "00000 00000 00000 11111 00000 00000 00000",
}
FONT_CHARS = "".join(GLYPHS)  # the order of the sprite's frames, given to font_add_sprite_ext
GOLD, EMBER = (255, 200, 40, 255), (200, 90, 20, 255)


def glyph(char):
    rows = GLYPHS[char].split()
    # 12x16 frames: the glyph at twice the size with a one-pixel shadow below and right.
    def shade(x, y):
        gx, gy = (x - 1) // 2, (y - 1) // 2
        if 0 <= gx < 5 and 0 <= gy < 7 and x >= 1 and y >= 1 and rows[gy][gx] == "1":
            return GOLD
        sx, sy = (x - 2) // 2, (y - 2) // 2
        if 0 <= sx < 5 and 0 <= sy < 7 and x >= 2 and y >= 2 and rows[sy][sx] == "1":
            return EMBER
        return None
    return paint(12, 16, shade)


def draw_pictures(out):
    for name, size, shade in [("player", 24, ship), ("chaser", 20, chaser), ("patrol", 20, patrol),
                              ("shot", 8, shot), ("wall", 32, wall), ("tile", 64, tile)]:
        write_png(os.path.join(out, name + ".png"), size, size, paint(size, size, shade))
    frames = []
    for i, char in enumerate(FONT_CHARS):
        name = "glyph%02d.png" % i
        write_png(os.path.join(out, name), 12, 16, glyph(char))
        frames.append({"file": name})
    return frames


# ---- sounds ---------------------------------------------------------------------------------------

RATE = 22050


def write_wav(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32000)) for s in samples))


def envelope(i, n, attack=0.01):
    t = i / n
    return min(1.0, t / attack) * (1.0 - t) ** 2


def blip(n, start, end, volume=0.5):
    """A square wave sliding from `start` to `end` hertz."""
    phase, out = 0.0, []
    for i in range(n):
        phase += (start + (end - start) * i / n) / RATE
        out.append(volume * envelope(i, n) * (1 if phase % 1 < 0.5 else -1))
    return out


def noise(n, volume=0.6):
    rng = random.Random(7)  # the same bytes on every build
    return [volume * envelope(i, n, 0.002) * rng.uniform(-1, 1) for i in range(n)]


def music():
    """Eight bars of a bass line and an arpeggio, 8 seconds, looped by the game."""
    notes = [45, 45, 48, 50, 45, 45, 52, 50]  # the bass, one note a bar
    beat, out = RATE // 4, []
    for bar, root in enumerate(notes):
        for step in range(4):
            arp = root + 12 + (0, 3, 7, 12)[step]
            for i in range(beat):
                t = (bar * 4 + step) * beat + i
                bass = math.sin(2 * math.pi * 440 * 2 ** ((root - 69) / 12) * t / RATE)
                lead = 1 if (440 * 2 ** ((arp - 69) / 12) * t / RATE) % 1 < 0.25 else -1
                out.append(0.25 * bass + 0.12 * lead * envelope(i, beat, 0.02))
    return out


def make_sounds(out):
    write_wav(os.path.join(out, "shoot.wav"), blip(RATE // 12, 900, 300, 0.35))
    write_wav(os.path.join(out, "hit.wav"), noise(RATE // 5))
    write_wav(os.path.join(out, "hurt.wav"), blip(RATE // 3, 300, 60, 0.5))
    song = os.path.join(out, "music_source.wav")
    write_wav(song, music())
    oggenc = shutil.which("oggenc")
    if oggenc is None:
        sys.exit("make_assets: oggenc is missing (Debian package vorbis-tools; scripts/setup.sh installs it)")
    # A fixed stream serial number, so every build writes the same bytes.
    subprocess.run([oggenc, "-Q", "-q", "2", "-s", "1", "-o", os.path.join(out, "snd_music.ogg"), song], check=True)


# ---- the game folder ------------------------------------------------------------------------------


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_assets.py DEMO_SOURCE_FOLDER OUTPUT_FOLDER")
    source, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    frames = draw_pictures(out)
    make_sounds(out)
    for name in os.listdir(os.path.join(source, "scripts")):
        shutil.copy(os.path.join(source, "scripts", name), os.path.join(out, name))
    with open(os.path.join(source, "game.json")) as f:
        game = json.load(f)
    for sprite in game["sprites"]:
        if sprite["name"] == "spr_font":
            sprite["frames"] = frames
    # The sprite font's characters in the order of its frames.
    game["scripts"].append({"name": "scr_font_chars", "source": 'return "%s";' % FONT_CHARS})
    for form, name in [("source", "game.json"), ("compiled", "game_compiled.json")]:
        game["codeForm"] = form
        with open(os.path.join(out, name), "w") as f:
            json.dump(game, f, indent=1)


if __name__ == "__main__":
    main()
