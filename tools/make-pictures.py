#!/usr/bin/env python3
"""Draws Corvane's pictures as code and writes them into res/: the application icon, the
16-pixel image list strip (a PNG, straight alpha), the 32-pixel adapter icon, the about box's
arrow and a review sheet.
With `window`, photographs the README's picture of the window instead (docs/corvane-window.png).

Standard library only, except that the JPEG is encoded by ImageMagick's convert. Shapes are
polygons filled with a scanline rasteriser: exact coverage across a row, 16 sub-rows per pixel.
"""
import datetime
import math
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

SUB_ROWS = 16
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "res")

# ---------------------------------------------------------------- rasteriser


def signed_area(pts):
    return sum(pts[i - 1][0] * p[1] - p[0] * pts[i - 1][1] for i, p in enumerate(pts)) / 2


def coverage(w, h, contours):
    """Per-pixel coverage (0..1) of the union of the contours, whatever their direction."""
    cov = [0.0] * (w * h)
    edges = []
    for pts in contours:
        sign = 1 if signed_area(pts) > 0 else -1
        for i, (x1, y1) in enumerate(pts):
            x0, y0 = pts[i - 1]
            if y0 == y1:
                continue
            d = sign
            if y0 > y1:
                x0, y0, x1, y1, d = x1, y1, x0, y0, -sign
            edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), d))
    if not edges:
        return cov
    top = max(0, math.floor(min(e[0] for e in edges)))
    bottom = min(h, math.ceil(max(e[1] for e in edges)))
    for py in range(top, bottom):
        row = py * w
        for s in range(SUB_ROWS):
            yc = py + (s + 0.5) / SUB_ROWS
            xs = sorted((x0 + (yc - y0) * k, d) for y0, y1, x0, k, d in edges if y0 <= yc < y1)
            wind, start = 0, 0.0
            for x, d in xs:
                if wind == 0:
                    start = x
                wind += d
                if wind == 0:
                    add_span(cov, row, w, start, x)
    return cov


def add_span(cov, row, w, xa, xb):
    xa, xb = max(0.0, xa), min(float(w), xb)
    for ix in range(int(xa), math.ceil(xb)):
        cov[row + ix] += (min(xb, ix + 1) - max(xa, ix)) / SUB_ROWS


def linear(p0, c0, p1, c1):
    """Paint that runs from colour c0 at p0 to c1 at p1."""
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    n = dx * dx + dy * dy

    def paint(x, y):
        t = min(1.0, max(0.0, ((x - p0[0]) * dx + (y - p0[1]) * dy) / n))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return paint


class Canvas:
    """Straight-alpha RGBA picture, channels as floats 0..255 (alpha 0..1)."""

    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        self.rgb = [background or (0.0, 0.0, 0.0)] * (w * h)
        self.a = [1.0 if background else 0.0] * (w * h)

    def blend(self, i, colour, sa):
        da = self.a[i]
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        dst = self.rgb[i]
        self.rgb[i] = tuple((c * sa + d * da * (1 - sa)) / oa for c, d in zip(colour, dst))
        self.a[i] = oa

    def fill_mask(self, cov, paint, alpha=1.0):
        for i, c in enumerate(cov):
            if c > 1e-4:
                colour = paint(i % self.w + 0.5, i // self.w + 0.5) if callable(paint) else paint
                self.blend(i, colour, min(1.0, c) * alpha)

    def fill(self, shapes, paint, holes=(), alpha=1.0):
        cov = coverage(self.w, self.h, shapes)
        if holes:
            cut = coverage(self.w, self.h, holes)
            cov = [c * (1 - min(1.0, k)) for c, k in zip(cov, cut)]
        self.fill_mask(cov, paint, alpha)

    def framed(self, shapes, paint, edge, width=1.0, holes=()):
        """Fills the shapes with the edge colour and, width further in, with paint."""
        self.fill(shapes, edge, holes)
        self.fill([offset(s, -width) for s in shapes], paint, [offset(h, width) for h in holes])

    def paste(self, pic, left, top, scale=1):
        for y in range(pic.h * scale):
            for x in range(pic.w * scale):
                tx, ty = left + x, top + y
                if 0 <= tx < self.w and 0 <= ty < self.h:
                    j = (y // scale) * pic.w + x // scale
                    if pic.a[j] > 0:
                        self.blend(ty * self.w + tx, pic.rgb[j], pic.a[j])

    def pixel8(self, i):
        r, g, b = (max(0, min(255, round(c))) for c in self.rgb[i])
        a = max(0, min(255, round(self.a[i] * 255)))
        return (r, g, b, a) if a else (0, 0, 0, 0)


def blur(cov, w, h, radius):
    """Box blur, run twice, for soft shadows."""
    for _ in range(2):
        for horizontal in (True, False):
            out = [0.0] * (w * h)
            for i in range(w * h):
                x, y = i % w, i // w
                total = 0.0
                for k in range(-radius, radius + 1):
                    tx, ty = (x + k, y) if horizontal else (x, y + k)
                    if 0 <= tx < w and 0 <= ty < h:
                        total += cov[ty * w + tx]
                out[i] = total / (2 * radius + 1)
            cov = out
    return cov

# ---------------------------------------------------------------- geometry


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def ellipse(cx, cy, rx, ry=None, n=96):
    ry = rx if ry is None else ry
    return [(cx + rx * math.cos(2 * math.pi * k / n), cy + ry * math.sin(2 * math.pi * k / n))
            for k in range(n)]


def rounded(x0, y0, x1, y1, r, n=6):
    pts = []
    for cx, cy, a in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90),
                      (x0 + r, y0 + r, 180)):
        for k in range(n + 1):
            t = math.radians(a + 90 * k / n)
            pts.append((cx + r * math.cos(t), cy + r * math.sin(t)))
    return pts


