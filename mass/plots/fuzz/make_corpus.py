#!/usr/bin/python3
"""Writes the seeds of mass_plot_fuzz: the committed golden hex files of
the plot-model tests as bytes.

    /usr/bin/python3 make_corpus.py
"""
import glob
import os

HERE = os.path.dirname(os.path.abspath(__file__))
os.makedirs(os.path.join(HERE, "plot_corpus"), exist_ok=True)
for path in sorted(glob.glob(os.path.join(HERE, "..", "tests", "data", "*.hex"))):
    name = os.path.splitext(os.path.basename(path))[0] + ".bin"
    with open(path) as f:
        data = bytes.fromhex(f.read())
    with open(os.path.join(HERE, "plot_corpus", name), "wb") as f:
        f.write(data)
