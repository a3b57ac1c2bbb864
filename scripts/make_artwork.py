#!/usr/bin/env python3
"""Draws Velloro's pictures and writes them under resources/images/, and the desktop icons the
package installs (larger PNGs and a scalable SVG of the same drawing) under resources/icons/.

Standard library only: shapes are signed distance fields with one-pixel antialiasing, and the
PNG, BMP and ICO bytes are written here. Run it again after changing a colour or a shape:
    python3 scripts/make_artwork.py
"""

import math
import os
import struct
import sys
import zlib

RESOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
OUT = os.path.join(RESOURCES, "images")
ICONS = os.path.join(RESOURCES, "icons")
# The program loads 16, 32 and 48 from images/; the icon theme also wants these.
THEME_ONLY_SIZES = (24, 64, 128, 256)

# Palette: a deep teal night sky over a lighter sea; white line art; a warm accent for motion.
TOP = (0x0B, 0x3D, 0x5C)
BOTTOM = (0x10, 0x7A, 0x86)
GLOW = (0x5F, 0xD4, 0xD0)
WHITE = (0xFF, 0xFF, 0xFF)
ACCENT = (0xFF, 0xB3, 0x47)
BODY_TOP = (0xF4, 0xF9, 0xFB)
BODY_BOTTOM = (0xD9, 0xEC, 0xF0)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def clamp01(v):
    return 0.0 if v < 0 else 1.0 if v > 1 else v


