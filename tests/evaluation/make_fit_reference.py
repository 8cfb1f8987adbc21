#!/usr/bin/python3
"""Reference minima of the model fit, from a dense independent search.

For a handful of simulated logs this script runs tessaric-cli to simulate the
log and extract its characteristic function (text table, six digits), then
searches the bounded minimum of the fit's weighted s-square with SciPy's
least_squares (bounded trust-region reflective method) from many starts.
It writes tests/fixtures/fit_bounded_minimum_reference.csv:

  case;NAME;N;SLOPE;BEST_S_SQUARE;DI;DA;TC;S   one per series
  record;K;F;VAR                              its characteristic function

The test feeds the records to the model fit as they stand and checks that
the kept result's weighted s-square is within 1e-6 of BEST_S_SQUARE.

Run from the repository root with the system Python that has python3-scipy:
  /usr/bin/python3 tests/evaluation/make_fit_reference.py build/tessaric-cli
"""

import glob
import math
import os
import subprocess
import sys
import tempfile

import numpy as np
from scipy.optimize import least_squares

FIXTURE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures",
                       "fit_bounded_minimum_reference.csv")

# name, simulate options: noise-dominated, noise-free pure drift, decaying
# walk with noise, a short pure random walk, a drifting walk with noise
CASES = [
    ("noise_dominated", "--images 3000 --di 0.01 --noise 0.3 --seed 2"),
    ("pure_drift", "--images 1000 --di 0 --drift 0.01 --seed 1"),
    ("decaying_walk", "--images 1500 --di 0.02 --da 0.1 --tc 30 --noise 0.05 --seed 3"),
    ("short_random_walk", "--images 171 --di 0.05 --seed 4"),
    ("drifting_walk", "--images 1200 --di 0.05 --drift 0.004 --noise 0.1 --seed 5"),
]
STARTS = 300
MIN_DIVERSITY = 10


def characteristic_function(cli, options, folder):
    log = os.path.join(folder, "sim.log")
    subprocess.run([cli, "simulate", "--format", "orvex"] + options.split() + [log],
                   check=True, capture_output=True)
    out = os.path.join(folder, "out")
    subprocess.run([cli, "evaluate", "--no-fit", "--out", out, log], check=True,
                   capture_output=True)
    rows = []
    with open(glob.glob(os.path.join(out, "*-cfunc.txt"))[0], encoding="latin-1") as table:
        for line in table:
            if line.startswith("#") or "[" in line:
                continue
            t, f, var = (float(v) for v in line.split(";"))
            rows.append((round(t), f, var))  # period 1 s: t is the distance
    with open(glob.glob(os.path.join(out, "*-time.txt"))[0], encoding="latin-1") as table:
        samples = sum(1 for line in table if not line.startswith("#") and "[" not in line)
    return rows, samples


def reference_minimum(rows, samples):
    k = np.array([r[0] for r in rows], dtype=float)
    y = np.array([r[1] for r in rows])
    var = np.array([r[2] for r in rows])
    pairs = np.maximum(samples - 1.0 - np.arange(len(rows)), 0.0)
    w = np.where(var > 0.0, np.sqrt(pairs) / np.where(var > 0.0, var, 1.0), np.sqrt(pairs))
    root_w = np.sqrt(w / w.sum())
    # initial slope: straight line through the first three records
    slope = np.polyfit(k[:3], y[:3], 1)[0]
    fmax, kt = y.max(), k.max()
    # the model holds Di, Da and s squared only: the non-negative half of
    # the fit's box holds every value of the s-square
    upper = np.array([math.sqrt(fmax / kt), 2.0 * math.sqrt(abs(slope)), kt,
                      2.0 * math.sqrt(fmax) / kt])

    def decay(p):
        return np.exp(-k / p[2]) if p[2] > 0.0 else np.zeros_like(k)

    def residuals(p):
        model = p[3] ** 2 * k ** 2 + 2.0 * k * (p[0] ** 2 + p[1] ** 2 * decay(p))
        return root_w * (model - y)

    def jacobian(p):
        e = decay(p)
        dtc = 2.0 * p[1] ** 2 * e * (k / p[2]) ** 2 if p[2] > 0.0 else np.zeros_like(k)
        columns = [4.0 * p[0] * k, 4.0 * p[1] * k * e, dtc, 2.0 * p[3] * k ** 2]
        return root_w[:, None] * np.stack(columns, axis=1)

    def s_square(p):
        return float(np.sum(residuals(p) ** 2))

    rng = np.random.default_rng(20261209)
    starts = [upper * rng.uniform(0.0, 1.0, 4) for _ in range(STARTS)]
    starts += [upper * np.array(corner) for corner in
               ((0.5, 0.5, 0.01, 0.5), (0.5, 0.01, 0.5, 0.01), (0.01, 0.5, 0.999, 0.01))]
    best = None
    for start in starts:
        start = np.clip(start, 1e-9 * upper, upper * (1.0 - 1e-9))
        fit = least_squares(residuals, start, jac=jacobian, bounds=(np.zeros(4), upper),
                            method="trf", xtol=1e-15, ftol=1e-15, gtol=1e-15, max_nfev=20000,
                            x_scale="jac")
        if best is None or s_square(fit.x) < s_square(best):
            best = fit.x
    return slope, s_square(best), best


def main():
    cli = sys.argv[1] if len(sys.argv) > 1 else "build/tessaric-cli"
    lines = ["# Bounded minima of the model fit's weighted s-square, from"
             " tests/evaluation/make_fit_reference.py (SciPy least_squares, many starts)"]
    for name, options in CASES:
        with tempfile.TemporaryDirectory() as folder:
            rows, samples = characteristic_function(cli, options, folder)
        slope, best, p = reference_minimum(rows, samples)
        print(f"{name}: {len(rows)} records, s-square {best:.17g}, params {p}")
        lines.append(f"case;{name};{samples};{slope:.17g};{best:.17g};"
                     f"{p[0]:.17g};{p[1]:.17g};{p[2]:.17g};{p[3]:.17g}")
        lines += [f"record;{kk};{f:.17g};{v:.17g}" for kk, f, v in rows]
    with open(FIXTURE, "w", encoding="ascii") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
