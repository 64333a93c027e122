#!/usr/bin/env python3
"""Generates setup_client.ico, the application icon of the workstation settings tool.

The icon is a blue rounded square carrying a white circular backup arrow around a
small monitor. Every size is drawn from signed distance functions and anti-aliased
by 4x4 supersampling of the edge pixels, so the result has a real alpha channel.
The 16, 24, 32 and 48 pixel images are stored as 32-bit BGRA DIBs with an AND mask,
the 256 pixel image as PNG. Only the standard library is used.

Usage: python3 make_icon.py [output.ico]   (default: setup_client.ico next to this file)
"""

import math
import os
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)
SUPERSAMPLE = 4

TOP_COLOR = (0x2E, 0x7F, 0xD9)
BOTTOM_COLOR = (0x1B, 0x4F, 0x96)
OUTLINE_SHADE = 0.68          # outline = gradient colour darkened by this factor
WHITE = (255, 255, 255)


# ---------------------------------------------------------------------------
# Geometry per size. All values are in pixels of the target image; the small
# sizes are tuned by hand so that strokes land on whole pixels.
# ---------------------------------------------------------------------------

def layout(size):
    """Returns the shape parameters for one icon size."""
    s = float(size)
    g = {
        "box": (0.035 * s, 0.035 * s, s - 0.035 * s, s - 0.035 * s),
        "radius": 0.19 * s,
        "outline": 0.011 * s,
        "center": (s / 2.0, s / 2.0),
        "arc_radius": 0.300 * s,
        "arc_width": 0.082 * s,
        "arc_end": math.radians(-90.0),    # where the arrowhead sits: 12 o'clock
        "arc_span": math.radians(285.0),   # clockwise sweep from tail to arrowhead base
        "head_width": 2.25,                # arrowhead base width, in arc widths
        "head_length": 1.45,               # arrowhead length along the arc, in arc widths
        "head_bend": 1.0,                  # 1: tip lies on the arc, 0: tip on the straight tangent
        "head_inset": 0.0,                 # shifts the arrowhead towards the centre, in pixels
        "monitor": True,
        "screen": (0.345 * s, 0.350 * s, 0.655 * s, 0.565 * s),
        "screen_radius": 0.022 * s,
        "bezel": 0.036 * s,
        "neck": (0.470 * s, 0.565 * s, 0.530 * s, 0.615 * s),
        "foot": (0.395 * s, 0.607 * s, 0.605 * s, 0.645 * s),
        "foot_radius": 0.012 * s,
        "glass": 0.30,                     # white tint inside the screen
        "shadow": 0.0,                     # soft shadow under the white glyph
    }
    if size == 256:
        # The large image keeps the proportional layout and gains a soft shadow.
        g["shadow"] = 0.22
    elif size == 48:
        g.update(box=(2, 2, 46, 46), radius=9.0, outline=1.0,
                 arc_radius=15.0, arc_width=4.0,
                 head_width=2.5, head_length=1.6, head_inset=1.0,
                 screen=(17, 17, 31, 27), screen_radius=1.0, bezel=2.0,
                 neck=(23, 27, 25, 29), foot=(20, 29, 28, 31), foot_radius=0.5)
    elif size == 32:
        g.update(box=(1, 1, 31, 31), radius=6.5, outline=1.0,
                 arc_radius=10.5, arc_width=3.0,
                 head_width=2.33, head_length=1.6, head_bend=0.5, head_inset=0.5,
                 screen=(11, 11, 21, 18), screen_radius=0.5, bezel=1.0,
                 neck=(15, 18, 17, 20), foot=(13, 20, 19, 21), foot_radius=0.0,
                 glass=0.40)
    elif size == 24:
        g.update(box=(0, 0, 24, 24), radius=5.0, outline=1.0,
                 arc_radius=8.0, arc_width=2.0,
                 head_width=2.75, head_length=1.75, head_bend=0.2, head_inset=0.25,
                 screen=(8, 8, 16, 14), screen_radius=0.0, bezel=1.0,
                 neck=(11, 14, 13, 15), foot=(9, 15, 15, 16), foot_radius=0.0,
                 glass=0.45)
    elif size == 16:
        # Too small for the monitor: only a heavier arrow remains.
        g.update(box=(0, 0, 16, 16), radius=3.5, outline=1.0,
                 arc_radius=5.0, arc_width=2.0,
                 head_width=2.5, head_length=1.75, head_bend=0.0, head_inset=0.5,
                 monitor=False)
    return g


# ---------------------------------------------------------------------------
# Signed distance functions (negative inside, in pixels)
# ---------------------------------------------------------------------------

