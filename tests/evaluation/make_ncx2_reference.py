#!/usr/bin/python3
"""Reference values for the probability model's numerics, from SciPy.

Writes two CSV files into tests/fixtures/:
  ncx2_cdf_reference.csv   x, lambda, scipy.stats.ncx2.cdf(x, 2, lambda)
  bessel_i_reference.csv   n, x, scipy.special.iv(n, x)

Run from the repository root with the system Python that has python3-scipy:
  /usr/bin/python3 tests/evaluation/make_ncx2_reference.py
"""

import math
import os

from scipy.special import iv
from scipy.stats import ncx2

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures")


def logspace(lo_exp, hi_exp, per_decade):
    steps = (hi_exp - lo_exp) * per_decade
    return [10.0 ** (lo_exp + i / per_decade) for i in range(steps + 1)]


def cdf_points():
    points = []
    # The whole working range: x from 1e-6 to 1e5, lambda from 0 to 1e4, with
    # lambda around the switch to the central formula (1e-6).
    xs = logspace(-6, 5, 5)
    lambdas = [0.0, 1e-8, 1e-7, 5e-7, 1e-6, 2e-6] + logspace(-5, 4, 5)
    points += [(x, lam) for lam in lambdas for x in xs]
    # Drift-dominated series near their lifetimes: x and lambda both large.
    band = [600.0 + 20.0 * i for i in range(16)]
    points += [(x, lam) for lam in band for x in band]
    # Across the bulk of the distribution, where x and lambda are close and
    # the Bessel series needs most terms.
    for lam in logspace(0, 4, 4):
        alpha = math.sqrt(lam)
        for d in range(-8, 9):
            if alpha + d > 0:
                points.append(((alpha + d) ** 2, lam))
    # Beyond the working range, where the large-argument form takes over.
    for lam in (1e5, 1e6, 1e7, 1e8):
        alpha = math.sqrt(lam)
        for i in range(-18, 17):
            points.append(((alpha + 0.5 * i) ** 2, lam))
    # Cases that once failed, and the published value F(0.02, 0.6).
    points += [(730.0, 730.0), (1468.0, 1468.0), (2239.0, 2154.0), (631.0, 681.0), (0.02, 0.6)]
    return points


def bessel_points():
    points = []
    low = [0.0, 1e-3, 0.1, 0.5, 1.0, 2.0, 3.0, 3.7, 3.75, 3.8, 5.0, 7.5, 10.0, 15.0, 20.0, 30.0]
    high = [50.0, 75.0, 100.0, 150.0, 200.0, 300.0, 400.0, 500.0, 600.0, 700.0]
    for n in (0, 1):
        points += [(n, x) for x in low + high]
        points += [(n, -x) for x in (0.5, 3.0, 5.0, 100.0)]
    for n in (2, 3, 4, 5):
        points += [(n, x) for x in [0.5, 1.0, 2.0, 5.0, 10.0, 20.0] + [50.0 * i for i in range(1, 15)]]
        points += [(n, -x) for x in (1.0, 95.0)]
    for n in (6, 8, 10, 15, 20, 30, 40, 50, 60, 70, 80, 90, 100):
        points += [(n, x) for x in (0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 95.0, 100.0, 200.0,
                                     300.0, 500.0, 700.0)]
    # Orders and arguments beyond the recurrence's range.
    points += [(1200, 800.0), (1200, 1000.0), (2000, 1300.0), (2000, 1500.0), (5000, 3400.0)]
    return points


def write(name, header, rows):
    with open(os.path.join(FIXTURES, name), "w", newline="\n") as out:
        out.write(header + "\n")
        for row in rows:
            out.write(",".join(row) + "\n")


def main():
    os.makedirs(FIXTURES, exist_ok=True)
    write("ncx2_cdf_reference.csv", "x,lambda,F",
          [(repr(x), repr(lam), repr(float(ncx2.cdf(x, 2, lam)))) for x, lam in cdf_points()])
    rows = []
    for n, x in bessel_points():
        value = float(iv(n, x))
        # Values that underflow or overflow have no relative accuracy to test.
        if value != 0.0 and math.isfinite(value) and abs(value) > 1e-300:
            rows.append((str(n), repr(x), repr(value)))
    write("bessel_i_reference.csv", "n,x,I", rows)


if __name__ == "__main__":
    main()