def move(pts, dx=0.0, dy=0.0, angle=0.0, about=(0.0, 0.0)):
    """Rotates the points by angle degrees (clockwise on screen) about a point, then moves them."""
    c, s = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    ax, ay = about
    return [(ax + (x - ax) * c - (y - ay) * s + dx, ay + (x - ax) * s + (y - ay) * c + dy)
            for x, y in pts]


def offset(pts, d):
    """Grows (d > 0) or shrinks the contour by d, with mitred corners."""
    outward = 1 if signed_area(pts) > 0 else -1
    n = len(pts)
    normals = []
    for i in range(n):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
        length = math.hypot(x1 - x0, y1 - y0) or 1.0
        normals.append((outward * (y1 - y0) / length, -outward * (x1 - x0) / length))
    out = []
    for i, (x, y) in enumerate(pts):
        (ax, ay), (bx, by) = normals[i - 1], normals[i]
        k = d / max(0.25, 1 + ax * bx + ay * by)
        out.append((x + (ax + bx) * k, y + (ay + by) * k))
    return out


def arrow(tail, angle, length, head_len, head_hw, shaft_hw):
    """An arrow from tail along angle (degrees, 0 = right, 90 = down)."""
    body = length - head_len
    local = [(0, -shaft_hw), (body, -shaft_hw), (body, -head_hw), (length, 0),
             (body, head_hw), (body, shaft_hw), (0, shaft_hw)]
    return move(local, tail[0], tail[1], angle)


def arc_band(cx, cy, r0, r1, a0, a1, n=40):
    outer = [(cx + r1 * math.cos(math.radians(a0 + (a1 - a0) * k / n)),
              cy + r1 * math.sin(math.radians(a0 + (a1 - a0) * k / n))) for k in range(n + 1)]
    inner = [(cx + r0 * math.cos(math.radians(a1 - (a1 - a0) * k / n)),
              cy + r0 * math.sin(math.radians(a1 - (a1 - a0) * k / n))) for k in range(n + 1)]
    return outer + inner

# ---------------------------------------------------------------- palette (light, dark, edge)

GREEN = ((116, 212, 86), (30, 150, 54), (16, 88, 30))
ORANGE = ((255, 186, 62), (236, 116, 18), (128, 56, 6))
BLUE = ((128, 186, 250), (36, 98, 204), (20, 56, 134))
RED = ((250, 112, 96), (198, 30, 30), (112, 12, 12))
STEEL = ((226, 230, 238), (136, 146, 162), (64, 70, 82))
GOLD = ((255, 226, 120), (206, 152, 32), (120, 82, 10))
PCB = ((84, 184, 102), (28, 122, 62), (14, 70, 34))
WHITE = (255, 255, 255)


