#!/usr/bin/env python3
"""Writes a synthetic series of planet frames for trying the program out.

30 frames of 320x240: a banded, limb-darkened disc that drifts across the field while the seeing
changes (edges and bands soften and sharpen), over a faintly noisy sky. Each frame is written as a
24-bit BMP and, through ImageMagick's convert, as a JPEG. planete.lst lists the BMP frames in the
program's list file format with the absolute directory of the output folder.

Only the Python standard library is used. Frames already there are kept, so a second run is quick.
"""
import math
import os
import random
import shutil
import struct
import subprocess
import sys

WIDTH, HEIGHT = 320, 240
FRAMES = 30
RADIUS = 52.0
STAMP_TEXT = "planete v1 %dx%d %d\n" % (WIDTH, HEIGHT, FRAMES)


def frame_name(i, ext):
    return "planete_%02d.%s" % (i, ext)


def seeing(i):
    """Blur width in pixels for frame i: slow swings with a few bad moments."""
    base = 1.2 + 1.0 * math.sin(i * 0.45) ** 2
    if i in (7, 8, 19, 26):
        base += 2.5
    return base


def centre(i):
    """The disc drifts right and slightly down, with a small jitter."""
    rng = random.Random(1000 + i)
    x = 110.0 + i * 3.4 + rng.uniform(-1.5, 1.5)
    y = 112.0 + i * 0.6 + rng.uniform(-1.5, 1.5)
    return x, y


def band_colour(lat, softness):
    """Colour of the cloud bands at latitude lat (-1..1); softness flattens their contrast."""
    contrast = math.exp(-(softness / 5.0) ** 2)
    belt = math.sin(lat * 9.5) * 0.5 + math.sin(lat * 23.0 + 0.7) * 0.18
    k = 0.5 + 0.5 * belt * contrast
    r = 205 * k + 160 * (1 - k)
    g = 180 * k + 120 * (1 - k)
    b = 140 * k + 85 * (1 - k)
    return r, g, b


def render(i, noise):
    cx, cy = centre(i)
    blur = seeing(i)
    rows = []
    noff = (i * 7919) % (len(noise) - WIDTH * 3)
    reach = RADIUS + 3 * blur + 2
    x0, x1 = max(0, int(cx - reach)), min(WIDTH, int(cx + reach) + 1)
    for y in range(HEIGHT):
        start = (noff + y * WIDTH * 3) % (len(noise) - WIDTH * 3)
        row = bytearray(b % 6 + 4 for b in noise[start:start + WIDTH * 3])  # dark sky
        dy = y - cy
        if abs(dy) <= reach:
            lat = max(-1.0, min(1.0, dy / RADIUS))
            cr, cg, cb = band_colour(lat, blur)
            for x in range(x0, x1):
                dx = x - cx
                d = math.hypot(dx, dy)
                edge = (RADIUS - d) / (blur * 1.6) + 0.5  # soft limb, wider in bad seeing
                if edge <= 0:
                    continue
                a = 1.0 if edge >= 1 else edge * edge * (3 - 2 * edge)
                mu = math.sqrt(max(0.0, 1.0 - min(1.0, d / RADIUS) ** 2))
                shade = a * (0.35 + 0.65 * mu ** 0.6)
                o = x * 3
                # BMP rows hold blue, green, red.
                row[o] = min(255, row[o] + int(cb * shade))
                row[o + 1] = min(255, row[o + 1] + int(cg * shade))
                row[o + 2] = min(255, row[o + 2] + int(cr * shade))
        rows.append(bytes(row))
    return rows


def write_bmp(path, rows):
    stride = (WIDTH * 3 + 3) & ~3
    pad = b"\0" * (stride - WIDTH * 3)
    image_size = stride * HEIGHT
    header = struct.pack("<2sIHHI", b"BM", 54 + image_size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, image_size, 2835, 2835, 0, 0)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(header)
        f.write(info)
        for row in reversed(rows):  # bottom-up
            f.write(row)
            f.write(pad)
    os.replace(tmp, path)


def make_jpegs(out, names):
    if not names:
        return
    convert = shutil.which("convert")
    if not convert:
        sys.exit("make_sample: ImageMagick's convert is needed for the JPEG copies")
    for name in names:
        src = os.path.join(out, name)
        dst = os.path.join(out, name[:-4] + ".jpg")
        subprocess.run([convert, src, "-quality", "90", dst + ".tmp.jpg"], check=True)
        os.replace(dst + ".tmp.jpg", dst)


def file_text(s):
    """Latin-1 when it fits, UTF-8 otherwise, as the program writes its files."""
    try:
        return s.encode("latin-1")
    except UnicodeEncodeError:
        return s.encode("utf-8")


def list_file_bytes(directory, names):
    lines = [str(len(names)).encode(), b"Velmoran", file_text("pr\u00e9Version : 0.56"), b"6", b"6", b""]
    d = file_text(directory)
    for n, name in enumerate(names):
        lines += [b"%04d" % n, d, file_text(name), b"0", b" ", b" "]
    return b"".join(line + b"\r\n" for line in lines)


def main():
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "sample")
    os.makedirs(out, exist_ok=True)
    stamp = os.path.join(out, ".stamp")
    fresh = os.path.exists(stamp) and open(stamp).read() == STAMP_TEXT

    bmps = [frame_name(i, "bmp") for i in range(FRAMES)]
    noise = None
    made = []
    for i, name in enumerate(bmps):
        path = os.path.join(out, name)
        if fresh and os.path.exists(path):
            continue
        if noise is None:
            noise = random.Random(7).randbytes(WIDTH * HEIGHT * 3 + 4096)
        write_bmp(path, render(i, noise))
        made.append(name)
    missing_jpeg = [n for n in bmps if n in made or not os.path.exists(os.path.join(out, n[:-4] + ".jpg"))]
    make_jpegs(out, missing_jpeg)
    with open(stamp, "w") as f:
        f.write(STAMP_TEXT)

    lst = os.path.join(out, "planete.lst")
    data = list_file_bytes(out.rstrip("/") + "/", bmps)
    if not os.path.exists(lst) or open(lst, "rb").read() != data:
        with open(lst + ".tmp", "wb") as f:
            f.write(data)
        os.replace(lst + ".tmp", lst)
    print("sample: %d frames in %s (%d drawn, %d JPEG made)" % (FRAMES, out, len(made), len(missing_jpeg)))


if __name__ == "__main__":
    main()
