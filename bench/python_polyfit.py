"""Times polylsq.polyfit against numpy.polyfit in one process with the data already in numpy
arrays: degree 5, x uniform in [-10, 10], y a degree-5 polynomial plus noise, at 100 and
10^6 points; the median of repeated calls, in five rounds alternating the two. Prints the
BLAS library numpy loaded. OPENBLAS_CORETYPE and OPENBLAS_L2_SIZE are removed before numpy
loads, so that OpenBLAS picks its own kernels for this comparison.

Usage: PYTHONPATH=build/python /usr/bin/python3 bench/python_polyfit.py
"""
import os

for name in ("OPENBLAS_CORETYPE", "OPENBLAS_L2_SIZE"):
    os.environ.pop(name, None)

import statistics  # noqa: E402
import time  # noqa: E402

import numpy as np  # noqa: E402

import polylsq  # noqa: E402


def blas_library():
    with open("/proc/self/maps") as maps:
        paths = {line.split()[-1] for line in maps if "blas" in line.lower() and "/" in line}
    return ", ".join(sorted(paths)) or "none found"


def median_ms(fit, x, y, budget):
    times = []
    start = time.perf_counter()
    while time.perf_counter() - start < budget or len(times) < 3:
        t0 = time.perf_counter()
        fit(x, y, 5)
        times.append(time.perf_counter() - t0)
    return statistics.median(times) * 1e3


def main():
    rng = np.random.default_rng(5)
    np.polyfit(np.arange(10.0), np.arange(10.0), 1)  # load the BLAS
    print(f"numpy {np.__version__}; BLAS: {blas_library()}")
    print("| points | polylsq.polyfit (ms) | numpy.polyfit (ms) | numpy / polylsq |")
    print("|---:|---:|---:|---:|")
    for n, budget in ((100, 0.2), (1_000_000, 1.0)):
        x = rng.uniform(-10.0, 10.0, n)
        y = np.polyval([0.01, -0.2, 0.5, 3.0, -7.0, 2.0], x) + rng.normal(size=n)
        ours, theirs = [], []
        for _ in range(5):
            ours.append(median_ms(polylsq.polyfit, x, y, budget))
            theirs.append(median_ms(np.polyfit, x, y, budget))
        a, b = statistics.median(ours), statistics.median(theirs)
        print(f"| {n} | {a:.3f} | {b:.3f} | {b / a:.2f} |")


main()
