#!/usr/bin/env python3
"""NumPy peer of the characteristic-function benchmark.

Builds the same series as bench/bench_evaluation.cpp (the fit's linear
congruential generator, draw for draw), times the characteristic function
written as a NumPy loop over the distances, and, given the JSON output of
bench_evaluation, prints how many times faster the C++ evaluation ran.
Run by `make bench`.
"""

import argparse
import json
import sys
import time

import numpy as np


class FitRandom:
    """state = state * 214013 + 2531011 (mod 2^32); a draw is bits 16 to 30."""

    def __init__(self, seed):
        self.state = seed

    def fraction(self):
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return ((self.state >> 16) & 0x7FFF) / 32768.0


def bench_series(images):
    """The contiguous series of BenchSeries(images, Contiguous)."""
    values = FitRandom(20210106)
    x = y = 0.0
    ax = np.empty(images)
    ay = np.empty(images)
    for i in range(1, images + 1):
        x += 0.02 * (values.fraction() - 0.5) + 0.001
        y += 0.02 * (values.fraction() - 0.5) - 0.0005
        trend = 2e-9 * i * i
        ax[i - 1] = 1000.0 + x + trend + 0.2 * (values.fraction() - 0.5)
        ay[i - 1] = -700.0 + y - trend + 0.2 * (values.fraction() - 0.5)
    return np.arange(1, images + 1, dtype=np.int64), ax, ay


def characteristic_function(image, ax, ay, min_diversity=10):
    """Means and population variances of the squared differences per distance."""
    kmax = (len(image) - 1) // min_diversity
    records = []
    for k in range(1, kmax):
        keep = (image[k:] - image[:-k]) == k
        if not keep.any():
            continue
        qx = (ax[k:] - ax[:-k])[keep] ** 2
        qy = (ay[k:] - ay[:-k])[keep] ** 2
        mx, my = qx.mean(), qy.mean()
        records.append((k, mx, my, ((qx - mx) ** 2).mean(), ((qy - my) ** 2).mean()))
    return records


def cpp_times(path):
    """Real time in seconds of CharacteristicFunction per image count (contiguous)."""
    with open(path, encoding="utf-8") as handle:
        report = json.load(handle)
    times = {}
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    for entry in report.get("benchmarks", []):
        name = entry.get("name", "")
        if name.startswith("CharacteristicFunction/") and "numbering:0/" in name:
            images = int(name.split("images:")[1].split("/")[0])
            times[images] = entry["real_time"] * scale[entry.get("time_unit", "ns")]
    return times, report.get("context", {}).get("char_function_kernel", "unknown")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cpp-json", help="JSON output of bench_evaluation")
    parser.add_argument("--images", type=int, nargs="+", default=[10000, 100000])
    args = parser.parse_args()

    cpp, kernel = cpp_times(args.cpp_json) if args.cpp_json else ({}, "unknown")
    for images in args.images:
        image, ax, ay = bench_series(images)
        start = time.perf_counter()
        records = characteristic_function(image, ax, ay)
        seconds = time.perf_counter() - start
        line = f"NumPy characteristic function, {images} images: {seconds * 1e3:.1f} ms ({len(records)} records)"
        if images in cpp and cpp[images] > 0:
            line += f"; C++ ({kernel}): {cpp[images] * 1e3:.1f} ms; ratio {seconds / cpp[images]:.1f}x"
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