class Canvas:
    """RGB floats with straight alpha compositing of coverage-weighted paint."""

    def __init__(self, w, h, fill=(0, 0, 0), alpha=1.0):
        self.w, self.h = w, h
        self.rgb = [[tuple(fill) for _ in range(w)] for _ in range(h)]
        self.a = [[alpha] * w for _ in range(h)]

    def blend(self, x, y, colour, cover):
        if cover <= 0:
            return
        old, oa = self.rgb[y][x], self.a[y][x]
        na = cover + oa * (1 - cover)
        if na <= 0:
            return
        self.rgb[y][x] = tuple((colour[i] * cover + old[i] * oa * (1 - cover)) / na for i in range(3))
        self.a[y][x] = na

    def paint(self, sdf, colour, opacity=1.0, box=None):
        """Fills where sdf(x, y) < 0; sdf is in pixels, sampled at pixel centres."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                d = sdf(x + 0.5, y + 0.5)
                cover = clamp01(0.5 - d) * opacity
                self.blend(x, y, colour(x, y) if callable(colour) else colour, cover)

    def bytes_rgb(self):
        return [[tuple(int(round(clamp01(c / 255) * 255)) for c in px) for px in row] for row in self.rgb]

    def bytes_rgba(self):
        out = []
        for y in range(self.h):
            out.append([tuple(int(round(c)) for c in self.rgb[y][x]) + (int(round(self.a[y][x] * 255)),)
                        for x in range(self.w)])
        return out


# --- signed distance functions ------------------------------------------------------------------

def rounded_rect(cx, cy, hw, hh, r):
    def f(x, y):
        qx, qy = abs(x - cx) - hw + r, abs(y - cy) - hh + r
        outside = math.hypot(max(qx, 0), max(qy, 0))
        return outside + min(max(qx, qy), 0) - r
    return f


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def capsule(ax, ay, bx, by, r):
    def f(x, y):
        px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
        t = clamp01((px * vx + py * vy) / (vx * vx + vy * vy))
        return math.hypot(px - vx * t, py - vy * t) - r
    return f


def arc(cx, cy, radius, thickness, start_deg, end_deg):
    """A stroke along a circle from start to end (degrees, counter-clockwise, y up), round caps."""
    a0, a1 = math.radians(start_deg), math.radians(end_deg)
    e0 = (cx + radius * math.cos(a0), cy - radius * math.sin(a0))
    e1 = (cx + radius * math.cos(a1), cy - radius * math.sin(a1))

    def f(x, y):
        ang = math.atan2(-(y - cy), x - cx)
        rel = (ang - a0) % (2 * math.pi)
        if rel <= (a1 - a0) % (2 * math.pi):
            return abs(math.hypot(x - cx, y - cy) - radius) - thickness / 2
        return min(math.hypot(x - e0[0], y - e0[1]), math.hypot(x - e1[0], y - e1[1])) - thickness / 2
    return f


def polygon(points):
    def f(x, y):
        d = float("inf")
        inside = False
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            vx, vy, px, py = bx - ax, by - ay, x - ax, y - ay
            t = clamp01((px * vx + py * vy) / (vx * vx + vy * vy))
            d = min(d, math.hypot(px - vx * t, py - vy * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * vx / vy:
                inside = not inside
        return -d if inside else d
    return f


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def arrow_head(cx, cy, radius, deg, size, clockwise):
    """A triangle at the end of an arc, pointing along the direction of travel."""
    a = math.radians(deg)
    px, py = cx + radius * math.cos(a), cy - radius * math.sin(a)
    # Tangent of travel in screen coordinates.
    tx, ty = (-math.sin(a), -math.cos(a)) if not clockwise else (math.sin(a), math.cos(a))
    nx, ny = -ty, tx
    tip = (px + tx * size, py + ty * size)
    back = (px - tx * size * 0.25, py - ty * size * 0.25)
    return polygon([tip, (back[0] + nx * size * 0.8, back[1] + ny * size * 0.8),
                    (back[0] - nx * size * 0.8, back[1] - ny * size * 0.8)])


# --- pictures -----------------------------------------------------------------------------------

BANNER_W, BANNER_H = 217, 57


def sky(y, h):
    return mix(TOP, BOTTOM, y / (h - 1))


def draw_phone(c, cx, cy, w, h, stroke, detail=True):
    body = rounded_rect(cx, cy, w / 2, h / 2, w * 0.22)
    c.paint(subtract(body, rounded_rect(cx, cy, w / 2 - stroke, h / 2 - stroke, w * 0.22 - stroke)), WHITE)
    # A chat bubble on the screen: the SMS half of the job. Earpiece, tail and home key only where
    # there are pixels enough to draw them.
    bubble = rounded_rect(cx, cy - h * 0.06, w * 0.27, h * 0.12, h * 0.05)
    if detail:
        c.paint(capsule(cx - w * 0.14, cy - h * 0.36, cx + w * 0.14, cy - h * 0.36, stroke * 0.45), WHITE)
        bubble = union(bubble, polygon([(cx - w * 0.15, cy + h * 0.04), (cx - w * 0.03, cy + h * 0.04),
                                        (cx - w * 0.17, cy + h * 0.13)]))
        c.paint(circle(cx, cy + h * 0.37, stroke * 0.7), WHITE)
    c.paint(bubble, ACCENT)


def draw_card(c, cx, cy, w, h, stroke):
    """A contact card: a backup file with a folded corner and a person on it."""
    fold = w * 0.3
    outline = polygon([(cx - w / 2, cy - h / 2), (cx + w / 2 - fold, cy - h / 2),
                       (cx + w / 2, cy - h / 2 + fold), (cx + w / 2, cy + h / 2), (cx - w / 2, cy + h / 2)])
    inner = polygon([(cx - w / 2 + stroke, cy - h / 2 + stroke), (cx + w / 2 - fold - stroke * 0.4, cy - h / 2 + stroke),
                     (cx + w / 2 - stroke, cy - h / 2 + fold + stroke * 0.4), (cx + w / 2 - stroke, cy + h / 2 - stroke),
                     (cx - w / 2 + stroke, cy + h / 2 - stroke)])
    c.paint(subtract(outline, inner), WHITE)
    c.paint(polygon([(cx + w / 2 - fold, cy - h / 2), (cx + w / 2 - fold, cy - h / 2 + fold),
                     (cx + w / 2, cy - h / 2 + fold)]), WHITE)
    c.paint(circle(cx, cy - h * 0.06, w * 0.14), ACCENT)
    shoulders = circle(cx, cy + h * 0.3, w * 0.27)
    c.paint(lambda x, y: max(shoulders(x, y), y - (cy + h * 0.3)), ACCENT)


def draw_sync(c, cx, cy, radius, stroke, head):
    """Two arcs chasing each other: backup one way, restore the other."""
    c.paint(arc(cx, cy, radius, stroke, 35, 145), WHITE)
    c.paint(arc(cx, cy, radius, stroke, 215, 325), WHITE)
    c.paint(arrow_head(cx, cy, radius, 35, head, True), WHITE)
    c.paint(arrow_head(cx, cy, radius, 215, head, True), WHITE)


def banner():
    c = Canvas(BANNER_W, BANNER_H)
    for y in range(BANNER_H):
        row = sky(y, BANNER_H)
        for x in range(BANNER_W):
            c.rgb[y][x] = row
    # A soft glow behind the art that fades out well before the edges, so the banner melts into
    # the header fill stretched on either side.
    cx, cy = BANNER_W / 2, BANNER_H / 2
    for y in range(BANNER_H):
        for x in range(BANNER_W):
            d = math.hypot((x + 0.5 - cx) / 80.0, (y + 0.5 - cy) / 40.0)
            c.blend(x, y, GLOW, 0.38 * clamp01(1 - d) ** 2)
    # Faint horizon lines, also fading at the sides.
    for i, yy in enumerate((44.5, 49.5, 53.5)):
        for x in range(BANNER_W):
            edge = clamp01(min(x, BANNER_W - 1 - x) / 60.0)
            c.blend(x, int(yy), WHITE, 0.07 * edge * (1 - i * 0.25))
    draw_phone(c, 74, 28.5, 22, 40, 2.2)
    draw_card(c, 143, 28.5, 26, 34, 2.2)
    draw_sync(c, 108.5, 28.5, 12, 2.2, 4.2)
    return c


def header_fill():
    c = Canvas(20, BANNER_H)
    for y in range(BANNER_H):
        for x in range(20):
            c.rgb[y][x] = sky(y, BANNER_H)
    return c


def body_fill():
    # A light wash under the buttons; few enough shades for an 8-bit palette.
    rows = []
    for y in range(640):
        t = (y / 639) ** 1.4
        rows.append([tuple(int(round(v)) for v in mix(BODY_TOP, BODY_BOTTOM, t))])
    return rows


def icon(size):
    c = Canvas(size, size, fill=(0, 0, 0), alpha=0.0)
    s = size / 48.0
    tile = rounded_rect(size / 2, size / 2, size / 2 - 0.5 * s, size / 2 - 0.5 * s, 10.5 * s)
    c.paint(tile, lambda x, y: mix(TOP, BOTTOM, y / (size - 1)))
    if size <= 16:
        # Too small for line art: a bold phone with the accent bubble, and one sweep of the arrows.
        # Edges on whole pixels, so the outline stays crisp.
        c.paint(subtract(rounded_rect(8, 8, 4, 6, 1.2), rounded_rect(8, 7.5, 3, 4.5, 0.3)), WHITE)
        c.paint(rounded_rect(8, 7.5, 2, 1.5, 0.5), ACCENT)
        return c
    draw_sync(c, size / 2, size / 2, 16.5 * s, 3.2 * s, 5.6 * s)
    draw_phone(c, size / 2, size / 2, 14 * s, 22 * s, 2.4 * s, detail=False)
    return c


def icon_svg():
    """The large icon's drawing as vector paths, on the same 48-unit grid as icon()."""
    def f(v):
        return ("%.3f" % v).rstrip("0").rstrip(".")

    def rect(cx, cy, hw, hh, r, fill):
        return '<rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="%s"/>' % (
            f(cx - hw), f(cy - hh), f(2 * hw), f(2 * hh), f(r), fill)

    def hexcolour(c):
        return "#%02x%02x%02x" % c

    def point(cx, cy, radius, deg):
        a = math.radians(deg)
        return cx + radius * math.cos(a), cy - radius * math.sin(a)

    def head(cx, cy, radius, deg, size):
        # As arrow_head with clockwise travel.
        a = math.radians(deg)
        px, py = point(cx, cy, radius, deg)
        tx, ty = math.sin(a), math.cos(a)
        nx, ny = -ty, tx
        bx, by = px - tx * size * 0.25, py - ty * size * 0.25
        pts = [(px + tx * size, py + ty * size), (bx + nx * size * 0.8, by + ny * size * 0.8),
               (bx - nx * size * 0.8, by - ny * size * 0.8)]
        return '<path d="M%s Z" fill="#ffffff"/>' % " L".join("%s %s" % (f(x), f(y)) for x, y in pts)

    c, r, stroke, size = 24.0, 16.5, 3.2, 5.6
    arcs = []
    for start, end in ((35, 145), (215, 325)):
        (x0, y0), (x1, y1) = point(c, c, r, start), point(c, c, r, end)
        # Counter-clockwise on screen is SVG's sweep flag 0.
        arcs.append("M%s %s A%s %s 0 0 0 %s %s" % (f(x0), f(y0), f(r), f(r), f(x1), f(y1)))
    w, h, ps = 14.0, 22.0, 2.4
    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 48 48">',
        '<defs><linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/></linearGradient></defs>'
        % (hexcolour(TOP), hexcolour(BOTTOM)),
        rect(c, c, 23.5, 23.5, 10.5, "url(#sky)"),
        '<path d="%s" fill="none" stroke="#ffffff" stroke-width="%s" stroke-linecap="round"/>'
        % (" ".join(arcs), f(stroke)),
        head(c, c, r, 35, size),
        head(c, c, r, 215, size),
        # The phone's outline is its body less its screen.
        '<path fill="#ffffff" fill-rule="evenodd" d="%s %s"/>' % (
            rounded_rect_path(c, c, w / 2, h / 2, w * 0.22, f),
            rounded_rect_path(c, c, w / 2 - ps, h / 2 - ps, w * 0.22 - ps, f)),
        rect(c, c - h * 0.06, w * 0.27, h * 0.12, h * 0.05, hexcolour(ACCENT)),
        "</svg>",
    ]
    return "\n".join(parts) + "\n"


