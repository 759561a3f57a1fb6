#!/usr/bin/python3
"""Tick positions of an axis, computed independently of the plotter.

Each input line: area start, area length, break gap, 1 when device
coordinates grow with the value (else 0), tick step, and the visible
segments as "from,to;from,to;...". The segments share the area less one
gap between neighbours in proportion to their lengths, laid out from the
start of the area (growing) or from its end. Each output line holds the
device coordinates of the multiples of the step that lie in a segment.
"""
import sys

import numpy as np

for line in sys.stdin:
    if not line.strip():
        continue
    start, length, gap, increasing, step, segs = line.split()
    start, length, gap, step = float(start), float(length), float(gap), float(step)
    segments = np.array([[float(v) for v in s.split(",")] for s in segs.split(";")])
    widths = segments[:, 1] - segments[:, 0]
    drawable = length - gap * (len(segments) - 1)
    device = widths / widths.sum() * drawable
    # Device offsets of each segment's start along the direction of growth.
    offsets = np.concatenate(([0.0], np.cumsum(device + gap)[:-1]))
    out = []
    for (a, b), off, d in zip(segments, offsets, device):
        k = np.arange(np.ceil(a / step), np.floor(b / step) + 1)
        ticks = k * step
        along = np.interp(ticks, [a, b], [off, off + d])
        coords = start + along if increasing == "1" else start + length - along
        out.extend(coords)
    print(" ".join("%.9f" % c for c in out))
