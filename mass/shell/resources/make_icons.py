#!/usr/bin/env python3
"""Draws the plug-in's 16 x 16 tool-bar and dialog icons as PNG files.

Run from this folder: python3 make_icons.py. Each icon is a few flat
shapes (frames, bars, sticks, crosses, circles) on a transparent ground,
written with zlib and the PNG chunk layout only.
"""
import math
import struct
import zlib

N = 16


class Icon:
    def __init__(self):
        self.px = [[(0, 0, 0, 0)] * N for _ in range(N)]

    def dot(self, x, y, c):
        if 0 <= x < N and 0 <= y < N:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c, fill=False):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if fill or x in (x0, x1) or y in (y0, y1):
                    self.dot(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.dot(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), c)

    def circle(self, cx, cy, r, c, fill=False):
        for y in range(N):
            for x in range(N):
                d = math.hypot(x - cx, y - cy)
                if d <= r + 0.5 and (fill or d >= r - 0.5):
                    self.dot(x, y, c)

    def sticks(self, heights, c, x0=2, step=2, base=13):
        for i, h in enumerate(heights):
            self.line(x0 + i * step, base, x0 + i * step, base - h, c)

    def png(self):
        raw = b"".join(b"\0" + b"".join(struct.pack("4B", *p) for p in row) for row in self.px)

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", N, N, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


INK = (40, 40, 60, 255)
BLUE = (40, 90, 200, 255)
GREEN = (30, 150, 60, 255)
RED = (200, 40, 40, 255)
GREY = (150, 150, 160, 255)
GOLD = (220, 170, 20, 255)
PAPER = (250, 250, 250, 255)


def spectrum(i, c=BLUE):
    i.line(1, 14, 14, 14, INK)
    i.sticks([4, 9, 3, 11, 6, 2], c)


def chromatogram(i, c=GREEN):
    i.line(1, 14, 14, 14, INK)
    pts = [(1, 13), (4, 12), (6, 4), (8, 12), (10, 9), (12, 12), (14, 13)]
    for a, b in zip(pts, pts[1:]):
        i.line(*a, *b, c)


def table(i):
    i.rect(1, 2, 14, 13, PAPER, fill=True)
    i.rect(1, 2, 14, 13, INK)
    for y in (5, 8, 11):
        i.line(1, y, 14, y, GREY)
    i.line(6, 2, 6, 13, GREY)


def draw(name):
    i = Icon()
    if name == "add":
        i.rect(7, 2, 8, 13, GREEN, True); i.rect(2, 7, 13, 8, GREEN, True)
    elif name == "apply":
        i.line(2, 8, 6, 12, GREEN); i.line(6, 12, 13, 3, GREEN); i.line(2, 9, 6, 13, GREEN)
    elif name == "cancel":
        i.line(3, 3, 12, 12, RED); i.line(12, 3, 3, 12, RED); i.line(4, 3, 12, 11, RED)
    elif name.startswith("chromsel-"):
        chromatogram(i)
        if name.endswith("peak"):
            i.rect(5, 3, 7, 13, GOLD)
        elif name.endswith("peakbackg"):
            i.rect(5, 3, 7, 13, GOLD); i.rect(11, 8, 13, 13, RED)
        else:
            i.line(6, 1, 6, 14, RED)
    elif name == "constraints":
        i.rect(2, 2, 13, 13, INK)
        for y in (5, 8, 11):
            i.line(4, y, 11, y, BLUE); i.dot(4 + y % 5, y - 1, RED)
    elif name == "delete":
        i.rect(4, 4, 11, 14, GREY); i.line(2, 3, 13, 3, INK); i.line(6, 6, 6, 12, INK); i.line(9, 6, 9, 12, INK)
    elif name == "delete-plot":
        spectrum(i); i.line(8, 1, 15, 8, RED); i.line(15, 1, 8, 8, RED)
    elif name == "element-comp":
        i.rect(1, 1, 14, 14, BLUE, True); i.rect(4, 4, 5, 11, PAPER, True); i.rect(4, 4, 9, 5, PAPER, True)
        i.rect(4, 7, 8, 8, PAPER, True); i.rect(4, 10, 10, 11, PAPER, True)
    elif name == "hide-plot":
        spectrum(i, GREY); i.circle(11, 5, 3, INK)
    elif name == "mass-browser":
        i.rect(1, 1, 14, 14, INK)
        for y in (4, 7, 10):
            i.line(3, y, 5, y, GOLD); i.line(7, y, 12, y, INK)
    elif name == "mol-match-calc":
        i.circle(5, 6, 3, INK); i.line(8, 6, 12, 3, INK); i.line(8, 6, 12, 10, INK); i.sticks([3, 5], GREEN, 10, 2, 15)
    elif name == "mol-match-view":
        i.circle(5, 6, 3, INK); i.line(8, 6, 12, 3, INK); i.circle(11, 11, 3, GOLD)
    elif name == "msspec-append":
        spectrum(i); i.rect(11, 1, 12, 6, GREEN, True); i.rect(9, 3, 14, 4, GREEN, True)
    elif name == "new-chromatogram":
        chromatogram(i); i.circle(12, 3, 2, GOLD, True)
    elif name == "new-msspec":
        spectrum(i); i.circle(12, 3, 2, GOLD, True)
    elif name == "options":
        i.circle(7.5, 7.5, 5, INK); i.circle(7.5, 7.5, 2, INK)
        for a in range(0, 360, 45):
            i.dot(round(7.5 + 6.5 * math.cos(math.radians(a))), round(7.5 + 6.5 * math.sin(math.radians(a))), INK)
    elif name == "spec-pro-look":
        spectrum(i, RED); i.rect(0, 0, 15, 15, GREY)
    elif name == "spec-pro-scales":
        i.line(2, 1, 2, 13, INK); i.line(2, 13, 14, 13, INK)
        for k in range(4, 14, 3):
            i.dot(k, 14, INK); i.dot(1, k - 2, INK)
    elif name == "star":
        for a in range(5):
            t1 = math.radians(-90 + a * 72); t2 = math.radians(-90 + (a + 2) * 72)
            i.line(round(7.5 + 6 * math.cos(t1)), round(8 + 6 * math.sin(t1)),
                   round(7.5 + 6 * math.cos(t2)), round(8 + 6 * math.sin(t2)), GOLD)
    elif name == "table":
        table(i)
    elif name == "report-copy":
        table(i); i.rect(8, 8, 15, 15, PAPER, True); i.rect(8, 8, 15, 15, BLUE)
    elif name == "table-setup":
        table(i); i.circle(11, 11, 3, GOLD, True); i.dot(11, 11, INK)
    else:
        raise SystemExit("no drawing for " + name)
    return i


NAMES = ["add", "apply", "cancel", "chromsel-none", "chromsel-peak", "chromsel-peakbackg", "constraints",
         "delete", "delete-plot", "element-comp", "hide-plot", "mass-browser", "mol-match-calc",
         "mol-match-view", "msspec-append", "new-chromatogram", "new-msspec", "options", "spec-pro-look",
         "spec-pro-scales", "star", "table", "report-copy", "table-setup"]

# Resource names whose files are stored under a longer name (the resource
# file maps them back with an alias).
FILES = {"spec-pro-look": "spectrum-properties-look", "spec-pro-scales": "spectrum-properties-scales"}

if __name__ == "__main__":
    for n in NAMES:
        with open("images/%s.png" % FILES.get(n, n), "wb") as f:
            f.write(draw(n).png())