def sd_round_rect(px, py, rect, r):
    x0, y0, x1, y1 = rect
    cx, cy = (x0 + x1) * 0.5, (y0 + y1) * 0.5
    qx = abs(px - cx) - (x1 - x0) * 0.5 + r
    qy = abs(py - cy) - (y1 - y0) * 0.5 + r
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    inside = min(max(qx, qy), 0.0)
    return outside + inside - r


def sd_triangle(px, py, a, b, c):
    """Exact distance to a triangle (any winding)."""
    e0 = (b[0] - a[0], b[1] - a[1])
    e1 = (c[0] - b[0], c[1] - b[1])
    e2 = (a[0] - c[0], a[1] - c[1])
    v0 = (px - a[0], py - a[1])
    v1 = (px - b[0], py - b[1])
    v2 = (px - c[0], py - c[1])

    def edge(v, e):
        t = (v[0] * e[0] + v[1] * e[1]) / (e[0] * e[0] + e[1] * e[1])
        t = min(max(t, 0.0), 1.0)
        qx, qy = v[0] - e[0] * t, v[1] - e[1] * t
        return qx * qx + qy * qy

    orient = 1.0 if (e0[0] * e2[1] - e0[1] * e2[0]) > 0 else -1.0
    dist2 = min(edge(v0, e0), edge(v1, e1), edge(v2, e2))
    side = min(orient * (v0[0] * e0[1] - v0[1] * e0[0]),
               orient * (v1[0] * e1[1] - v1[1] * e1[0]),
               orient * (v2[0] * e2[1] - v2[1] * e2[0]))
    d = math.sqrt(dist2)
    return -d if side > 0 else d


class Glyph:
    """The white arrow and monitor of one size, evaluated as a single distance field."""

    def __init__(self, g):
        self.g = g
        cx, cy = g["center"]
        r = g["arc_radius"]
        w = g["arc_width"]
        end = g["arc_end"]
        # The gap is the wedge between the arrowhead base and the tail of the arc.
        gap = 2.0 * math.pi - g["arc_span"]
        self.gap_half = gap * 0.5
        self.gap_mid = end + self.gap_half
        self.gap_cos = math.cos(self.gap_mid)
        self.gap_sin = math.sin(self.gap_mid)
        # Arrowhead: the base straddles the arc end; the tip lies on the arc further
        # clockwise, or on the tangent there, or in between (head_bend).
        half = g["head_width"] * w * 0.5
        length = g["head_length"] * w
        mid = r - g["head_inset"]
        ux, uy = math.cos(end), math.sin(end)
        tip_angle = end + length / r
        on_arc = (cx + math.cos(tip_angle) * mid, cy + math.sin(tip_angle) * mid)
        on_tangent = (cx + ux * mid - uy * length, cy + uy * mid + ux * length)
        k = g["head_bend"]
        self.head = (
            (cx + ux * (mid - half), cy + uy * (mid - half)),
            (cx + ux * (mid + half), cy + uy * (mid + half)),
            (on_tangent[0] + (on_arc[0] - on_tangent[0]) * k,
             on_tangent[1] + (on_arc[1] - on_tangent[1]) * k),
        )

    def arc(self, px, py):
        g = self.g
        cx, cy = g["center"]
        dx, dy = px - cx, py - cy
        ring = abs(math.hypot(dx, dy) - g["arc_radius"]) - g["arc_width"] * 0.5
        # Rotate into the frame of the gap and measure against its two edges.
        u = dx * self.gap_cos + dy * self.gap_sin
        v = -dx * self.gap_sin + dy * self.gap_cos
        sn, cs = math.sin(self.gap_half), math.cos(self.gap_half)
        in_gap = max(-u * sn + v * cs, -u * sn - v * cs)
        return max(ring, -in_gap)

    def arrow(self, px, py):
        return min(self.arc(px, py), sd_triangle(px, py, *self.head))

    def monitor(self, px, py):
        """Returns (distance to the white parts, distance to the glass area)."""
        g = self.g
        x0, y0, x1, y1 = g["screen"]
        b = g["bezel"]
        outer = sd_round_rect(px, py, g["screen"], g["screen_radius"])
        glass = sd_round_rect(px, py, (x0 + b, y0 + b, x1 - b, y1 - b),
                              max(g["screen_radius"] - b * 0.5, 0.0))
        frame = max(outer, -glass)
        neck = sd_round_rect(px, py, g["neck"], 0.0)
        foot = sd_round_rect(px, py, g["foot"], g["foot_radius"])
        return min(frame, neck, foot), glass


# ---------------------------------------------------------------------------
# Rendering
# ---------------------------------------------------------------------------

def coverage(d, scale):
    """Area coverage of a sample of width 1/scale pixel at signed distance d."""
    return min(max(0.5 - d * scale, 0.0), 1.0)


