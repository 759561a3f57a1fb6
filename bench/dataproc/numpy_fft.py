#!/usr/bin/python3
"""numpy's FFT and scipy's Hilbert transform on 65536 points: the
references of yarbex_fft_bench, which runs this script and prints the
ratios. Run it with Debian's /usr/bin/python3 and the allocator setting

  GLIBC_TUNABLES=glibc.malloc.mmap_threshold=268435456:glibc.malloc.trim_threshold=268435456

without which numpy's 1 MB result arrays are mapped and unmapped on every
call and the page faults, not the transform, dominate its time.

One line per reference: name, then the minimum and the median over five
repeats of the CPU time per call, in microseconds (CPU time, as the
benchmark reports ours, so that a loaded machine skews both alike).
"""
import statistics
import time
import timeit

import numpy as np
import scipy.signal

n = 65536
rng = np.random.default_rng(1)
x = rng.random(n) - 0.5 + 1j * (rng.random(n) - 0.5)
real = rng.random(n) - 0.5
cases = (
    ("numpy_ifft", lambda: np.fft.ifft(x)),
    ("numpy_centred_unitary", lambda: np.fft.fftshift(np.sqrt(n) * np.fft.ifft(x))),
    ("scipy_hilbert", lambda: scipy.signal.hilbert(real)),
)
for name, stmt in cases:
    t = timeit.Timer(stmt, timer=time.process_time)
    loops, _ = t.autorange()
    per_call = [r / loops * 1e6 for r in t.repeat(5, loops)]
    print("%s %.1f %.1f" % (name, min(per_call), statistics.median(per_call)))