def rounded_rect_path(cx, cy, hw, hh, r, f):
    x0, y0, x1, y1 = cx - hw, cy - hh, cx + hw, cy + hh
    arc = "A%s %s 0 0 1" % (f(r), f(r))
    return ("M%s %s H%s %s %s %s V%s %s %s %s H%s %s %s %s V%s %s %s %s Z" % (
        f(x0 + r), f(y0), f(x1 - r), arc, f(x1), f(y0 + r), f(y1 - r), arc, f(x1 - r), f(y1),
        f(x0 + r), arc, f(x0), f(y1 - r), f(y0 + r), arc, f(x0 + r), f(y0)))


# --- file formats -------------------------------------------------------------------------------

def png(rows, alpha):
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    colour_type = 6 if alpha else 2
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, colour_type, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bmp24(rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = b"".join(bytes(v for px in row for v in (px[2], px[1], px[0])).ljust(stride, b"\x00")
                      for row in reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40) + info + pixels


def bmp8(rows):
    h, w = len(rows), len(rows[0])
    palette = sorted({px for row in rows for px in row})
    if len(palette) > 256:
        sys.exit("body fill has more than 256 colours")
    index = {px: i for i, px in enumerate(palette)}
    stride = (w + 3) & ~3
    pixels = b"".join(bytes(index[px] for px in row).ljust(stride, b"\x00") for row in reversed(rows))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(pixels), 2835, 2835, len(palette), 0)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + table + pixels


