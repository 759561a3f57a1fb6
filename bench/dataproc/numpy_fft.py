#!/usr/bin/python3
"""The library's transform beside numpy's FFT and scipy's Hilbert
transform on 65536 points, in this one process: ours through ctypes
(libyarbex_fft_shim.so, the path as first argument; a call costs about a
microsecond more than from C++), theirs as Python calls them. The cases
run in blocks of calls, one block of each case per round, the order
rotating from round to round; five rounds. Run it with Debian's
/usr/bin/python3 and the allocator setting

  GLIBC_TUNABLES=glibc.malloc.mmap_threshold=268435456:glibc.malloc.trim_threshold=268435456

without which numpy's 1 MB result arrays are mapped and unmapped on every
call and the page faults, not the transform, dominate its time.

One line per case: its name, then the CPU time per call of each block in
seconds (CPU time, so that a loaded machine skews every case alike).
"""
import ctypes
import sys
import time

import numpy as np
import scipy.signal

n = 65536
rounds = 5
lib = ctypes.CDLL(sys.argv[1])
lib.ybFft.argtypes = (ctypes.c_uint32, ctypes.c_void_p, ctypes.c_uint32)
lib.ybHilbertImaginary.argtypes = (ctypes.c_uint32, ctypes.c_void_p)

rng = np.random.default_rng(1)
x = rng.random(n) - 0.5 + 1j * (rng.random(n) - 0.5)
real = rng.random(n) - 0.5
# Ours works in place on split arrays: the real half, then the imaginary.
split = np.concatenate((x.real, x.imag))
split_address = split.ctypes.data
hilbert_in = np.concatenate((real, np.zeros(n)))
hilbert_address = hilbert_in.ctypes.data


def ours_forward():
    lib.ybFft(n, split_address, 0)


def ours_hilbert():
    lib.ybHilbertImaginary(n, hilbert_address)


cases = (
    ("ours_forward", ours_forward),
    ("ours_forward_again", ours_forward),
    ("numpy_ifft", lambda: np.fft.ifft(x)),
    ("numpy_centred_unitary", lambda: np.fft.fftshift(np.sqrt(n) * np.fft.ifft(x))),
    ("ours_hilbert", ours_hilbert),
    ("scipy_hilbert", lambda: scipy.signal.hilbert(real)),
)

# Calls per block: about 0.2 s of the slowest case.
for _, f in cases:
    f()
start = time.process_time()
for _ in range(20):
    cases[-1][1]()
loops = max(10, int(0.2 / max((time.process_time() - start) / 20, 1e-6)))

times = {name: [] for name, _ in cases}
for r in range(rounds):
    for i in range(len(cases)):
        name, f = cases[(i + r) % len(cases)]
        start = time.process_time()
        for _ in range(loops):
            f()
        times[name].append((time.process_time() - start) / loops)
for name, _ in cases:
    print(name, " ".join("%.9f" % t for t in times[name]))
