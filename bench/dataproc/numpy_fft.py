#!/usr/bin/python3
"""numpy's FFT on 65536 complex points, for comparison with yarbex_fft_bench.

Run with Debian's /usr/bin/python3. Times the same centred unitary forward
transform as the library (fftshift(sqrt(n) * ifft(x))) and the bare ifft.
"""
import timeit
import numpy as np

n = 65536
rng = np.random.default_rng(1)
x = rng.random(n) - 0.5 + 1j * (rng.random(n) - 0.5)
for name, stmt in (("ifft", lambda: np.fft.ifft(x)),
                   ("centred unitary", lambda: np.fft.fftshift(np.sqrt(n) * np.fft.ifft(x)))):
    t = timeit.Timer(stmt)
    loops, _ = t.autorange()
    best = min(t.repeat(5, loops)) / loops
    print("numpy %-16s n=%d: %8.1f us" % (name, n, best * 1e6))
