"""Writes a data file "B2F.txt" of N observations for the end-to-end timing: degree 5,
x uniform in [-10, 10], y a degree-5 polynomial plus noise, both with five decimals
("-3.14159 27.18282"). Deterministic: the same N gives the same file.
Usage: make_data.py N FILE"""
import random
import sys

n, path = int(sys.argv[1]), sys.argv[2]
rng = random.Random(20261207)
lines = ["5", str(n)]
for _ in range(n):
    x = rng.uniform(-10.0, 10.0)
    y = (3.14159 - 2.5 * x + 0.75 * x**2 - 0.125 * x**3 + 0.01 * x**4 - 0.002 * x**5
         + rng.gauss(0.0, 25.0))
    lines.append("%.5f %.5f" % (x, y))
with open(path, "w", newline="") as f:
    f.write("\n".join(lines) + "\n")
