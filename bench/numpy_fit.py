"""The numpy comparison of the end-to-end timing: read "B2F.txt" with loadtxt, fit with
polyfit, write the six coefficients (constant term first) and R-squared in percent to
"F2B.txt" as seven lines."""
import numpy as np

with open("B2F.txt") as f:
    ndeg = int(f.readline().split()[0])
    nobs = int(f.readline().split()[0])
data = np.loadtxt("B2F.txt", skiprows=2, max_rows=nobs, dtype=np.float64)
x, y = data[:, 0], data[:, 1]
coef = np.polyfit(x, y, ndeg)[::-1]
residual = y - np.polyval(coef[::-1], x)
r_squared = 100.0 * (1.0 - residual @ residual / np.sum((y - y.mean()) ** 2))
b = np.zeros(6)
b[: ndeg + 1] = coef
with open("F2B.txt", "w", newline="") as out:
    for value in b:
        out.write("%10.3f\r\n" % value)
    out.write("%12.4f\r\n" % r_squared)