def shade(ramp, p0, p1):
    return linear(p0, ramp[0], p1, ramp[1])


# The tray form, pixel by pixel (o outline, g fill): the down arrow at the left, top; the up
# arrow is the same turned over, at the right, bottom, so that the heads interleave.
TRAY_ARROW = ("..ooooo..",) + ("..ogggo..",) * 7 + (
    "ooogggooo",
    ".ogggggo.",
    "..ogggo..",
    "...ogo...",
    "....o....",
)


def tray_arrows():
    rows = [list("." * 16) for _ in range(16)]
    for y, line in enumerate(TRAY_ARROW):
        for x, ch in enumerate(line):
            if ch != ".":
                rows[y][x] = ch
                rows[15 - y][7 + x] = "d" if ch == "o" else "r"
    return ["".join(r) for r in rows]


def pixel_art(c, rows, inks):
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch in inks:
                ink = inks[ch]
                c.blend(y * c.w + x, ink(x + 0.5, y + 0.5) if callable(ink) else ink, 1.0)


def app_icon(size):
    """Incoming (green, down) and outgoing (orange, up) traffic, side by side and staggered."""
    c = Canvas(size, size)
    if size == 16:
        pixel_art(c, tray_arrows(), {"o": GREEN[2], "g": shade(GREEN, (0, 1), (0, 12)),
                                   "d": ORANGE[2], "r": shade(ORANGE, (0, 4), (0, 15))})
        return c
    for shape, ramp in ((arrow((38, 5), 90, 100, 38, 36, 15), GREEN),
                        (arrow((90, 123), -90, 100, 38, 36, 15), ORANGE)):
        c.framed([shape], shade(ramp, (0, 0), (40, 128)), ramp[2], 5)
        shine = offset(shape, -9)
        right_half = rect(shape[3][0], 0, 128, 128)
        c.fill([shine], WHITE, holes=[right_half], alpha=0.22)
    return c


def gear(cx, cy, r_tip, r_root, teeth):
    pts = []
    half = math.pi / teeth
    for k in range(teeth):
        a = 2 * math.pi * k / teeth
        for da, r in ((-half, r_root), (-half * 0.55, r_root), (-half * 0.38, r_tip),
                      (half * 0.38, r_tip), (half * 0.55, r_root)):
            pts.append((cx + r * math.cos(a + da), cy + r * math.sin(a + da)))
    return pts


def icon_settings():
    c = Canvas(16, 16)
    c.framed([gear(8, 8, 8, 6, 8)], shade(STEEL, (3, 2), (13, 14)), STEEL[2],
             holes=[ellipse(8, 8, 2.2)])
    return c


def network_card(c, s):
    """Expansion card: metal bracket on the left, green board, chip, gold contacts below."""
    if s == 16:
        c.framed([rect(3, 2, 16, 12)], shade(PCB, (3, 2), (16, 12)), PCB[2])
        c.fill([rect(7, 4, 12, 9)], (40, 44, 52))
        c.fill([rect(7, 4, 12, 5)], (96, 100, 110))
        for x in range(5, 15, 2):
            c.fill([rect(x, 12, x + 1, 15)], shade(GOLD, (0, 12), (0, 15)))
        c.framed([rect(0, 0, 3, 16)], shade(STEEL, (0, 0), (3, 0)), STEEL[2])
        return
    c.framed([rect(6, 4, 32, 23)], shade(PCB, (6, 4), (32, 23)), PCB[2])
    for y in (9, 13, 17):
        c.fill([rect(20, y, 29, y + 1)], (120, 210, 140))
    c.fill([rect(11, 8, 19, 17)], (40, 44, 52))
    c.fill([rect(11, 8, 19, 9)], (100, 106, 118))
    for y in range(9, 17, 2):
        c.fill([rect(10, y, 11, y + 1), rect(19, y, 20, y + 1)], (200, 204, 214))
    c.fill([rect(22, 19, 26, 21)], (40, 44, 52))
    for x in range(10, 30, 3):
        c.fill([rect(x, 23, x + 2, 29)], shade(GOLD, (0, 23), (0, 29)))
    c.framed([rect(0, 0, 6, 32)], shade(STEEL, (0, 0), (6, 0)), STEEL[2])
    c.framed([rect(1, 7, 6, 15)], (30, 32, 38), (20, 22, 26))
    c.fill([rect(2, 13, 5, 14)], (200, 170, 60))
    c.fill([rect(2, 17, 4, 19)], (90, 230, 90))
    c.fill([rect(2, 20, 4, 22)], (250, 190, 60))