def lerp(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def render(size):
    """Returns the image as rows of straight (non-premultiplied) RGBA byte tuples."""
    g = layout(size)
    glyph = Glyph(g)
    bx0, by0, bx1, by1 = g["box"]
    box_h = by1 - by0
    shadow_offset = 0.012 * size
    shadow_blur = 0.020 * size

    def sample(px, py, scale):
        """Premultiplied colour and alpha at one point."""
        d_box = sd_round_rect(px, py, g["box"], g["radius"])
        alpha = coverage(d_box, scale)
        if alpha <= 0.0:
            return 0.0, 0.0, 0.0, 0.0
        t = min(max((py - by0) / box_h, 0.0), 1.0)
        fill = lerp(TOP_COLOR, BOTTOM_COLOR, t)
        edge = tuple(c * OUTLINE_SHADE for c in fill)
        color = lerp(edge, fill, coverage(d_box + g["outline"], scale))

        if g["shadow"] > 0.0:
            d_sh = glyph.arrow(px, py - shadow_offset)
            if g["monitor"]:
                d_sh = min(d_sh, glyph.monitor(px, py - shadow_offset)[0])
            sh = g["shadow"] * min(max(0.5 - d_sh / shadow_blur, 0.0), 1.0)
            color = lerp(color, edge, sh)

        d_white = glyph.arrow(px, py)
        if g["monitor"]:
            d_mon, d_glass = glyph.monitor(px, py)
            color = lerp(color, WHITE, g["glass"] * coverage(d_glass, scale))
            d_white = min(d_white, d_mon)
        color = lerp(color, WHITE, coverage(d_white, scale))
        return color[0] * alpha, color[1] * alpha, color[2] * alpha, alpha

    def is_flat(px, py):
        """True if no edge passes within reach of the pixel, so one sample suffices."""
        reach = 1.0 + (shadow_blur + shadow_offset if g["shadow"] > 0.0 else 0.0)
        d_box = sd_round_rect(px, py, g["box"], g["radius"])
        if abs(d_box) < reach or abs(d_box + g["outline"]) < reach:
            return False
        if d_box > 0:
            return True
        if abs(glyph.arrow(px, py)) < reach:
            return False
        if g["monitor"]:
            d_mon, d_glass = glyph.monitor(px, py)
            if abs(d_mon) < reach or abs(d_glass) < reach:
                return False
        return True

    n = SUPERSAMPLE
    offsets = [(i + 0.5) / n for i in range(n)]
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if is_flat(x + 0.5, y + 0.5):
                r, gg, b, a = sample(x + 0.5, y + 0.5, 1.0)
            else:
                r = gg = b = a = 0.0
                for oy in offsets:
                    for ox in offsets:
                        sr, sg, sb, sa = sample(x + ox, y + oy, float(n))
                        r += sr
                        gg += sg
                        b += sb
                        a += sa
                k = 1.0 / (n * n)
                r, gg, b, a = r * k, gg * k, b * k, a * k
            if a > 0.0:
                pixel = (int(round(r / a)), int(round(gg / a)), int(round(b / a)),
                         int(round(a * 255.0)))
                pixel = tuple(min(max(c, 0), 255) for c in pixel)
            else:
                pixel = (0, 0, 0, 0)
            row.append(pixel)
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------
# Encoding
# ---------------------------------------------------------------------------

def encode_png(rows):
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter type: none
        for px in row:
            raw.extend(px)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def encode_dib(rows):
    """32-bit BGRA bitmap, bottom-up, followed by the 1-bit AND mask."""
    height, width = len(rows), len(rows[0])
    mask_stride = ((width + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor.extend((b, g, r, a))
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] < 128:
                bits[x >> 3] |= 0x80 >> (x & 7)
        mask.extend(bits)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def encode_ico(images):
    """images: list of (size, payload bytes)."""
    count = len(images)
    offset = 6 + 16 * count
    header = struct.pack("<HHH", 0, 1, count)
    entries = bytearray()
    data = bytearray()
    for size, payload in images:
        dim = 0 if size >= 256 else size
        entries.extend(struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32,
                                   len(payload), offset + len(data)))
        data.extend(payload)
    return header + bytes(entries) + bytes(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "setup_client.ico")
    images = []
    for size in SIZES:
        rows = render(size)
        payload = encode_png(rows) if size >= 256 else encode_dib(rows)
        images.append((size, payload))
    with open(out, "wb") as f:
        f.write(encode_ico(images))
    print("wrote %s (%s)" % (out, ", ".join("%dx%d" % (s, s) for s in SIZES)))


if __name__ == "__main__":
    main()