def ico(images):
    """Classic ICO entries (32-bit BGRA DIB plus AND mask), which every reader understands."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for rows in images:
        n = len(rows)
        xor = b"".join(bytes(v for px in row for v in (px[2], px[1], px[0], px[3])) for row in reversed(rows))
        mask_stride = ((n + 31) // 32) * 4
        mask = b""
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, px in enumerate(row):
                if px[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = header + xor + mask
        entries.append(struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def write(name, data, folder=OUT):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    b = banner().bytes_rgb()
    write("banner.bmp", bmp24(b))
    write("banner.png", png(b, alpha=False))
    hf = header_fill().bytes_rgb()
    write("header_fill.bmp", bmp24(hf))
    write("header_fill.png", png(hf, alpha=False))
    bf = body_fill()
    write("body_fill.bmp", bmp8(bf))
    write("body_fill.png", png(bf, alpha=False))
    icons = []
    for size in (16, 32, 48):
        rows = icon(size).bytes_rgba()
        write("velloro_%d.png" % size, png(rows, alpha=True))
        icons.append(rows)
    write("velloro.ico", ico(icons))
    os.makedirs(ICONS, exist_ok=True)
    for size in THEME_ONLY_SIZES:
        write("velloro_%d.png" % size, png(icon(size).bytes_rgba(), alpha=True), ICONS)
    write("velloro.svg", icon_svg().encode("ascii"), ICONS)


if __name__ == "__main__":
    main()