def icon_adapters(size=16):
    c = Canvas(size, size)
    network_card(c, size)
    return c


def icon_close():
    c = Canvas(16, 16)
    bar = rect(-7, -2, 7, 2)
    bars = [move(bar, 8, 8, 45), move(bar, 8, 8, -45)]
    c.framed(bars, shade(RED, (4, 2), (12, 14)), RED[2])
    return c


def icon_display():
    c = Canvas(16, 16)
    c.framed([rect(5, 12, 11, 14), rounded(2, 13, 14, 16, 1, 3)], shade(STEEL, (0, 12), (0, 16)),
             STEEL[2])
    c.framed([rounded(0, 1, 16, 13, 1.5, 3)], shade(STEEL, (0, 1), (0, 13)), STEEL[2])
    c.fill([rect(2, 3, 14, 11)], shade(BLUE, (4, 3), (10, 11)))
    c.fill([[(2, 3), (9, 3), (2, 8)]], WHITE, alpha=0.35)
    return c


def icon_information():
    c = Canvas(16, 16)
    page = [(2, 0), (10, 0), (14, 4), (14, 16), (2, 16)]
    c.framed([page], linear((2, 0), WHITE, (14, 16), (222, 230, 240)), STEEL[2])
    c.framed([[(9, 0), (10, 0), (14, 4), (14, 5), (9, 5)]], (206, 214, 226), STEEL[2])
    for y, x1, colour in ((7, 12, BLUE[2]), (9, 10, BLUE[2]), (11, 12, BLUE[2]),
                          (13, 9, BLUE[2])):
        c.fill([rect(4, y, x1, y + 1)], colour)
    c.fill([rect(4, 3, 8, 4)], BLUE[1])
    return c


def icon_general():
    c = Canvas(16, 16)
    c.framed([rect(0, 1, 16, 15)], linear((0, 5), WHITE, (0, 15), (220, 228, 240)), BLUE[2])
    c.fill([rect(1, 2, 15, 5)], shade(BLUE, (0, 2), (0, 5)))
    c.fill([rect(12, 3, 14, 4)], WHITE)
    c.fill([rect(1, 5, 15, 6)], BLUE[2])
    return c


def icon_logs():
    c = Canvas(16, 16)
    for x, top, ramp in ((3, 5, GREEN), (6, 9, ORANGE), (9, 2, GREEN), (12, 7, ORANGE)):
        c.framed([rect(x, top, x + 4, 15)], shade(ramp, (x, 0), (x + 4, 0)), ramp[2])
    c.fill([rect(0, 1, 1, 16), rect(0, 15, 16, 16)], STEEL[2])
    return c


def icon_about():
    c = Canvas(16, 16)
    c.framed([ellipse(8, 8, 8)], shade(BLUE, (3, 2), (12, 14)), BLUE[2])
    c.fill([ellipse(8, 4.5, 1.4, n=24), rect(7, 7, 9, 12), rect(6, 7, 9, 8), rect(6, 12, 10, 13)],
           WHITE)
    return c


def icon_minimise():
    c = Canvas(16, 16)
    c.framed([rounded(0, 12, 16, 16, 1, 3)], shade(STEEL, (0, 12), (0, 16)), STEEL[2])
    c.framed([arrow((8, 0), 90, 12, 5, 6, 2.5)], shade(BLUE, (0, 0), (12, 10)), BLUE[2])
    return c


def circling_arrow(a0, a1, cx=8, cy=8, r=5.0, band=1.3, head_hw=3.3, head_deg=50):
    """A band round the centre from angle a0 to a1 (clockwise), ending in an arrow head."""
    def at(angle, radius):
        return (cx + radius * math.cos(math.radians(angle)),
                cy + radius * math.sin(math.radians(angle)))
    body = arc_band(cx, cy, r - band, r + band, a0, a1 + 12, 24)
    head = [at(a1, r - head_hw), at(a1, r + head_hw), at(a1 + head_deg, r)]
    return [body, head]


