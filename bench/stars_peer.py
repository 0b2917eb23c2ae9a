#!/usr/bin/python3
"""The peer of the star measure: python3-sep on a 16-bit deep-sky frame read from FITS.

Runs what a script over SEP would run on each frame: the background map, its subtraction, the
extraction of sources 5 sigma above the noise (the usual 3 x 3 smoothing), and the half-flux radius
of every source. Prints the time per frame of that work (the FITS read apart) as its last line:
"ms_per_frame N sources M".

  stars_peer.py --raw FILE WIDTH HEIGHT   the frame as raw native 16-bit samples (the benchmark's)
  stars_peer.py                           a synthetic frame of its own (6248 x 4176, 6,000 stars)
Either way the frame is written as FITS by astropy and read back before it is measured.
"""
import argparse
import os
import tempfile
import time

import numpy as np
import sep
from astropy.io import fits


def synthetic(width, height, stars, seed=7):
    rng = np.random.default_rng(seed)
    img = np.full((height, width), 800.0, np.float32)
    sigma = 3.5 / 2.3548
    yy, xx = np.mgrid[-12:13, -12:13]
    for _ in range(stars):
        x = rng.integers(12, width - 13)
        y = rng.integers(12, height - 13)
        peak = 60 * (500 ** rng.random())
        img[y - 12:y + 13, x - 12:x + 13] += peak * np.exp(-(xx ** 2 + yy ** 2) / (2 * sigma ** 2))
    img += rng.normal(0, 1, img.shape).astype(np.float32) * np.sqrt(img + 36)
    return np.clip(np.round(img), 0, 65535).astype(np.uint16)


def measure(data):
    data = data.astype(np.float32)
    bkg = sep.Background(data)
    sub = data - bkg
    objects = sep.extract(sub, 5.0, err=bkg.globalrms)
    ok = (objects["a"] > 0)
    r, _ = sep.flux_radius(sub, objects["x"][ok], objects["y"][ok], 6.0 * objects["a"][ok], 0.5,
                           normflux=None, subpix=5)
    return len(objects), float(np.median(r)) if len(r) else 0.0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--raw", nargs=3, metavar=("FILE", "WIDTH", "HEIGHT"))
    ap.add_argument("--repeat", type=int, default=3)
    args = ap.parse_args()
    if args.raw:
        width, height = int(args.raw[1]), int(args.raw[2])
        frame = np.fromfile(args.raw[0], dtype=np.uint16, count=width * height).reshape(height, width)
    else:
        frame = synthetic(6248, 4176, 6000)
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "frame.fits")
        # 16-bit unsigned the FITS way: signed integers with BZERO 32768.
        fits.PrimaryHDU(frame).writeto(path)
        t0 = time.perf_counter()
        with fits.open(path, memmap=False) as hdul:
            data = np.array(hdul[0].data)
        read_ms = (time.perf_counter() - t0) * 1000
        best = None
        sources = 0
        for _ in range(max(1, args.repeat)):
            t0 = time.perf_counter()
            sources, hfr = measure(data)
            ms = (time.perf_counter() - t0) * 1000
            best = ms if best is None else min(best, ms)
    print(f"read_ms {read_ms:.1f} median_hfr {hfr:.3f}")
    print(f"ms_per_frame {best:.1f} sources {sources}")


if __name__ == "__main__":
    main()
