#!/usr/bin/python3
"""Writes the numeric reference data of the tests (data/*.txt).

Run with Debian's /usr/bin/python3 (numpy and scipy from Debian packages):
    /usr/bin/python3 gen_reference.py

The inputs come from the same integer generator as the tests, so they are
bit-identical on both sides. For each n = 8 ... 65536 it records, at a set
of sample points (every point up to 256 points), the centred unitary
forward transform fftshift(sqrt(n) * ifft(x)), its inverse
fft(ifftshift(x)) / sqrt(n) applied to the same input, and the imaginary
half that the Hilbert reconstruction gives a real spectrum, which is
imag(fftshift(hilbert(ifftshift(X)))) with scipy's analytic signal. Two
whole-array checksums per output catch values between the samples.

data/peaks_reference.txt holds scipy curve_fit results (position, width,
amplitude of each line) of a sum of three Lorentzians fitted to the synthetic
4096-point spectrum of the peak detection test, noise-free and with Gaussian
noise of sigma 0.5 from the shared generator (Box-Muller with the math
module), rounded to float32 as the host holds it.

data/savgol_reference.txt holds, for a set of (window, order, derivative),
scipy's savgol_coeffs(..., use="dot") and savgol_filter(x, ..., mode="nearest")
of a 64-point signal from the same generator.
"""
import math
import os
import numpy as np
from scipy.optimize import curve_fit
from scipy.signal import hilbert, savgol_coeffs, savgol_filter


def lcg_values(seed, count):
    # Same generator as referenceInput() in the tests: 31-bit LCG, values
    # k / 2^23 - 0.5, exactly representable.
    out = np.empty(count)
    s = seed & 0x7FFFFFFF
    for i in range(count):
        s = (s * 1103515245 + 12345) & 0x7FFFFFFF
        out[i] = (s >> 8) / 8388608.0 - 0.5
    return out


def sample_points(n):
    if n <= 256:
        return list(range(n))
    step = n // 256
    return [k * step + (k * 37) % step for k in range(256)]


def checksums(v):
    k = np.arange(len(v))
    w = (k % 17) - 8.0
    return float(np.sum(v * v)), float(np.sum(w * v))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "data", "fft_reference.txt")
    lines = ["# n, then per sample point: index fwd_re fwd_im inv_re inv_im hilbert_im",
             "# checksums per output: sum of squares, sum of ((k mod 17) - 8) * value"]
    n = 8
    while n <= 65536:
        v = lcg_values(n, 2 * n)
        x = v[:n] + 1j * v[n:]
        fwd = np.fft.fftshift(np.sqrt(n) * np.fft.ifft(x))
        inv = np.fft.fft(np.fft.ifftshift(x)) / np.sqrt(n)
        hil = np.imag(np.fft.fftshift(hilbert(np.fft.ifftshift(v[:n]))))
        pts = sample_points(n)
        lines.append("n %d %d" % (n, len(pts)))
        for arr in (fwd.real, fwd.imag, inv.real, inv.imag, hil):
            a, b = checksums(arr)
            lines.append("sum %r %r" % (a, b))
        for k in pts:
            lines.append("%d %r %r %r %r %r" % (k, fwd.real[k], fwd.imag[k], inv.real[k], inv.imag[k], hil[k]))
        n *= 2
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


SAVGOL_CASES = [(5, 3, 0), (7, 3, 0), (5, 2, 0), (9, 5, 0), (7, 2, 1), (9, 5, 2), (11, 4, 3), (13, 6, 4),
                (7, 3, 3), (21, 3, 0)]


def savgol():
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "data", "savgol_reference.txt")
    n = 64
    k = np.arange(n)
    x = lcg_values(7, n) + 0.002 * (k - 20.0) ** 2
    lines = ["# window order derivative / coefficients (dot) / savgol_filter mode nearest of the signal",
             "signal " + " ".join(repr(float(v)) for v in x)]
    for window, order, deriv in SAVGOL_CASES:
        c = savgol_coeffs(window, order, deriv=deriv, use="dot")
        y = savgol_filter(x, window, order, deriv=deriv, mode="nearest")
        lines.append("case %d %d %d" % (window, order, deriv))
        lines.append("coeffs " + " ".join(repr(float(v)) for v in c))
        lines.append("filtered " + " ".join(repr(float(v)) for v in y))
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


PEAK_LINES = [(1000.3, 6.0, 100.0), (2000.7, 10.0, 60.0), (3000.2, 15.0, 40.0)]


def gaussian_noise(seed, count, sigma):
    # Same as gaussianNoise() in the tests.
    out = []
    s = seed & 0x7FFFFFFF
    while len(out) < count:
        s = (s * 1103515245 + 12345) & 0x7FFFFFFF
        u1 = ((s >> 8) + 0.5) / 8388608.0
        s = (s * 1103515245 + 12345) & 0x7FFFFFFF
        u2 = ((s >> 8) + 0.5) / 8388608.0
        out.append(sigma * math.sqrt(-2.0 * math.log(u1)) * math.cos(2.0 * math.pi * u2))
    return np.array(out)


def lorentzians(x, *p):
    y = np.zeros_like(x)
    for k in range(0, len(p), 3):
        t = 2.0 * (x - p[k]) / p[k + 1]
        y = y + p[k + 2] / (1.0 + t * t)
    return y


def peaks():
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "data", "peaks_reference.txt")
    n = 4096
    x = np.arange(n, dtype=float)
    start = [v for line in PEAK_LINES for v in line]
    clean = lorentzians(x, *start)
    lines = ["# case, then position width amplitude per line (curve_fit of a sum of Lorentzians)"]
    for name, sigma in (("clean", 0.0), ("noisy", 0.5)):
        y = clean + (gaussian_noise(1, n, sigma) if sigma else 0.0)
        y = y.astype(np.float32).astype(float)
        p, _ = curve_fit(lorentzians, x, y, p0=start)
        lines.append("case %s %r" % (name, sigma))
        for k in range(0, len(p), 3):
            lines.append("line %r %r %r" % (float(p[k]), float(p[k + 1]), float(p[k + 2])))
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
    savgol()
    peaks()