def icon_updates():
    # No outline: at this size it would swallow the arrow heads.
    c = Canvas(16, 16)
    shapes = circling_arrow(170, 275) + circling_arrow(-10, 95)
    c.fill(shapes, linear((3, 2), (64, 178, 72), (12, 14), (18, 104, 38)))
    return c


def icon_history():
    """Bars of past days, in and out, with a clock over their corner."""
    c = Canvas(16, 16)
    for x, top, ramp in ((0, 8, GREEN), (3, 11, ORANGE), (6, 6, GREEN)):
        c.framed([rect(x, top, x + 4, 16)], shade(ramp, (x, 0), (x + 4, 0)), ramp[2])
    c.framed([ellipse(10.5, 5.5, 5.5)], linear((6, 1), WHITE, (15, 11), (214, 224, 238)), BLUE[2])
    c.fill([rect(10, 2, 11, 6), rect(10, 5, 13.5, 6)], BLUE[2])
    return c


def about_arrow():
    c = Canvas(128, 128, WHITE)
    shape = arrow((18, 18), 45, 124, 48, 36, 14)
    shadow = blur(coverage(128, 128, [move(offset(shape, 3), 5, 6)]), 128, 128, 3)
    c.fill_mask(shadow, (0, 0, 0), 0.25)
    c.framed([shape], linear((20, 20), (150, 232, 112), (100, 100), (24, 140, 48)), GREEN[2], 3)
    return c


ICONS16 = (icon_settings, icon_adapters, icon_close, icon_display, icon_information,
           icon_general, icon_logs, icon_about, icon_minimise, icon_updates, icon_history)

# ---------------------------------------------------------------- file formats


def dib_entry(c):
    """Icon image: BITMAPINFOHEADER, bottom-up BGRA rows, then the 1-bit AND mask."""
    rows = []
    mask_stride = (c.w + 31) // 32 * 4
    mask = bytearray()
    for y in reversed(range(c.h)):
        bits = bytearray(mask_stride)
        for x in range(c.w):
            r, g, b, a = c.pixel8(y * c.w + x)
            rows.append(bytes((b, g, r, a)))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    pixels = b"".join(rows) + bytes(mask)
    header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(pixels), 0, 0, 0, 0)
    return header + pixels


def write_ico(path, canvases):
    """Frames of 64 pixels and more as PNG, which Windows reads in icons since Vista; the small
    ones stay DIBs, the form every reader of icons knows, and cost little at their size."""
    images = [png_bytes(c, alpha=True) if c.w >= 64 else dib_entry(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    pos = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(data), pos)
        pos += len(data)
    write_file(path, out + b"".join(images))


def png_filtered(rows, bpp):
    """Each row with the PNG filter that leaves the smallest sum of bytes (taken as signed),
    the usual guess at what deflate packs best."""
    out = bytearray()
    prior = bytes(len(rows[0]))
    for row in rows:
        def left(i):
            return row[i - bpp] if i >= bpp else 0

        def upper_left(i):
            return prior[i - bpp] if i >= bpp else 0

        def paeth(i):
            a, b, c = left(i), prior[i], upper_left(i)
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            return a if pa <= pb and pa <= pc else (b if pb <= pc else c)
        predictors = (lambda i: 0, left, lambda i: prior[i],
                      lambda i: (left(i) + prior[i]) // 2, paeth)
        candidates = [bytes([kind]) + bytes((row[i] - predict(i)) & 0xFF for i in range(len(row)))
                      for kind, predict in enumerate(predictors)]
        out += min(candidates, key=lambda f: sum(v if v < 128 else 256 - v for v in f[1:]))
        prior = row
    return bytes(out)


def png_bytes(c, alpha):
    """PNG of the canvas: RGBA with straight alpha, or RGB flattened on white."""
    rows = []
    for y in range(c.h):
        row = bytearray()
        for x in range(c.w):
            r, g, b, a = c.pixel8(y * c.w + x)
            if alpha:
                row += bytes((r, g, b, a))
            else:
                t = a / 255
                row += bytes(round(v * t + 255 * (1 - t)) for v in (r, g, b))
        rows.append(bytes(row))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    ihdr = struct.pack(">IIBBBBB", c.w, c.h, 8, 6 if alpha else 2, 0, 0, 0)
    idat = zlib.compress(png_filtered(rows, 4 if alpha else 3), 9)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", idat) +
            chunk(b"IEND", b""))


def write_png(path, c):
    write_file(path, png_bytes(c, alpha=False))


def ppm_bytes(c):
    body = bytearray()
    for i in range(c.w * c.h):
        body += bytes(c.pixel8(i)[:3])
    return b"P6\n%d %d\n255\n" % (c.w, c.h) + bytes(body)


def read_ppm(data):
    parts = data.split(maxsplit=4)
    w, h = int(parts[1]), int(parts[2])
    body = parts[4]
    c = Canvas(w, h, WHITE)
    c.rgb = [tuple(float(v) for v in body[i * 3:i * 3 + 3]) for i in range(w * h)]
    return c


def convert_tool():
    tool = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else shutil.which("convert")
    if not tool:
        sys.exit("make-pictures: ImageMagick's convert is needed to encode the JPEG")
    return tool


def write_jpeg(path, c):
    """Baseline (sequential) JPEG, quality 90, no chroma subsampling, no metadata."""
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "in.ppm")
        write_file(src, ppm_bytes(c))
        subprocess.run([convert_tool(), src, "-strip", "-quality", "90", "-sampling-factor",
                        "1x1", "-interlace", "none", "jpg:" + path], check=True)
    with open(path, "rb") as f:
        data = f.read()
    if b"\xff\xc0" not in data or b"\xff\xc2" in data:
        sys.exit("make-pictures: %s is not a baseline JPEG" % path)


def decode_jpeg(path):
    out = subprocess.run([convert_tool(), path, "ppm:-"], check=True, capture_output=True)
    return read_ppm(out.stdout)


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)

# ---------------------------------------------------------------- review sheet


def checker(w, h, cell=8):
    c = Canvas(w, h, WHITE)
    for i in range(w * h):
        if ((i % w) // cell + (i // w) // cell) % 2:
            c.rgb[i] = (214, 214, 214)
    return c


def main_window_mock(icon):
    """The main window at its default 180 x 228 size: blue face, white outline, the icon anchored
    to the lower right as at design time (left 55, top 90 of 170 x 194), quota bar in front."""
    c = Canvas(180, 228, (49, 106, 197))
    c.paste(icon, 55 + 10, 90 + 34)
    c.fill([rect(0, 0, 180, 228)], WHITE, holes=[rect(1, 1, 179, 227)])
    c.framed([rect(6, 209, 173, 223)], (236, 236, 236), (130, 135, 145))
    c.fill([rect(7, 210, 70, 222)], GREEN[1])
    return c


def preview(app128, app16, strip, adapter32, jpeg):
    sheet = Canvas(980, 560, (250, 250, 250))
    backgrounds = ((255, 255, 255), (240, 240, 240), (49, 106, 197), (32, 32, 36))
    sheet.paste(checker(128, 128), 10, 10)
    sheet.paste(app128, 10, 10)
    sheet.paste(Canvas(128, 128, backgrounds[2]), 148, 10)
    sheet.paste(app128, 148, 10)
    sheet.paste(checker(128, 128), 286, 10)
    sheet.paste(app16, 286, 10, 8)
    for k, bg in enumerate(backgrounds):
        sheet.paste(Canvas(24, 24, bg), 424, 10 + 30 * k)
        sheet.paste(app16, 428, 14 + 30 * k)
    sheet.paste(main_window_mock(app128), 470, 10)
    sheet.paste(jpeg, 670, 10)
    sheet.paste(checker(96, 96), 810, 10)
    sheet.paste(adapter32, 810, 10, 3)
    sheet.paste(adapter32, 920, 10)
    for k in range(len(ICONS16)):
        tile = Canvas(16, 16)
        tile.paste(strip, -16 * k, 0)
        sheet.paste(checker(80, 80), 10 + 88 * k, 250)
        sheet.paste(tile, 10 + 88 * k, 250, 5)
    for k, bg in enumerate(backgrounds):
        x = 10 + (k % 2) * 490
        y = 360 + (k // 2) * 100
        sheet.paste(Canvas(480, 90, bg), x, y)
        sheet.paste(strip, x + 8, y + 8)
        sheet.paste(strip, x + 8, y + 34, 2)
        sheet.paste(adapter32, x + 400, y + 8)
    return sheet


# ---------------------------------------------------------------- the window, photographed


def send_steadily(stop, chunk=24 << 10, pause=0.04):
    """Sends over the loopback adapter, about 600 KB a second, until stop is set."""
    server = socket.create_server(("127.0.0.1", 0))
    threading.Thread(target=lambda: drain(server.accept()[0]), daemon=True).start()
    with socket.create_connection(server.getsockname()) as client:
        while not stop.wait(pause):
            client.sendall(b"x" * chunk)
    server.close()


def drain(conn):
    with conn:
        while conn.recv(1 << 16):
            pass


def start_display():
    """A private virtual display, as tools/xvfb.sh starts one; the server picks its number."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write)
    with os.fdopen(read) as f:
        os.environ["DISPLAY"] = ":" + f.readline().strip()
    return xvfb


def window_picture(path):
    """The real corvane.exe of the Windows build under Wine, driven as the end-to-end tests
    drive it, on the current X display or a private one."""
    sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
    import harness  # Wine, the window probe and the program's own folder
    xvfb = None if os.environ.get("DISPLAY") else start_display()
    try:
        photograph(harness, path)
    finally:
        if xvfb:  # Wine's processes first, then their display
            subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=harness.wine_env())
            xvfb.kill()


def photograph(harness, path):
    """Corvane watching the loopback adapter while traffic passes, with a usage log of this
    month prepared (under the quota), so that the rates, today, this month and the quota bar all
    show something."""
    today = datetime.date.today()
    days = [today.replace(day=d) for d in range(1, today.day + 1)]
    log = b"".join(harness.log_record((d - datetime.date(1899, 12, 30)).days,
                                      (90 + 31 * (d.day % 7)) << 20, (12 + 5 * (d.day % 4)) << 20)
                   for d in days)
    # No quota alerts: their notice would cover the figures.
    app = harness.Corvane(config="[network]\nactiveadapter=1\n[display]\nquotaalerts=\n",
                          files={"bandlog.dat": log})
    stop = threading.Event()
    sender = threading.Thread(target=send_steadily, args=(stop,), daemon=True)
    try:
        app.start()
        sender.start()
        label = lambda: app.child_text(app.hwnd, "TCorvaneStatsLabel", 0)
        moving = lambda: not label().startswith((b"In: 0.00", b"In: 0,00"))
        first = harness.wait_until(moving, timeout=30) and label()
        # A second reading with traffic: the first has been painted by then.
        if not first or not harness.wait_until(lambda: moving() and label() != first, timeout=30):
            sys.exit("make-pictures: no traffic shown: " + label().decode("latin-1"))
        subprocess.run(["import", "-window", "root", "-crop", "200x250+0+0", "-strip", path],
                       check=True, timeout=60)
    finally:
        stop.set()
        if app.hwnd:  # closed as a user would, so that it ends cleanly
            app.close()
            app.wait_exit()
        app.cleanup()


def main():
    if sys.argv[1:] == ["window"]:
        window_picture(os.path.join(ROOT, "docs", "corvane-window.png"))
        return
    os.makedirs(RES, exist_ok=True)
    app128, app16 = app_icon(128), app_icon(16)
    write_ico(os.path.join(RES, "corvane.ico"), [app128, app16])
    strip = Canvas(16 * len(ICONS16), 16)
    for k, draw in enumerate(ICONS16):
        strip.paste(draw(), 16 * k, 0)
    write_file(os.path.join(RES, "icons16.png"), png_bytes(strip, alpha=True))
    adapter32 = icon_adapters(32)
    write_ico(os.path.join(RES, "adapter32.ico"), [adapter32])
    jpeg_path = os.path.join(RES, "about_arrow.jpg")
    write_jpeg(jpeg_path, about_arrow())
    write_png(os.path.join(RES, "preview.png"),
              preview(app128, app16, strip, adapter32, decode_jpeg(jpeg_path)))


if __name__ == "__main__":
    main()
