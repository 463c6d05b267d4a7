#!/usr/bin/env python3
"""Makes Zylora's skins, toolbar button sets and sample pictures, all procedurally.

    python3 assets/make_assets.py                  # rewrite everything under assets/
    python3 assets/make_assets.py --preview DIR    # also write window mock-ups to DIR

Output is deterministic: fixed seeds, no fonts, no timestamps, so rerunning gives the
same bytes.
"""
import argparse
import math
import os
import random
import sys

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter
except ImportError:
    sys.exit("make_assets.py needs Pillow (Debian: python3-pil, run with /usr/bin/python3)")

HERE = os.path.dirname(os.path.abspath(__file__))
SS = 4  # supersampling factor for vector-drawn pieces


# ----------------------------------------------------------------------------- helpers

def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def ramp(stops, t):
    """Colour at t along [(pos, colour), ...] with ascending positions."""
    t = clamp(t)
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, 0 if p1 == p0 else (t - p0) / (p1 - p0))
    return stops[-1][1]


def rgb8(c):
    return tuple(int(round(clamp(v, 0, 255))) for v in c)


def vgradient(size, stops, alpha=255):
    """RGBA image with a vertical gradient, computed one row at a time."""
    w, h = size
    col = Image.new("RGBA", (1, h))
    for y in range(h):
        col.putpixel((0, y), rgb8(ramp(stops, (y + 0.5) / h)) + (alpha,))
    return col.resize((w, h), Image.NEAREST)


def layer(size, rgba, mask):
    """Solid colour limited by an L mask, the colour's own alpha scaling it."""
    lay = Image.new("RGBA", size, rgba[:3] + (0,))
    a = rgba[3] if len(rgba) > 3 else 255
    lay.putalpha(mask if a == 255 else mask.point(lambda v: v * a // 255))
    return lay


def shifted(mask, dx, dy):
    out = Image.new(mask.mode, mask.size, 0)
    out.paste(mask, (dx, dy))
    return out


def rrect_mask(size, box, radius, s=SS):
    """Supersampled rounded-rectangle mask; box and radius in unscaled pixels."""
    m = Image.new("L", size, 0)
    x0, y0, x1, y1 = (round(v * s) for v in box)
    ImageDraw.Draw(m).rounded_rectangle((x0, y0, x1 - 1, y1 - 1), round(radius * s), fill=255)
    return m


def down(img, n):
    return img.resize((n[0], n[1]) if isinstance(n, tuple) else (n, n), Image.BOX)


def save_png(img, path):
    img.save(path, "PNG", optimize=True)


def save_bmp(img, path):
    img.convert("RGB").save(path, "BMP")


class Pen:
    """Draws strokes with round caps on an L mask, in unscaled pixel coordinates."""

    def __init__(self, mask, s=SS):
        self.d = ImageDraw.Draw(mask)
        self.s = s

    def _p(self, pts):
        return [(x * self.s, y * self.s) for x, y in pts]

    def dot(self, x, y, r, v=255):
        s = self.s
        self.d.ellipse((x * s - r * s, y * s - r * s, x * s + r * s, y * s + r * s), fill=v)

    def line(self, pts, w, v=255):
        sp = self._p(pts)
        for a, b in zip(sp, sp[1:]):
            self.d.line([a, b], fill=v, width=max(1, round(w * self.s)))
        for x, y in pts:
            self.dot(x, y, w / 2, v)

    def poly(self, pts, v=255):
        self.d.polygon(self._p(pts), fill=v)

    def ring(self, cx, cy, r, w, v=255):
        s = self.s
        self.d.ellipse(((cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s),
                       outline=v, width=round(w * s))

    def arc(self, cx, cy, r, start, end, w, v=255):
        s = self.s
        self.d.arc(((cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s), start, end,
                   fill=v, width=round(w * s))
        for ang in (start, end):
            a = math.radians(ang)
            self.dot(cx + (r - w / 2) * math.cos(a), cy + (r - w / 2) * math.sin(a), w / 2, v)

    def rect(self, x0, y0, x1, y1, v=255):
        s = self.s
        self.d.rectangle((round(x0 * s), round(y0 * s), round(x1 * s) - 1, round(y1 * s) - 1), fill=v)


def write_ini(path, sections):
    lines = []
    for name, items in sections:
        if lines:
            lines.append("")
        lines.append("[%s]" % name)
        lines.extend("%s=%s" % (k, v) for k, v in items)
    with open(path, "w", newline="\n", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")


def read_ini(path):
    """Section and key names lower-cased, as the program compares them case-blind."""
    data, sec = {}, None
    with open(path, encoding="ascii") as f:
        for raw in f:
            s = raw.strip()
            if not s or s.startswith(";"):
                continue
            if s.startswith("["):
                sec = s[1:s.index("]")].lower()
                data.setdefault(sec, {})
            elif "=" in s and sec is not None:
                k, v = s.split("=", 1)
                data[sec][k.strip().lower()] = v.strip()
    return data


def ini_int(ini, sec, key, default=0):
    v = ini.get(sec.lower(), {}).get(key.lower())
    if v is None:
        return default
    if v.startswith("$"):
        return int(v[1:], 16)
    return int(v, 0) if v.lower().startswith(("0x", "-0x")) else int(v)


# ----------------------------------------------------------------------------- frames

def rbox_sd(px, py, x0, y0, x1, y1, rt, rb):
    """Signed distance to a rounded box with top radius rt and bottom radius rb."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2, (y1 - y0) / 2
    qx, qy = abs(px - cx), py - cy
    r = rt if qy < 0 else rb
    dx, dy = qx - hx + r, abs(qy) - hy + r
    return math.hypot(max(dx, 0), max(dy, 0)) + min(max(dx, dy), 0) - r


def render_frame(geo, pal, width, height, rolled):
    """One whole frame (title plus edges, or the closed rolled-up bar) as RGBA.

    The pieces the program tiles are cut from this, so seams line up by construction.
    """
    sl, st, sr, sb = geo["shadow"]
    t = geo["rolled_t"] if rolled else geo["t"]
    rt = geo["radius_top"]
    rb = geo["rolled_radius_bottom"] if rolled else geo["radius_bottom"]
    x0, y0, x1, y1 = sl, st, width - sr, height - sb
    hole = None if rolled else (geo["l"], t, width - geo["r"], height - geo["b"])
    title_rows = (t - st - sb) if rolled else (t - st)
    img = Image.new("RGBA", (width, height), (0, 0, 0, 0))
    px = img.load()

    def sd(x, y):
        return rbox_sd(x, y, x0, y0, x1, y1, rt, rb)

    for y in range(height):
        cy = y + 0.5
        for x in range(width):
            cx = x + 0.5
            d = sd(cx, cy)
            cov = clamp(0.5 - d)
            reach = sb if cy > y1 else st if cy < y0 else sl
            fall = max(0.0, 1 - max(d, 0) / (reach + 0.5)) if reach else 0.0
            sa = pal["shadow"] * fall * fall
            alpha = cov + (1 - cov) * sa
            if alpha <= 0:
                continue
            col = (0, 0, 0)
            if cov > 0:
                depth = -d
                nx = sd(cx + 0.5, cy) - sd(cx - 0.5, cy)
                ny = sd(cx, cy + 0.5) - sd(cx, cy - 0.5)
                n = math.hypot(nx, ny) or 1
                nx, ny = nx / n, ny / n
                if cy < t:
                    base = ramp(pal["title"], (cy - st) / title_rows)
                else:
                    base = pal["edge"]
                hl = mix(pal["hl_bottom"], pal["hl_top"], (1 - ny) / 2)
                c = mix(base, hl, clamp(1 - abs(depth - 1.5)))
                if pal.get("accent") and cy < t:
                    top = clamp(-ny) ** 2
                    c = mix(c, pal["accent"], clamp(1.5 - abs(depth - 2.0)) * top)
                c = mix(c, pal["outline"], clamp(1.5 - depth))
                if hole:
                    hx = max(hole[0] - cx, cx - hole[2], 0)
                    hy = max(hole[1] - cy, cy - hole[3], 0)
                    dh = max(hx, hy)
                    c = mix(c, pal["inner2"], clamp(1 - abs(dh - 1.5)))
                    c = mix(c, pal["inner1"], clamp(1.5 - dh))
                col = tuple(v * cov / alpha for v in c)
            px[x, y] = rgb8(col) + (int(round(alpha * 255)),)
    return img


def frame_pieces(geo, pal, rolled):
    """Cuts the images of one state; returns {file suffix: image}."""
    lw, rw, tw = geo["corner_w"], geo["corner_w"], 16
    l, r, b = geo["l"], geo["r"], geo["b"]
    width = lw + rw + 48
    if rolled:
        t = geo["rolled_t"]
        ref = render_frame(geo, pal, width, t, True)
        return {
            "left_top.png": ref.crop((0, 0, lw, t)),
            "top.png": ref.crop((lw + 16, 0, lw + 16 + tw, t)),
            "right_top.png": ref.crop((width - rw, 0, width, t)),
        }
    t = geo["t"]
    height = t + 48 + b
    ref = render_frame(geo, pal, width, height, False)
    mid_y, foot = t + 16, geo["foot_h"]
    return {
        "left_top.png": ref.crop((0, 0, lw, t)),
        "top.png": ref.crop((lw + 16, 0, lw + 16 + tw, t)),
        "right_top.png": ref.crop((width - rw, 0, width, t)),
        "left_middle.png": ref.crop((0, mid_y, l, mid_y + 8)),
        "left_bottom.png": ref.crop((0, height - foot, l, height)),
        "right_middle.png": ref.crop((width - r, mid_y, width, mid_y + 8)),
        "right_bottom.png": ref.crop((width - r, height - foot, width, height)),
        "bottom.png": ref.crop((l + 16, height - b, l + 16 + tw, height)),
    }


# ----------------------------------------------------------------------------- glyphs

def plate(n, box, radius, stops, outline, highlight, alpha=255, inset_shadow=None):
    """Supersampled bevelled plate: gradient fill, outline ring, top highlight."""
    size = (n * SS, n * SS)
    outer = rrect_mask(size, box, radius)
    bx0, by0, bx1, by1 = box
    inner = rrect_mask(size, (bx0 + 1, by0 + 1, bx1 - 1, by1 - 1), max(radius - 1, 0))
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    fill = vgradient(size, stops, alpha)
    img.paste(fill, (0, 0), inner)
    if outline:
        img = Image.alpha_composite(img, layer(size, outline, ImageChops.subtract(outer, inner)))
    if highlight:
        band = ImageChops.subtract(inner, shifted(inner, 0, SS))
        img = Image.alpha_composite(img, layer(size, highlight, band))
    if inset_shadow:
        band = ImageChops.subtract(inner, shifted(inner, 0, 2 * SS)).filter(ImageFilter.GaussianBlur(SS))
        img = Image.alpha_composite(img, layer(size, inset_shadow, ImageChops.multiply(band, inner)))
    return img


def ink(img, mask, colour, shadow=None, shadow_dy=1):
    """Puts a glyph mask on img, optionally over a 1 px offset shadow or highlight."""
    if shadow:
        img = Image.alpha_composite(img, layer(img.size, shadow, shifted(mask, 0, shadow_dy * SS)))
    return Image.alpha_composite(img, layer(img.size, colour, mask))


def caption_glyph(kind, n):
    """Caption button glyphs, designed on an 18 px grid and scaled to n."""
    m = Image.new("L", (n * SS, n * SS), 0)
    k = n / 18.0
    p = Pen(m, SS * k)
    if kind == "close":
        p.line([(6, 6), (12, 12)], 1.9)
        p.line([(12, 6), (6, 12)], 1.9)
    elif kind == "min":
        p.line([(5.5, 11.5), (12.5, 11.5)], 2.0)
    elif kind == "max":
        p.rect(5, 5, 13, 13)
        p.rect(6.4, 7.4, 11.6, 11.6, 0)
    elif kind == "roll":
        p.line([(5.5, 9.5), (9, 6.2), (12.5, 9.5)], 1.8)
        p.line([(5.5, 12.6), (12.5, 12.6)], 1.8)
    return m


def inset_triangle(pts, d):
    """The triangle whose sides lie d inside those of pts."""
    cx = sum(x for x, _ in pts) / 3
    cy = sum(y for _, y in pts) / 3
    lines = []
    for (ax, ay), (bx, by) in zip(pts, pts[1:] + pts[:1]):
        nx, ny = by - ay, ax - bx
        n = math.hypot(nx, ny)
        nx, ny = nx / n, ny / n
        if (cx - ax) * nx + (cy - ay) * ny < 0:
            nx, ny = -nx, -ny
        lines.append(((ax + nx * d, ay + ny * d), (bx - ax, by - ay)))
    out = []
    for i in range(3):
        (p0, d0), (p1, d1) = lines[i - 1], lines[i]
        den = d0[0] * d1[1] - d0[1] * d1[0]
        t = ((p1[0] - p0[0]) * d1[1] - (p1[1] - p0[1]) * d1[0]) / den
        out.append((p0[0] + d0[0] * t, p0[1] + d0[1] * t))
    return out


def toolbar_glyph(action):
    """Toolbar glyph masks on a 32 px grid (supersampled)."""
    size = (32 * SS, 32 * SS)
    m = Image.new("L", size, 0)
    p = Pen(m)
    if action == "open":
        p.poly([(6, 9.5), (12.5, 9.5), (14.5, 11.5), (24.5, 11.5), (24.5, 23.5), (6, 23.5)])
        p.line([(6.5, 15.2), (26.5, 15.2)], 1.4, 0)
        p.poly([(8.5, 16.6), (27.5, 16.6), (24.5, 23.5), (6, 23.5)])
    elif action in ("prev", "next"):
        p.poly([(6.5, 16), (15.5, 7.5), (15.5, 24.5)])
        p.line([(14, 16), (24.5, 16)], 5.0)
        if action == "next":
            m = m.transpose(Image.FLIP_LEFT_RIGHT)
    elif action in ("zoomin", "zoomout", "zoomactual"):
        big = action == "zoomactual"
        cx, cy, r = (13.5, 13.5, 9.0) if big else (13.5, 13.5, 7.8)
        p.ring(cx, cy, r, 2.4)
        p.line([(cx + r * 0.72, cy + r * 0.72), (26, 26)], 4.2)
        if action == "zoomin":
            p.line([(9.8, 13.5), (17.2, 13.5)], 2.2)
            p.line([(13.5, 9.8), (13.5, 17.2)], 2.2)
        elif action == "zoomout":
            p.line([(9.8, 13.5), (17.2, 13.5)], 2.2)
        else:
            for x in (9.6, 16.8):
                p.line([(x - 1.7, 10.9), (x, 9.8), (x, 17.4)], 1.5)
            p.dot(13.4, 11.6, 0.95)
            p.dot(13.4, 15.6, 0.95)
    elif action == "movemode":
        p.d.rounded_rectangle((9.5 * SS, 14 * SS, 24 * SS, 27 * SS), 5 * SS, fill=255)
        for x, top in ((11.6, 8.6), (15.2, 6.2), (18.8, 7.0), (22.2, 10.0)):
            p.line([(x, top), (x, 18)], 3.1)
        p.line([(10.5, 21.5), (6.2, 15.8)], 3.2)
        for x, top in ((13.4, 9.5), (17.0, 8.0), (20.5, 10.0)):
            p.line([(x, top), (x, 16.5)], 0.55, 0)
    elif action == "selectmode":
        # marching-ants rectangle: square-ended dashes, a corner piece at each corner
        x0, y0, x1, y1, w = 5, 8, 27, 24, 2.0
        for x in (x0, x0 + 5, x0 + 10, x0 + 15, x1 - 3):
            p.rect(x, y0, x + 3, y0 + w)
            p.rect(x, y1 - w, x + 3, y1)
        for y in (y0, y0 + 5, y0 + 10, y1 - 3):
            p.rect(x0, y, x0 + w, y + 3)
            p.rect(x1 - w, y, x1, y + 3)
    elif action in ("rotate90left", "rotate90right"):
        cx, cy, r = 16.5, 17.5, 8.8
        p.arc(cx, cy, r, -90, 180, 2.6)
        top = cy - r + 1.3
        p.poly([(cx - 5.8, top), (cx + 1.2, top - 5.2), (cx + 1.2, top + 5.2)])
        if action == "rotate90right":
            m = m.transpose(Image.FLIP_LEFT_RIGHT)
    elif action in ("mirrorx", "mirrory"):
        # a solid shape, its outlined mirror image and the dashed axis between them
        for y in (5.5, 10.3, 15.1, 19.9, 24.7):
            p.line([(16, y), (16, y + 2.0)], 1.5)
        left = [(13.6, 7.0), (13.6, 25.0), (4.0, 25.0)]
        p.poly(left)
        right = [(32 - x, y) for x, y in left]
        p.poly(right)
        p.poly(inset_triangle(right, 1.5), 0)
        if action == "mirrory":
            m = m.transpose(Image.ROTATE_90)
    return m


# ----------------------------------------------------------------------------- skins

SKINS = {}

SKINS["Default"] = {
    "geo": dict(l=8, r=8, b=8, t=32, rolled_t=32, shadow=(4, 4, 4, 4), radius_top=8,
                radius_bottom=4, rolled_radius_bottom=6, corner_w=24, foot_h=24),
    "active": dict(
        shadow=0.62, outline=(14, 16, 19), hl_top=(112, 122, 138), hl_bottom=(36, 40, 46),
        title=[(0.0, (74, 83, 97)), (0.46, (58, 65, 77)), (0.54, (50, 56, 66)), (1.0, (41, 45, 52))],
        edge=(41, 45, 52), inner1=(17, 19, 22), inner2=(33, 36, 42)),
    "inactive": dict(
        shadow=0.45, outline=(20, 21, 23), hl_top=(82, 85, 90), hl_bottom=(34, 35, 38),
        title=[(0.0, (58, 60, 64)), (1.0, (40, 41, 44))],
        edge=(40, 41, 44), inner1=(20, 21, 23), inner2=(33, 34, 37)),
    "rolled": dict(
        shadow=0.62, outline=(14, 16, 19), hl_top=(112, 122, 138), hl_bottom=(60, 66, 76),
        title=[(0.0, (74, 83, 97)), (0.46, (58, 65, 77)), (0.54, (50, 56, 66)), (1.0, (40, 44, 51))],
        edge=(41, 45, 52), inner1=(17, 19, 22), inner2=(33, 36, 42)),
    "rolled_inactive": dict(
        shadow=0.45, outline=(20, 21, 23), hl_top=(82, 85, 90), hl_bottom=(52, 54, 58),
        title=[(0.0, (58, 60, 64)), (1.0, (39, 40, 43))],
        edge=(40, 41, 44), inner1=(20, 21, 23), inner2=(33, 34, 37)),
    "bg_bmp": [(0.0, (62, 68, 78)), (0.08, (55, 61, 70)), (1.0, (38, 42, 48))],
    "bg": (36, 39, 44),
    "corner": dict(dot=(150, 158, 170, 255), shade=(0, 0, 0, 150), shade_dy=1),
}

SKINS["Aurora"] = {
    "geo": dict(l=6, r=6, b=7, t=26, rolled_t=26, shadow=(3, 3, 3, 4), radius_top=12,
                radius_bottom=2, rolled_radius_bottom=7, corner_w=24, foot_h=20),
    "active": dict(
        shadow=0.40, outline=(138, 150, 165), hl_top=(255, 255, 255), hl_bottom=(196, 204, 214),
        title=[(0.0, (252, 254, 254)), (0.55, (236, 244, 245)), (1.0, (220, 232, 236))],
        edge=(220, 232, 236), inner1=(160, 171, 184), inner2=(208, 215, 223),
        accent=(48, 176, 170)),
    "inactive": dict(
        shadow=0.28, outline=(165, 171, 179), hl_top=(250, 250, 251), hl_bottom=(210, 213, 218),
        title=[(0.0, (240, 241, 243)), (1.0, (225, 227, 230))],
        edge=(225, 227, 230), inner1=(178, 183, 190), inner2=(214, 217, 221),
        accent=(196, 201, 208)),
    "rolled": dict(
        shadow=0.40, outline=(138, 150, 165), hl_top=(255, 255, 255), hl_bottom=(232, 236, 241),
        title=[(0.0, (252, 254, 254)), (0.55, (236, 244, 245)), (1.0, (216, 229, 233))],
        edge=(220, 232, 236), inner1=(160, 171, 184), inner2=(208, 215, 223),
        accent=(48, 176, 170)),
    "rolled_inactive": dict(
        shadow=0.28, outline=(165, 171, 179), hl_top=(250, 250, 251), hl_bottom=(236, 237, 239),
        title=[(0.0, (240, 241, 243)), (1.0, (222, 224, 227))],
        edge=(225, 227, 230), inner1=(178, 183, 190), inner2=(214, 217, 221),
        accent=(196, 201, 208)),
    "bg_bmp": [(0.0, (250, 251, 253)), (0.1, (242, 245, 248)), (1.0, (222, 228, 235))],
    "bg": (206, 212, 220),
    "corner": dict(dot=(120, 132, 148, 255), shade=(255, 255, 255, 200), shade_dy=1),
}


def default_caption_button(kind, state):
    n = 18
    if state == "active":
        img = plate(n, (0, 0, 18, 18), 5, [(0, (84, 92, 106)), (1, (52, 57, 66))],
                    (12, 14, 17, 230), (255, 255, 255, 46))
        return down(ink(img, caption_glyph(kind, n), (222, 227, 234, 255), (0, 0, 0, 140)), n)
    if state == "mouseover":
        stops = ([(0, (246, 112, 100)), (1, (196, 48, 40))] if kind == "close"
                 else [(0, (112, 164, 232)), (1, (52, 106, 184))])
        img = plate(n, (0, 0, 18, 18), 5, stops, (20, 16, 18, 235), (255, 255, 255, 110))
        return down(ink(img, caption_glyph(kind, n), (255, 255, 255, 255), (0, 0, 0, 110)), n)
    img = plate(n, (0, 0, 18, 18), 5, [(0, (62, 65, 70)), (1, (48, 50, 54))],
                (20, 21, 24, 220), (255, 255, 255, 20))
    return down(ink(img, caption_glyph(kind, n), (128, 133, 140, 255)), n)


def aurora_caption_button(kind, state):
    n = 16
    size = (n * SS, n * SS)
    hues = {"close": (236, 96, 86), "min": (240, 180, 60), "max": (76, 186, 108),
            "roll": (64, 168, 200)}
    base = hues[kind] if state != "inactive" else (196, 202, 210)
    if state == "mouseover":
        base = mix(base, (255, 255, 255), 0.18)
    disc = Image.new("L", size, 0)
    ImageDraw.Draw(disc).ellipse((0, 0, size[0] - 1, size[1] - 1), fill=255)
    inner = Image.new("L", size, 0)
    ImageDraw.Draw(inner).ellipse((SS, SS, size[0] - 1 - SS, size[1] - 1 - SS), fill=255)
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    rim = mix(base, (40, 40, 50), 0.45)
    img = Image.alpha_composite(img, layer(size, rgb8(rim) + (255,), disc))
    body = vgradient(size, [(0, mix(base, (0, 0, 0), 0.12)), (1, mix(base, (255, 255, 255), 0.28))])
    img.paste(body, (0, 0), inner)
    gloss = Image.new("L", size, 0)
    ImageDraw.Draw(gloss).ellipse((int(3.2 * SS), int(1.6 * SS), int(12.8 * SS), int(7.4 * SS)),
                                  fill=150 if state != "inactive" else 110)
    gloss = gloss.filter(ImageFilter.GaussianBlur(SS * 0.6))
    img = Image.alpha_composite(img, layer(size, (255, 255, 255, 255), ImageChops.multiply(gloss, inner)))
    if state == "mouseover":
        glow = Image.new("L", size, 0)
        ImageDraw.Draw(glow).ellipse((4 * SS, 8 * SS, 12 * SS, 15 * SS), fill=120)
        glow = glow.filter(ImageFilter.GaussianBlur(SS * 1.5))
        img = Image.alpha_composite(img, layer(size, (255, 255, 230, 255), ImageChops.multiply(glow, inner)))
    if state != "inactive":
        g = caption_glyph(kind, n)
        colour = (70, 22, 18, 120) if state == "active" else (60, 20, 16, 235)
        if kind != "close":
            colour = (30, 36, 40) + colour[3:]
        img = ink(img, g, colour)
    return down(img, n)


def make_skin(name, folder, values):
    s = SKINS[name]
    os.makedirs(folder, exist_ok=True)
    for state, prefix, rolled in (("active", "", False), ("inactive", "inactive_", False),
                                  ("rolled", "rolled_", True),
                                  ("rolled_inactive", "rolled_inactive_", True)):
        for fname, img in frame_pieces(s["geo"], s[state], rolled).items():
            save_png(img, os.path.join(folder, prefix + fname))
    maker = default_caption_button if name == "Default" else aurora_caption_button
    files = {"close": ("active_close.png", "mouseover_close.png", "inactive_close.png"),
             "min": ("active_min.png", "mouseover_Min.png", "inactive_min.png"),
             "max": ("active_max.png", "mouseover_Max.png", "inactive_max.png"),
             "roll": ("active_Roll.png", "mouseover_Roll.png", "inactive_Roll.png")}
    for kind, names in files.items():
        for state, fname in zip(("active", "mouseover", "inactive"), names):
            save_png(maker(kind, state), os.path.join(folder, fname))
    save_png(corner_grip(**s["corner"]), os.path.join(folder, "corner.png"))
    save_bmp(vgradient((64, 40), s["bg_bmp"]), os.path.join(folder, "bg.bmp"))
    write_ini(os.path.join(folder, "values.ini"), values)


def corner_grip(dot, shade, shade_dy):
    n = 14
    size = (n * SS, n * SS)
    m = Image.new("L", size, 0)
    p = Pen(m)
    for i in range(3):
        for j in range(3):
            if i + j >= 2:
                p.dot(3.5 + 4 * i, 3.5 + 4 * j, 1.25)
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    img = ink(img, m, dot, shade, shade_dy)
    return down(img, n)


def button_keys(place):
    """place: {state prefix: {word: (align, x, y)}} -> 48 explicit [Buttons] keys."""
    items = []
    for prefix in ("", "InActive", "RolledUp", "RolledUpInActive"):
        for word in ("Close", "Min", "Max", "Roll"):
            a, x, y = place[prefix][word]
            items += [(prefix + word + "Align", a), (prefix + word + "X", x), (prefix + word + "Y", y)]
    return items


def default_values():
    normal = {"Close": (2, -30, 8), "Max": (2, -52, 8), "Min": (2, -74, 8), "Roll": (2, -96, 8)}
    rolled = {k: (a, x, 7) for k, (a, x, _) in normal.items()}
    caption = [("X", 3), ("Y", 12), ("Width", 60), ("Height", 88)]
    rolled_caption = [("X", 3), ("Y", 12), ("Width", 60), ("Height", 76)]
    return [
        ("general", [("name", "Default"), ("author", "Zylora"),
                     ("notes", "Dark graphite frame with soft shadows; caption buttons on the right.")]),
        ("left", [("Width", 8), ("InActiveWidth", 8), ("ResizeBorder1", -1), ("ResizeBorder2", 8)]),
        ("right", [("Width", 8), ("InActiveWidth", 8), ("ResizeBorder1", -1), ("ResizeBorder2", 8),
                   ("ResizeBorder3", 24), ("ResizeBorder4", -1)]),
        ("bottom", [("Height", 8), ("InActiveHeight", 8), ("ResizeBorder1", -1), ("ResizeBorder2", 8)]),
        ("top", [("Height", 32), ("InActiveHeight", 32), ("RolledUpHeight", 32),
                 ("RolledUpInActiveHeight", 32)]),
        ("bg", [("ColorR", 36), ("ColorG", 39), ("ColorB", 44)]),
        ("Caption", [("Text", "Zylora"), ("AlphaActive", 255), ("AlphaInActive", 225),
                     ("FontName", "Tahoma"), ("FontSize", 13), ("FontStyle", 1),
                     ("HorAlign", 0), ("VerAlign", 1)] + caption
         + [("InActive" + k, v) for k, v in caption]
         + [("RolledUp" + k, v) for k, v in rolled_caption]
         + [("RolledUpInActive" + k, v) for k, v in rolled_caption]
         + [("ColorA", 255), ("ColorR", 232), ("ColorG", 236), ("ColorB", 242)]),
        ("Buttons", button_keys({"": normal, "InActive": normal, "RolledUp": rolled,
                                 "RolledUpInActive": rolled})),
    ]


def aurora_values():
    normal = {"Close": (0, 14, 6), "Min": (0, 34, 6), "Max": (0, 54, 6), "Roll": (0, 74, 6)}
    rolled = {k: (a, x, 5) for k, (a, x, _) in normal.items()}
    caption = [("X", 20), ("Y", 12), ("Width", 60), ("Height", 88)]
    rolled_caption = [("X", 20), ("Y", 12), ("Width", 60), ("Height", 72)]
    return [
        ("general", [("name", "Aurora"), ("author", "Zylora"),
                     ("notes", "Light pearl frame with a teal accent; buttons on the left, caption centred.")]),
        ("left", [("Width", 6), ("InActiveWidth", 6), ("ResizeBorder1", -1), ("ResizeBorder2", 6)]),
        ("right", [("Width", 6), ("InActiveWidth", 6), ("ResizeBorder1", -1), ("ResizeBorder2", 6),
                   ("ResizeBorder3", 20), ("ResizeBorder4", -1)]),
        ("bottom", [("Height", 7), ("InActiveHeight", 7), ("ResizeBorder1", -1), ("ResizeBorder2", 7)]),
        ("top", [("Height", 26), ("InActiveHeight", 26), ("RolledUpHeight", 26),
                 ("RolledUpInActiveHeight", 26)]),
        ("bg", [("ColorR", 206), ("ColorG", 212), ("ColorB", 220)]),
        # Tahoma is on every Windows and in every Wine: the caption font is there wherever
        # the viewer runs.
        ("Caption", [("Text", "Zylora"), ("AlphaActive", 255), ("AlphaInActive", 210),
                     ("FontName", "Tahoma"), ("FontSize", 12), ("FontStyle", 0),
                     ("HorAlign", 1), ("VerAlign", 1)] + caption
         + [("InActive" + k, v) for k, v in caption]
         + [("RolledUp" + k, v) for k, v in rolled_caption]
         + [("RolledUpInActive" + k, v) for k, v in rolled_caption]
         + [("ColorA", 255), ("ColorR", 44), ("ColorG", 54), ("ColorB", 68)]),
        ("Buttons", button_keys({"": normal, "InActive": normal, "RolledUp": rolled,
                                 "RolledUpInActive": rolled})),
    ]


# ----------------------------------------------------------------------------- button sets

ACTIONS = ["open", "prev", "next", "zoomin", "zoomout", "zoomactual", "movemode", "selectmode",
           "rotate90left", "rotate90right", "mirrorx", "mirrory"]
GROUP_STARTS = {"prev", "zoomin", "movemode", "rotate90left", "mirrorx"}


def graphite_button(action, state):
    n = 32
    g = toolbar_glyph(action)
    box = (1, 1, 31, 31)
    if state == "normal":
        img = plate(n, box, 6, [(0, (92, 100, 114)), (1, (58, 64, 74))], (18, 20, 24, 235),
                    (255, 255, 255, 50))
        img = ink(img, g, (226, 231, 237, 255), (0, 0, 0, 130))
    elif state == "mouseover":
        img = plate(n, box, 6, [(0, (120, 170, 236)), (1, (56, 108, 186))], (20, 36, 62, 240),
                    (255, 255, 255, 120))
        img = ink(img, g, (255, 255, 255, 255), (10, 30, 70, 150))
    elif state == "selected":
        img = plate(n, box, 6, [(0, (34, 40, 50)), (1, (52, 60, 72))], (90, 150, 230, 255),
                    None, inset_shadow=(0, 0, 0, 150))
        img = ink(img, g, (142, 196, 255, 255), (0, 0, 0, 160))
    else:
        img = plate(n, box, 6, [(0, (84, 88, 94)), (1, (70, 73, 78))], (40, 42, 46, 180),
                    (255, 255, 255, 22), alpha=230)
        img = ink(img, g, (146, 150, 156, 255))
    return down(img, n)


def slate_button(action, state):
    n = 32
    g = toolbar_glyph(action)
    box = (1, 1, 31, 31)
    if state == "normal":
        img = plate(n, box, 5, [(0, (255, 255, 255)), (1, (236, 240, 245))], (80, 100, 126, 60),
                    None, alpha=60)
        img = ink(img, g, (50, 70, 92, 255), (255, 255, 255, 170))
    elif state == "mouseover":
        img = plate(n, box, 5, [(0, (255, 255, 255)), (1, (228, 238, 250))], (74, 132, 210, 255),
                    (255, 255, 255, 255))
        img = ink(img, g, (30, 96, 178, 255), (255, 255, 255, 200))
    elif state == "selected":
        img = plate(n, box, 5, [(0, (166, 182, 202)), (1, (196, 208, 222))], (70, 90, 118, 255),
                    None, inset_shadow=(30, 40, 60, 120))
        img = ink(img, g, (26, 44, 68, 255), (255, 255, 255, 120))
    else:
        img = plate(n, box, 5, [(0, (255, 255, 255)), (1, (240, 242, 245))], (120, 130, 142, 40),
                    None, alpha=40)
        img = ink(img, g, (150, 159, 170, 255))
    return down(img, n)


def make_button_set(folder, maker, grouped, bg_stops, notes):
    os.makedirs(folder, exist_ok=True)
    sections, x = [], 4
    main = [("NumOfButtons", len(ACTIONS)), ("ToolbarHeight", 40)]
    for i, action in enumerate(ACTIONS):
        if grouped and action in GROUP_STARTS:
            x += 6
        names = {}
        for state in ("normal", "mouseover", "inactive", "selected"):
            names[state] = "%s_%s.png" % (action, state)
            save_png(maker(action, state), os.path.join(folder, names[state]))
        sections.append(("Button-%d" % i, [
            ("Action", action), ("X", x), ("Y", 4), ("Width", 32), ("Height", 32),
            ("normalImage", names["normal"]), ("mouseoverImage", names["mouseover"]),
            ("inactiveImage", names["inactive"]), ("selectedImage", names["selected"])]))
        x += 32 + 4
    if bg_stops:
        save_bmp(vgradient((64, 40), bg_stops), os.path.join(folder, "bg.bmp"))
    write_ini(os.path.join(folder, "values.ini"), [("Main", main)] + sections)


# ----------------------------------------------------------------------------- samples

def noise_image(rng, size, lo, hi):
    """Seeded uniform noise in [lo, hi] as an L image."""
    w, h = size
    span = hi - lo + 1
    data = bytes(lo + (v * span >> 8) for v in rng.randbytes(w * h))
    return Image.frombytes("L", size, data)


def ridge(rng, width, base, rough, steps):
    """Midpoint-displacement skyline: list of heights, one per column."""
    pts = [base + rng.uniform(-rough, rough), base + rng.uniform(-rough, rough)]
    amp = rough
    for _ in range(steps):
        nxt = []
        for a, b in zip(pts, pts[1:]):
            nxt += [a, (a + b) / 2 + rng.uniform(-amp, amp)]
        nxt.append(pts[-1])
        pts = nxt
        amp *= 0.55
    n = len(pts) - 1
    return [pts[int(x * n / (width - 1))] * (1 - (x * n / (width - 1)) % 1)
            + pts[min(n, int(x * n / (width - 1)) + 1)] * ((x * n / (width - 1)) % 1)
            for x in range(width)]


def fractal_noise(rng, size, cells, octaves=4):
    """Seeded value noise: upscaled random grids summed over octaves, as an L image."""
    w, h = size
    acc = Image.new("L", size, 128)
    weight = 0.5
    cw, ch = cells
    for _ in range(octaves):
        grid = noise_image(rng, (cw, ch), 0, 255).resize(size, Image.BICUBIC)
        acc = Image.blend(acc, grid, weight)
        weight *= 0.55
        cw, ch = cw * 2, ch * 2
    return acc


def make_photo(path):
    rng = random.Random(20240611)
    w, h, horizon = 800, 600, 396
    img = vgradient((w, h), [(0.0, (30, 56, 116)), (0.30, (86, 114, 172)), (0.52, (214, 164, 150)),
                             (0.63, (254, 208, 150)), (0.66, (255, 220, 168)), (1.0, (255, 220, 168))]).convert("RGB")
    sx, sy = 430, 352
    glow = Image.new("L", (w, h), 0)
    gd = ImageDraw.Draw(glow)
    for r, v in ((220, 50), (120, 90), (60, 170)):
        gd.ellipse((sx - r * 1.4, sy - r, sx + r * 1.4, sy + r), fill=v)
    glow = glow.filter(ImageFilter.GaussianBlur(50))
    img = Image.composite(Image.new("RGB", (w, h), (255, 234, 186)), img, glow)
    disc = Image.new("L", (w, h), 0)
    ImageDraw.Draw(disc).ellipse((sx - 24, sy - 24, sx + 24, sy + 24), fill=255)
    img = Image.composite(Image.new("RGB", (w, h), (255, 248, 228)), img,
                          disc.filter(ImageFilter.GaussianBlur(2.5)))
    # long, flat evening clouds: noise stretched sideways, lit from below
    band = fractal_noise(rng, (w, 300), (5, 14), 5)
    band = band.point(lambda v: int(clamp((v - 134) * 6, 0, 255)))
    band = band.filter(ImageFilter.GaussianBlur(3))
    fade = vgradient((w, 300), [(0, (60,) * 3), (0.35, (255,) * 3), (0.8, (150,) * 3),
                                (1, (0,) * 3)]).convert("L")
    band = ImageChops.multiply(band, fade)
    clouds = Image.new("L", (w, h), 0)
    clouds.paste(band, (0, 20))
    lit = vgradient((w, h), [(0, (176, 170, 200)), (0.3, (236, 190, 196)), (0.55, (255, 196, 150)),
                             (1, (255, 196, 150))]).convert("RGB")
    img = Image.composite(lit, img, clouds.point(lambda v: v * 190 // 255))
    under = shifted(clouds, 0, -3).point(lambda v: v * 60 // 255)
    img = Image.composite(Image.new("RGB", (w, h), (120, 100, 140)), img, ImageChops.subtract(under, clouds))
    # mountain ranges, far and hazy to near and dark, opening to a valley at the sun
    layers = [(318, 64, 0.9, (168, 140, 166), (214, 170, 164)),
              (350, 44, 0.7, (110, 100, 134), (160, 134, 146)),
              (378, 26, 0.5, (62, 66, 92), (96, 92, 114))]
    for base, rough, dip, top_c, bottom_c in layers:
        heights = ridge(rng, w, base, rough, 8)
        heights = [y + dip * 70 * math.exp(-((x - sx) / 150.0) ** 2) for x, y in enumerate(heights)]
        m = Image.new("L", (w, h), 0)
        ImageDraw.Draw(m).polygon([(0, horizon)] + [(x, min(heights[x], horizon)) for x in range(w)]
                                  + [(w - 1, horizon)], fill=255)
        m.paste(0, (0, horizon, w, h))
        shade = vgradient((w, h), [(0, top_c), (horizon / h, bottom_c), (1, bottom_c)]).convert("RGB")
        img = Image.composite(shade, img, m.filter(ImageFilter.GaussianBlur(0.7)))
    # lake: the upper picture mirrored, darkened and rippled, with the sun's glitter path
    refl = img.crop((0, 2 * horizon - h, w, horizon)).transpose(Image.FLIP_TOP_BOTTOM)
    rip = Image.new("RGB", refl.size)
    for y in range(h - horizon):
        dx = int(round(math.sin(y * 0.9 + rng.random() * 2) * (1 + y * 0.05)))
        rip.paste(ImageChops.offset(refl.crop((0, y, w, y + 1)), dx, 0), (0, y))
    rip = rip.filter(ImageFilter.GaussianBlur(1.0))
    water = Image.blend(rip, vgradient(rip.size, [(0, (60, 70, 104)), (1, (20, 34, 60))]).convert("RGB"), 0.42)
    glitter = Image.new("L", water.size, 0)
    gl = ImageDraw.Draw(glitter)
    for _ in range(260):
        y = rng.random() ** 1.6 * (h - horizon)
        spread = 10 + y * 0.32
        x = sx + rng.gauss(0, spread)
        length = rng.uniform(4, 14) * (1 + y / 120)
        gl.line([(x - length, y), (x + length, y)], fill=rng.randint(60, 180), width=1)
    glitter = glitter.filter(ImageFilter.GaussianBlur(1.1))
    water = Image.composite(Image.new("RGB", water.size, (255, 226, 170)), water, glitter)
    img.paste(water, (0, horizon))
    edge = img.crop((0, horizon, w, horizon + 1))
    img.paste(Image.blend(edge, Image.new("RGB", edge.size, (236, 200, 176)), 0.35), (0, horizon))
    # near shore and layered conifers on the left
    shore = Image.new("L", (w, h), 0)
    sd = ImageDraw.Draw(shore)
    sd.polygon([(0, 452), (110, 440), (230, 466), (320, 514), (372, 600), (0, 600)], fill=255)
    for i in range(11):
        tx = 8 + i * 22 + rng.randint(-5, 5)
        th = rng.randint(80, 150) * (1.0 - i * 0.04)
        ty = 452 - i * 1.2 + rng.randint(0, 10)
        tiers = 7
        for k in range(tiers):
            f = k / tiers
            top = ty - th * (1 - f * 0.92) + 0
            bottom = top + th * 0.26
            half = th * (0.07 + 0.17 * f) * rng.uniform(0.85, 1.1)
            sd.polygon([(tx, top), (tx - half, bottom), (tx + half, bottom)], fill=255)
        sd.rectangle((tx - 1.5, ty - th * 0.1, tx + 1.5, ty + 8), fill=255)
    img = Image.composite(Image.new("RGB", (w, h), (16, 20, 28)), img,
                          shore.filter(ImageFilter.GaussianBlur(0.8)))
    # light grain keeps it photographic without bloating the JPEG
    grain = noise_image(rng, (w, h), 0, 10)
    img = ImageChops.add(img, Image.merge("RGB", (grain,) * 3), 1.0, -5)
    img.save(path, "JPEG", quality=86, optimize=True, dpi=(96, 96))


def make_sample_png(path):
    w, h = 480, 360
    s = 3
    big = (w * s, h * s)
    cx, cy = 240 * s, 172 * s
    petals = Image.new("L", big, 0)
    for i in range(6):
        a = math.radians(i * 60 - 90)
        pet = Image.new("L", (76 * s, 160 * s), 0)
        ImageDraw.Draw(pet).ellipse((0, 0, 76 * s - 1, 160 * s - 1), fill=255)
        pet = pet.rotate(-math.degrees(a) - 90, resample=Image.BICUBIC, expand=True)
        px_, py_ = cx + math.cos(a) * 72 * s, cy + math.sin(a) * 72 * s
        petals.paste(255, (int(px_ - pet.width / 2), int(py_ - pet.height / 2)), pet)
    petals = petals.resize((w, h), Image.BOX)
    # radial colour: warm coral inside to magenta at the tips
    rad = Image.radial_gradient("L").resize((w, h), Image.BICUBIC)
    rad = ImageChops.offset(rad, 240 - w // 2, 172 - h // 2)
    stops = [(0, (255, 214, 120)), (0.25, (255, 150, 110)), (0.55, (232, 72, 120)), (1, (150, 40, 140))]
    lut = [rgb8(ramp(stops, v / 255 * 1.55)) for v in range(256)]
    colour = Image.merge("RGB", [rad.point([c[k] for c in lut]) for k in range(3)])
    # darker veins between petals for depth
    veins = Image.new("L", (w, h), 0)
    vd = ImageDraw.Draw(veins)
    for i in range(6):
        a = math.radians(i * 60 - 90)
        vd.line([(240, 172), (240 + math.cos(a) * 140, 172 + math.sin(a) * 140)], fill=150, width=5)
    veins = veins.filter(ImageFilter.GaussianBlur(5))
    colour = Image.composite(Image.new("RGB", (w, h), (255, 236, 220)), colour, veins.point(lambda v: v // 2))
    soft = petals.filter(ImageFilter.GaussianBlur(1.6))
    # drop shadow, then petals, then the centre disc
    shadow = shifted(soft.filter(ImageFilter.GaussianBlur(9)), 8, 10).point(lambda v: v * 90 // 255)
    out = layer((w, h), (30, 10, 40, 255), shadow)
    flower = colour.convert("RGBA")
    flower.putalpha(soft)
    out = Image.alpha_composite(out, flower)
    centre = Image.new("L", big, 0)
    ImageDraw.Draw(centre).ellipse((cx - 46 * s, cy - 46 * s, cx + 46 * s, cy + 46 * s), fill=255)
    centre = centre.resize((w, h), Image.BOX).filter(ImageFilter.GaussianBlur(1.0))
    cgrad = vgradient((w, h), [(0, (255, 210, 80)), (0.42, (255, 196, 60)), (0.58, (200, 120, 20)),
                               (1, (150, 80, 10))])
    cgrad.putalpha(centre)
    out = Image.alpha_composite(out, cgrad)
    rng = random.Random(7)
    dots = Image.new("L", (w, h), 0)
    dd = ImageDraw.Draw(dots)
    for i in range(60):
        r = math.sqrt(i / 60) * 38
        a = i * 2.39996
        x, y = 240 + math.cos(a) * r, 172 + math.sin(a) * r
        dd.ellipse((x - 2.2, y - 2.2, x + 2.2, y + 2.2), fill=rng.randint(140, 200))
    out = Image.alpha_composite(out, layer((w, h), (120, 60, 0, 255), dots.filter(ImageFilter.GaussianBlur(0.6))))
    # a glossy highlight on the disc
    hl = Image.new("L", (w, h), 0)
    ImageDraw.Draw(hl).ellipse((212, 132, 262, 160), fill=150)
    out = Image.alpha_composite(out, layer((w, h), (255, 255, 240, 255), ImageChops.multiply(
        hl.filter(ImageFilter.GaussianBlur(6)), centre)))
    save_png(out, path)


def make_drawing(path):
    w, h = 320, 240
    pal = [(142, 202, 238), (255, 255, 255), (250, 212, 60), (112, 186, 80), (76, 148, 64),
           (196, 64, 50), (246, 232, 200), (110, 70, 40), (60, 120, 170), (40, 40, 48),
           (60, 130, 50), (234, 176, 40), (200, 226, 246), (160, 40, 36)]
    img = Image.new("P", (w, h), 0)
    img.putpalette([v for c in pal for v in c] + [0, 0, 0] * (256 - len(pal)))
    d = ImageDraw.Draw(img)
    idx = {c: i for i, c in enumerate(pal)}
    SKY, WHITE, SUN, HILL1, HILL2, ROOF, WALL, WOOD, GLASS, INK, LEAF, RAY, HAZE, ROOF2 = range(len(pal))
    d.rectangle((0, 92, w, 150), fill=HAZE)
    for k in range(12):
        a = math.radians(k * 30)
        d.line([(262 + math.cos(a) * 30, 48 + math.sin(a) * 30),
                (262 + math.cos(a) * 44, 48 + math.sin(a) * 44)], fill=RAY, width=4)
    d.ellipse((238, 24, 286, 72), fill=SUN, outline=RAY, width=3)
    for cx, cy in ((60, 42), (150, 28)):
        for dx, dy, r in ((0, 0, 16), (18, -8, 18), (36, 0, 15), (18, 6, 15)):
            d.ellipse((cx + dx - r, cy + dy - r, cx + dx + r, cy + dy + r), fill=WHITE)
    d.ellipse((-80, 120, 220, 330), fill=HILL1, outline=INK, width=2)
    d.ellipse((120, 140, 420, 360), fill=HILL2, outline=INK, width=2)
    # house
    d.rectangle((70, 132, 150, 190), fill=WALL, outline=INK, width=2)
    d.polygon([(60, 134), (110, 92), (160, 134)], fill=ROOF, outline=INK)
    d.line([(60, 134), (110, 92), (160, 134)], fill=INK, width=2)
    d.rectangle((100, 156, 120, 190), fill=WOOD, outline=INK, width=2)
    d.ellipse((114, 172, 117, 175), fill=SUN)
    for x0 in (78, 128):
        d.rectangle((x0, 144, x0 + 16, 160), fill=GLASS, outline=INK, width=2)
        d.line([(x0 + 8, 144), (x0 + 8, 160)], fill=INK, width=1)
        d.line([(x0, 152), (x0 + 16, 152)], fill=INK, width=1)
    d.rectangle((132, 98, 142, 120), fill=ROOF2, outline=INK, width=2)
    # tree
    d.rectangle((222, 140, 234, 196), fill=WOOD, outline=INK, width=2)
    for dx, dy, r in ((0, 0, 26), (-18, 14, 20), (18, 14, 20), (0, -16, 20)):
        d.ellipse((228 + dx - r, 124 + dy - r, 228 + dx + r, 124 + dy + r), fill=LEAF, outline=INK, width=2)
    for dx, dy, r in ((0, 0, 24), (-18, 14, 18), (18, 14, 18), (0, -16, 18)):
        d.ellipse((228 + dx - r, 124 + dy - r, 228 + dx + r, 124 + dy + r), fill=LEAF)
    for x, y in ((214, 118), (238, 110), (232, 136), (220, 140)):
        d.ellipse((x - 3, y - 3, x + 3, y + 3), fill=ROOF)
    # path and flowers
    d.polygon([(104, 192), (118, 192), (150, 240), (84, 240)], fill=WALL, outline=INK)
    rng = random.Random(99)
    for _ in range(26):
        x, y = rng.randint(10, 310), rng.randint(200, 234)
        if 80 < x < 155:
            continue
        d.ellipse((x - 2, y - 2, x + 2, y + 2), fill=rng.choice((WHITE, SUN, ROOF)))
    del idx
    img.save(path, "GIF")


def make_scan(path):
    rng = random.Random(4242)
    w, h = 400, 300
    page = vgradient((w, h), [(0, (236, 232, 222)), (1, (226, 221, 208))]).convert("RGB")
    d = ImageDraw.Draw(page)
    ink = (54, 56, 66)
    d.rectangle((34, 30, 250, 42), fill=ink)
    d.rectangle((34, 50, 160, 55), fill=(110, 112, 120))
    y = 74
    for para in range(4):
        lines = rng.randint(3, 5)
        for i in range(lines):
            x = 34 + (12 if i == 0 else 0)
            end = 250 if i < lines - 1 else rng.randint(120, 220)
            while x < end:
                wl = rng.randint(8, 30)
                d.rectangle((x, y, min(x + wl, end), y + 3), fill=(90, 92, 102))
                x += wl + 5
            y += 10
        y += 8
    # a small figure: framed sketch of a bar chart
    d.rectangle((268, 74, 368, 170), outline=ink, width=2)
    for i, v in enumerate((40, 62, 30, 74, 52)):
        d.rectangle((280 + i * 17, 160 - v, 292 + i * 17, 160), fill=(170, 60, 50) if i == 3 else (80, 110, 150))
    d.line([(276, 160), (360, 160)], fill=ink, width=1)
    d.rectangle((268, 180, 368, 184), fill=(110, 112, 120))
    d.rectangle((268, 190, 340, 194), fill=(110, 112, 120))
    page = page.filter(ImageFilter.GaussianBlur(0.5))
    # scanned slightly askew on a darker platen, light falling off at the edges
    page = page.rotate(0.8, resample=Image.BICUBIC, expand=False, fillcolor=(128, 128, 126))
    vign = Image.radial_gradient("L").resize((w, h), Image.BICUBIC).point(lambda v: v * 46 // 255)
    page = ImageChops.subtract(page, Image.merge("RGB", (vign,) * 3))
    specks = Image.new("L", (w, h), 0)
    sdraw = ImageDraw.Draw(specks)
    for _ in range(60):
        x, y = rng.randint(0, w - 1), rng.randint(0, h - 1)
        sdraw.point((x, y), fill=rng.randint(40, 110))
    page = ImageChops.subtract(page, Image.merge("RGB", (specks,) * 3))
    page.save(path, "TIFF", compression="tiff_lzw", dpi=(96, 96))


# ----------------------------------------------------------------------------- icon

ICON_SIZES = (16, 32, 48, 256)


def icon_image(n):
    """The application icon at n x n: a graphite tile framing a small landscape (the
    picture the viewer shows), drawn for each size rather than scaled from the largest,
    so the small ones keep their shapes on whole pixels."""
    s = 8 if n <= 48 else 4
    big = n * s
    u = big / 32.0  # drawn on a 32-unit grid
    small = n <= 16
    # The tile: rounded, dark graphite like the Default skin, with a lit upper rim.
    tile = rrect_mask((big, big), (0, 0, n, n), n * (0.16 if small else 0.2), s)
    out = layer((big, big), (0, 0, 0, 0), Image.new("L", (big, big), 0))
    out = Image.alpha_composite(out, Image.composite(
        vgradient((big, big), [(0.0, (84, 92, 106)), (0.5, (44, 48, 56)), (1.0, (24, 26, 31))]),
        Image.new("RGBA", (big, big), (0, 0, 0, 0)), tile))
    # The picture inside: a sky with a sun over two hills, cut by a rounded window.
    inset = 3 if small else 4.5
    box = (inset * u, inset * u, big - inset * u, big - (inset + 1.5) * u)
    view = Image.new("L", (big, big), 0)
    ImageDraw.Draw(view).rounded_rectangle([round(v) for v in box], round(1.5 * u), fill=255)
    scene = vgradient((big, big), [(0.0, (40, 98, 168)), (0.45, (96, 170, 214)),
                                   (0.72, (250, 206, 150)), (1.0, (250, 206, 150))])
    d = ImageDraw.Draw(scene)
    d.ellipse([round(v * u) for v in (18.5, 7.5, 25.5, 14.5)], fill=(255, 224, 112, 255))
    d.polygon([(v[0] * u, v[1] * u) for v in ((2, 27), (12, 13.5), (19, 21), (24, 17), (31, 27))],
              fill=(38, 120, 118, 255))
    d.polygon([(v[0] * u, v[1] * u) for v in ((2, 27), (9, 19.5), (17, 27))], fill=(22, 82, 86, 255))
    out = Image.alpha_composite(out, Image.composite(scene, Image.new("RGBA", (big, big), (0, 0, 0, 0)), view))
    # A thin light rim round the picture, as the skins' frames have round the view.
    if not small:
        rim = Image.new("L", (big, big), 0)
        ImageDraw.Draw(rim).rounded_rectangle([round(v) for v in box], round(1.5 * u),
                                              outline=255, width=max(1, round(0.6 * u)))
        out = Image.alpha_composite(out, layer((big, big), (232, 236, 242, 150), rim))
    return down(out, n)


def make_icon(path):
    """One .ico with every size, each image drawn for its own size (32-bit, PNG-coded)."""
    images = [icon_image(n) for n in ICON_SIZES]
    images[-1].save(path, "ICO", sizes=[(n, n) for n in ICON_SIZES], append_images=images[:-1])


# ----------------------------------------------------------------------------- checks

def check_skin(folder):
    """Fails loudly when an image no longer matches the metrics in values.ini."""
    ini = read_ini(os.path.join(folder, "values.ini"))
    problems = []

    def size(name):
        return Image.open(os.path.join(folder, name)).size

    for pre, wkey, hkey in (("", "Width", "Height"), ("inactive_", "InActiveWidth", "InActiveHeight")):
        l, r = ini_int(ini, "left", wkey), ini_int(ini, "right", wkey)
        b = ini_int(ini, "bottom", hkey)
        for name, want in (("left_middle.png", l), ("left_bottom.png", l),
                           ("right_middle.png", r), ("right_bottom.png", r)):
            if size(pre + name)[0] != want:
                problems.append("%s%s is not %d wide" % (pre, name, want))
            if name.endswith("middle.png"):
                strip = Image.open(os.path.join(folder, pre + name)).getchannel("A")
                if min(strip.getdata()) == 0:
                    problems.append("%s%s has fully transparent pixels in its drag band" % (pre, name))
        if size(pre + "bottom.png")[1] != b:
            problems.append("%sbottom.png is not %d high" % (pre, b))
    for pre, key in (("", "Height"), ("inactive_", "InActiveHeight"), ("rolled_", "RolledUpHeight"),
                     ("rolled_inactive_", "RolledUpInActiveHeight")):
        t = ini_int(ini, "top", key)
        for name in ("left_top.png", "top.png", "right_top.png"):
            if size(pre + name)[1] != t:
                problems.append("%s%s is not %d high" % (pre, name, t))
    if Image.open(os.path.join(folder, "bg.bmp")).mode != "RGB":
        problems.append("bg.bmp is not 24-bit")
    if problems:
        sys.exit(folder + ": " + "; ".join(problems))


# ----------------------------------------------------------------------------- preview

FONTS = {False: "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
         True: "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"}


def load_rgba(path):
    return Image.open(path).convert("RGBA")


def draw_title(skin, ini, width, active, rolled, hover=None):
    pre = ("rolled_" if rolled else "") + ("" if active else "inactive_")
    key = {(False, True): "Height", (False, False): "InActiveHeight",
           (True, True): "RolledUpHeight", (True, False): "RolledUpInActiveHeight"}[(rolled, active)]
    t = ini_int(ini, "top", key)
    img = Image.new("RGBA", (width, t), (0, 0, 0, 0))
    lt, rt, top = (load_rgba(os.path.join(skin, pre + n)) for n in ("left_top.png", "right_top.png", "top.png"))
    lt = lt.resize((lt.width, t))
    rt = rt.resize((rt.width, t))
    m = width - lt.width - rt.width
    if m > 0:
        mid = top.resize((m, top.height))
        for y in range(0, t, top.height):
            img.paste(mid, (lt.width, y))
    img.paste(lt, (0, 0))
    img.paste(rt, (width - rt.width, 0))
    # caption
    sp = {(False, True): "", (False, False): "InActive", (True, True): "RolledUp",
          (True, False): "RolledUpInActive"}[(rolled, active)]
    from PIL import ImageFont
    style = ini_int(ini, "Caption", "FontStyle")
    font = ImageFont.truetype(FONTS[bool(style & 1)], ini_int(ini, "Caption", "FontSize", 14))
    cx = width * ini_int(ini, "Caption", sp + "X") / 100.0
    cy = t * ini_int(ini, "Caption", sp + "Y") / 100.0
    cw = width * ini_int(ini, "Caption", sp + "Width") / 100.0
    ch = t * ini_int(ini, "Caption", sp + "Height") / 100.0
    text = ini["caption"]["text"]
    d = ImageDraw.Draw(img)
    bx0, by0, bx1, by1 = d.textbbox((0, 0), text, font=font)
    asc, desc = font.getmetrics()
    tw_, th_ = bx1 - bx0, asc + desc
    ha, va = ini_int(ini, "Caption", "HorAlign"), ini_int(ini, "Caption", "VerAlign")
    tx = cx + (0 if ha == 0 else (cw - tw_) / 2 if ha == 1 else cw - tw_)
    ty = cy + (0 if va == 0 else (ch - th_) / 2 if va == 1 else ch - th_)
    colour = tuple(ini_int(ini, "Caption", "Color" + c) for c in "RGBA")
    txt = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(txt).text((tx, ty), text, font=font, fill=colour)
    img = Image.alpha_composite(img, txt)
    files = {"Close": ("active_close.png", "mouseover_close.png", "inactive_close.png"),
             "Min": ("active_min.png", "mouseover_Min.png", "inactive_min.png"),
             "Max": ("active_max.png", "mouseover_Max.png", "inactive_max.png"),
             "Roll": ("active_Roll.png", "mouseover_Roll.png", "inactive_Roll.png")}
    for word, names in files.items():
        align = ini_int(ini, "Buttons", sp + word + "Align")
        x = {0: 0, 1: width // 2, 2: width}[align] + ini_int(ini, "Buttons", sp + word + "X")
        y = ini_int(ini, "Buttons", sp + word + "Y")
        name = names[2] if not active else names[1] if hover == word else names[0]
        b = load_rgba(os.path.join(skin, name))
        lay = Image.new("RGBA", img.size, (0, 0, 0, 0))
        lay.paste(b, (x, y))
        img = Image.alpha_composite(img, lay)
    alpha = ini_int(ini, "Caption", "AlphaActive" if active else "AlphaInActive", 255)
    img.putalpha(img.getchannel("A").point(lambda v: v * alpha // 255))
    return img


def draw_edge(skin, prefix, side, w, h):
    mid = load_rgba(os.path.join(skin, prefix + side + "_middle.png"))
    foot = load_rgba(os.path.join(skin, prefix + side + "_bottom.png"))
    foot = foot.resize((w, foot.height))
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    cut = h - foot.height
    for y in range(0, max(cut, 0), mid.height):
        for x in range(0, w, mid.width):
            img.paste(mid.crop((0, 0, min(mid.width, w - x), min(mid.height, cut - y))), (x, y))
    img.paste(foot, (0, cut))
    return img


def draw_main(skin, buttons, ini, W, H, active, picture, hover_action=None, selected="movemode"):
    bini = read_ini(os.path.join(buttons, "values.ini"))
    tbh = ini_int(bini, "Main", "ToolbarHeight")
    main = Image.new("RGBA", (W, H), tuple(ini_int(ini, "bg", "Color" + c) for c in "RGB") + (255,))
    bgp = os.path.join(buttons, "bg.bmp")
    bg = Image.open(bgp if os.path.exists(bgp) else os.path.join(skin, "bg.bmp")).convert("RGBA")
    bg = bg.resize((W, bg.height))
    for y in range(0, tbh, bg.height):
        main.paste(bg.crop((0, 0, W, min(bg.height, tbh - y))), (0, y))
    for i in range(ini_int(bini, "Main", "NumOfButtons")):
        sec = bini["button-%d" % i]
        act = sec["action"]
        state = ("inactiveimage" if not active else "mouseoverimage" if act == hover_action
                 else "selectedimage" if act == selected else "normalimage")
        b = load_rgba(os.path.join(buttons, sec[state])).resize((int(sec["width"]), int(sec["height"])))
        lay = Image.new("RGBA", main.size, (0, 0, 0, 0))
        lay.paste(b, (int(sec["x"]), int(sec["y"])))
        main = Image.alpha_composite(main, lay)
    vh = H - tbh
    pic = Image.open(picture).convert("RGBA")
    scale = min((W - 40) / pic.width, (vh - 40) / pic.height, 1.0)
    pic = pic.resize((int(pic.width * scale), int(pic.height * scale)), Image.LANCZOS)
    lay = Image.new("RGBA", main.size, (0, 0, 0, 0))
    lay.paste(pic, ((W - pic.width) // 2, tbh + (vh - pic.height) // 2))
    corner = load_rgba(os.path.join(skin, "corner.png"))
    lay2 = Image.new("RGBA", main.size, (0, 0, 0, 0))
    lay2.paste(corner, (W - corner.width, H - corner.height))
    return Image.alpha_composite(Image.alpha_composite(main, lay), lay2)


def mockup(skin, buttons, active, rolled, wallpaper, picture, hover=None, hover_action=None):
    ini = read_ini(os.path.join(skin, "values.ini"))
    W, H = 480, 360
    l = ini_int(ini, "left", "Width" if active else "InActiveWidth")
    r = ini_int(ini, "right", "Width" if active else "InActiveWidth")
    b = ini_int(ini, "bottom", "Height" if active else "InActiveHeight")
    t = ini_int(ini, "top", "Height" if active else "InActiveHeight")
    margin = 36
    canvas = wallpaper.resize((W + 2 * margin + 16, H + 2 * margin + 40)).convert("RGBA")
    ox, oy = margin + 8, margin + 8 + t

    def put(img, x, y):
        nonlocal canvas
        lay = Image.new("RGBA", canvas.size, (0, 0, 0, 0))
        lay.paste(img, (x, y))
        canvas = Image.alpha_composite(canvas, lay)

    title = draw_title(skin, ini, W + l + r, active, rolled, hover)
    if not rolled:
        pre = "" if active else "inactive_"
        put(draw_main(skin, buttons, ini, W, H, active, picture, hover_action), ox, oy)
        put(draw_edge(skin, pre, "left", l, H + b), ox - l, oy)
        put(draw_edge(skin, pre, "right", r, H + b), ox + W, oy)
        bot = load_rgba(os.path.join(skin, pre + "bottom.png")).resize((W, b))
        put(bot, ox, oy + H)
    put(title, ox - l, oy - t)
    return canvas


def previews(outdir):
    os.makedirs(outdir, exist_ok=True)
    wall = Image.open(os.path.join(HERE, "Samples", "photo.jpg"))
    pic = os.path.join(HERE, "Samples", "sample.png")
    for skin, bset in (("Default", "Default"), ("Aurora", "Slate"), ("Default", "Slate"), ("Aurora", "Default")):
        sk, bs = os.path.join(HERE, "Skins", skin), os.path.join(HERE, "Buttons", bset)
        shots = [mockup(sk, bs, True, False, wall, pic, hover="Close", hover_action="zoomin"),
                 mockup(sk, bs, False, False, wall, pic),
                 mockup(sk, bs, True, True, wall, pic, hover="Roll"),
                 mockup(sk, bs, False, True, wall, pic)]
        w, h = shots[0].size
        sheet = Image.new("RGB", (w * 2, h + 140), (90, 90, 90))
        sheet.paste(shots[0].convert("RGB"), (0, 0))
        sheet.paste(shots[1].convert("RGB"), (w, 0))
        sheet.paste(shots[2].convert("RGB").crop((0, 0, w, 140)), (0, h))
        sheet.paste(shots[3].convert("RGB").crop((0, 0, w, 140)), (w, h))
        sheet.save(os.path.join(outdir, "mockup_%s_%s.png" % (skin, bset)))
        # the four corners of the active window, 4x, to check the shading
        a, z = shots[0], Image.new("RGB", (960, 560))
        for i, (x, y) in enumerate(((0, 0), (w - 120, 0), (0, h - 70), (w - 120, h - 70))):
            part = a.crop((x, y, x + 120, y + 70)).convert("RGB").resize((480, 280), Image.NEAREST)
            z.paste(part, ((i % 2) * 480, (i // 2) * 280))
        z.save(os.path.join(outdir, "zoom_%s_%s.png" % (skin, bset)))
    # all toolbar button states, enlarged
    for bset in ("Default", "Slate"):
        bs = os.path.join(HERE, "Buttons", bset)
        rows = ("normal", "mouseover", "selected", "inactive")
        bgp = os.path.join(bs, "bg.bmp")
        bgc = Image.open(bgp).convert("RGB").getpixel((0, 20)) if os.path.exists(bgp) else (40, 44, 50)
        sheet = Image.new("RGB", (len(ACTIONS) * 36 + 4, len(rows) * 36 + 4), bgc)
        for j, st in enumerate(rows):
            for i, a in enumerate(ACTIONS):
                im = load_rgba(os.path.join(bs, "%s_%s.png" % (a, st)))
                sheet.paste(im, (4 + i * 36, 4 + j * 36), im)
        sheet.resize((sheet.width * 2, sheet.height * 2), Image.NEAREST).save(
            os.path.join(outdir, "buttons_%s.png" % bset))


# ----------------------------------------------------------------------------- skin map

def skin_map(path, skin_name="Default"):
    """A labelled picture for skin authors: the skin's frame around a plain main window, the
    five windows pulled apart, every image outlined and named, caption rectangle and caption
    buttons marked. Laid out as the program lays the skin out, in its active look."""
    from PIL import ImageFont
    skin = os.path.join(HERE, "Skins", skin_name)
    ini = read_ini(os.path.join(skin, "values.ini"))
    S, G = 2, 12                  # drawn at twice the size; gap between the windows
    W, H, TB = 320, 200, 40       # main window (skin pixels) and its toolbar's height
    l, r = ini_int(ini, "left", "Width"), ini_int(ini, "right", "Width")
    t, b = ini_int(ini, "top", "Height"), ini_int(ini, "bottom", "Height")
    R = l + W + r
    font = ImageFont.truetype(FONTS[False], 14)
    bold = ImageFont.truetype(FONTS[True], 14)
    small = ImageFont.truetype(FONTS[False], 12)
    ink_c, sub_c, lead_c, box_c = (28, 30, 36), (92, 98, 110), (196, 40, 64), (255, 150, 0)

    ml, mr, mt = 250, 250, 200
    ox, oy = ml + l * S + G, mt + t * S + G          # the main window's top left corner
    cw = ox + W * S + G + r * S + mr
    ch = oy + (H + b) * S + G + 120
    canvas = Image.new("RGBA", (cw, ch), (236, 238, 241, 255))

    def big(img):
        return img.resize((img.width * S, img.height * S), Image.NEAREST)

    def put(img, x, y):
        nonlocal canvas
        lay = Image.new("RGBA", canvas.size, (0, 0, 0, 0))
        lay.paste(img, (x, y))
        canvas = Image.alpha_composite(canvas, lay)

    # The title window: the strip, then the caption buttons where [Buttons] puts them.
    lt, top, rt = (load_rgba(os.path.join(skin, n)) for n in ("left_top.png", "top.png", "right_top.png"))
    title = Image.new("RGBA", (R, t), (0, 0, 0, 0))
    mid = R - lt.width - rt.width
    title.paste(top.resize((mid, top.height)), (lt.width, 0))
    title.paste(lt.resize((lt.width, t)), (0, 0))
    title.paste(rt.resize((rt.width, t)), (R - rt.width, 0))
    buttons = []
    for word, name in (("Close", "active_close.png"), ("Min", "active_min.png"),
                       ("Max", "active_max.png"), ("Roll", "active_Roll.png")):
        align = ini_int(ini, "Buttons", word + "Align")
        bx = {1: R // 2, 2: R}.get(align, 0) + ini_int(ini, "Buttons", word + "X")
        by = ini_int(ini, "Buttons", word + "Y")
        img = load_rgba(os.path.join(skin, name))
        lay = Image.new("RGBA", title.size, (0, 0, 0, 0))
        lay.paste(img, (bx, by))
        title = Image.alpha_composite(title, lay)
        buttons.append((word, name, align, bx, by, img.width, img.height))
    tx, ty = ox - l * S - G, oy - t * S - G
    put(big(title), tx, ty)

    # The edge windows, as the program draws them.
    sx_l, sx_r = tx, ox + W * S + G
    put(big(draw_edge(skin, "", "left", l, H + b)), sx_l, oy)
    put(big(draw_edge(skin, "", "right", r, H + b)), sx_r, oy)
    by_ = oy + H * S + G
    put(big(load_rgba(os.path.join(skin, "bottom.png")).resize((W, b))), ox, by_)

    # The main window: toolbar background and a plain view in the skin's [bg] colour.
    main = Image.new("RGBA", (W, H), tuple(ini_int(ini, "bg", "Color" + c) for c in "RGB") + (255,))
    bg = Image.open(os.path.join(skin, "bg.bmp")).convert("RGBA").resize((W, 40))
    for y in range(0, TB, bg.height):
        main.paste(bg.crop((0, 0, W, min(bg.height, TB - y))), (0, y))
    corner = load_rgba(os.path.join(skin, "corner.png"))
    lay = Image.new("RGBA", main.size, (0, 0, 0, 0))
    lay.paste(corner, (W - corner.width, H - corner.height))
    put(big(Image.alpha_composite(main, lay)), ox, oy)

    d = ImageDraw.Draw(canvas)

    def outline(x0, y0, x1, y1, colour=box_c, dash=0):
        if not dash:
            d.rectangle((x0, y0, x1 - 1, y1 - 1), outline=colour, width=1)
            return
        for a, b_, horizontal in (((x0, y0), (x1 - 1, y0), True), ((x0, y1 - 1), (x1 - 1, y1 - 1), True),
                                  ((x0, y0), (x0, y1 - 1), False), ((x1 - 1, y0), (x1 - 1, y1 - 1), False)):
            lo, hi = (a[0], b_[0]) if horizontal else (a[1], b_[1])
            for p in range(lo, hi + 1, 2 * dash):
                q = min(p + dash - 1, hi)
                d.line(((p, a[1]), (q, a[1])) if horizontal else ((a[0], p), (a[0], q)), fill=colour, width=2)

    def label(x, y, lines, anchor="l"):
        """Text lines at (x, y); anchor l: x is the left end, r: the right end, m: the middle."""
        for i, (text, f, c) in enumerate(lines):
            wdt = d.textlength(text, font=f)
            left = x if anchor == "l" else x - wdt if anchor == "r" else x - wdt / 2
            d.text((left, y + i * 17), text, font=f, fill=c)

    def leader(points):
        d.line(points, fill=lead_c, width=1)
        ex, ey = points[0]
        d.ellipse((ex - 3, ey - 3, ex + 3, ey + 3), fill=lead_c)

    # Title pieces.
    outline(tx, ty, tx + lt.width * S, ty + t * S)
    outline(tx + lt.width * S, ty, tx + (R - rt.width) * S, ty + t * S)
    outline(tx + (R - rt.width) * S, ty, tx + R * S, ty + t * S)
    p = (tx + lt.width * S // 2, ty + t * S // 2)
    leader([p, (tx - 18, p[1])])
    label(tx - 24, p[1] - 17, [("left_top.png", bold, ink_c), ("own width, [top] Height", small, sub_c)], "r")
    p = (tx + (R - rt.width // 2) * S, ty + t * S - 8)
    leader([p, (p[0], ty + t * S + 6), (tx + R * S + 2 * G + 18, ty + t * S + 6)])
    label(tx + R * S + 2 * G + 24, ty + t * S - 11, [("right_top.png", bold, ink_c), ("own width, [top] Height", small, sub_c)])
    p = (tx + (lt.width + 6) * S, ty + 4)
    leader([p, (p[0], ty - 148)])
    label(p[0] + 6, ty - 156, [("top.png", bold, ink_c), ("stretched over the middle", small, sub_c)])

    # Caption rectangle, in percent of the title window.
    cx0 = tx + round(R * S * ini_int(ini, "Caption", "X") / 100)
    cy0 = ty + round(t * S * ini_int(ini, "Caption", "Y") / 100)
    cx1 = cx0 + round(R * S * ini_int(ini, "Caption", "Width") / 100)
    cy1 = cy0 + round(t * S * ini_int(ini, "Caption", "Height") / 100)
    outline(cx0, cy0, cx1, cy1, (90, 200, 255), dash=5)
    cap = ImageFont.truetype(FONTS[bool(ini_int(ini, "Caption", "FontStyle") & 1)],
                             ini_int(ini, "Caption", "FontSize", 14) * S)
    text = ini["caption"].get("text", "Zylora")
    asc, desc = cap.getmetrics()
    d.text((cx0 + 4, (cy0 + cy1 - asc - desc) / 2), text,
           font=cap, fill=tuple(ini_int(ini, "Caption", "Color" + c, 255) for c in "RGB"))
    p = (cx0 + (cx1 - cx0) * 2 // 3, cy0)
    leader([p, (p[0], ty - 86)])
    label(p[0] + 6, ty - 94, [("caption rectangle", bold, ink_c),
                              ("[Caption] X, Y, Width, Height in %", small, sub_c)])

    # Caption buttons: leaders up to staggered labels, the nearest button lowest.
    order = sorted(buttons, key=lambda e: -e[3])
    for level, (word, name, align, bx, by, bw, bh) in enumerate(order):
        outline(tx + bx * S, ty + by * S, tx + (bx + bw) * S, ty + (by + bh) * S)
        p = (tx + (bx + bw // 2) * S, ty + by * S)
        top_y = ty - 26 - level * 40
        leader([p, (p[0], top_y)])
        label(p[0] + 6, top_y - 8, [(name, bold, ink_c), ("%sAlign=%d %sX=%d %sY=%d" % (
            word, align, word, ini_int(ini, "Buttons", word + "X"), word,
            ini_int(ini, "Buttons", word + "Y")), small, sub_c)])

    # Edge windows.
    for x0, side, anchor, lx in ((sx_l, "left", "r", sx_l - 24), (sx_r, "right", "l", sx_r + r * S + 24)):
        wdt = (l if side == "left" else r) * S
        foot = load_rgba(os.path.join(skin, side + "_bottom.png")).height * S
        y_cut = oy + (H + b) * S - foot
        outline(x0, oy, x0 + wdt, y_cut)
        outline(x0, y_cut, x0 + wdt, oy + (H + b) * S)
        end = x0 - 18 if side == "left" else x0 + wdt + 18
        for py, name, sub in ((oy + (y_cut - oy) // 2, side + "_middle.png", "tiled; [%s] Width wide" % side),
                              (y_cut + foot // 2, side + "_bottom.png", "own height, at the foot")):
            leader([(x0 + wdt // 2, py), (end, py)])
            label(lx, py - 17, [(name, bold, ink_c), (sub, small, sub_c)], anchor)
    outline(ox, by_, ox + W * S, by_ + b * S)
    p = (ox + W * S // 2, by_ + b * S // 2)
    leader([p, (p[0], by_ + b * S + 30)])
    label(p[0], by_ + b * S + 34, [("bottom.png", bold, ink_c),
                                   ("stretched to the width, [bottom] Height high", small, sub_c)], "m")

    # The main window's own areas.
    outline(ox, oy, ox + W * S, oy + TB * S, (90, 200, 255))
    label(ox + W * S // 2, oy + TB * S // 2 - 17,
          [("bg.bmp  (toolbar; the button set's own bg.bmp wins)", bold, (255, 255, 255)),
           ("toolbar height: ToolbarHeight of the button set", small, (225, 228, 235))], "m")
    label(ox + W * S // 2, oy + (TB + (H - TB) // 2) * S - 17,
          [("view area: [bg] ColorR, ColorG, ColorB", bold, (235, 238, 244)),
           ("the picture is shown here, on this colour", small, (190, 196, 206))], "m")
    gx, gy = ox + (W - corner.width) * S, oy + (H - corner.height) * S
    outline(gx, gy, ox + W * S, oy + H * S)
    p = (gx, gy + corner.height * S // 2)
    leader([p, (gx - 40, p[1])])
    label(gx - 46, p[1] - 17, [("corner.png", bold, (235, 238, 244)),
                               ("resize grip (optional)", small, (190, 196, 206))], "r")

    # Heading and the other looks.
    label(24, 16, [("Skins\\%s: where each image goes (active look, windows pulled apart)" % skin_name,
                    bold, ink_c)])
    notes = ["inactive look: the same names with inactive_ in front (edges, title strip); rolled up: rolled_ and"
             " rolled_inactive_ (title strip only)",
             "caption buttons: active_*.png, mouseover_*.png (pointer over it), inactive_*.png;"
             " drawn at their own size, X counted from the anchor given by Align (0 left, 1 middle, 2 right)"]
    for i, text in enumerate(notes):
        label(24, ch - 50 + i * 20, [(text, small, sub_c)])
    canvas.convert("RGB").save(path, "PNG", optimize=True)


# ----------------------------------------------------------------------------- main

def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--preview", metavar="DIR", help="also write window mock-ups to DIR")
    ap.add_argument("--diagram", metavar="PNG", help="also write the labelled skin map (docs/skin-map.png)")
    args = ap.parse_args()

    make_skin("Default", os.path.join(HERE, "Skins", "Default"), default_values())
    make_skin("Aurora", os.path.join(HERE, "Skins", "Aurora"), aurora_values())
    make_button_set(os.path.join(HERE, "Buttons", "Default"), graphite_button, True, None,
                    "Graphite tiles; no background of its own, so the skin's bg.bmp shows.")
    make_button_set(os.path.join(HERE, "Buttons", "Slate"), slate_button, False,
                    [(0.0, (250, 251, 253)), (0.05, (236, 240, 245)), (0.95, (206, 214, 224)),
                     (1.0, (176, 186, 200))],
                    "Light slate glyphs on their own light toolbar background.")
    make_icon(os.path.join(HERE, "zylora.ico"))
    check_skin(os.path.join(HERE, "Skins", "Default"))
    check_skin(os.path.join(HERE, "Skins", "Aurora"))
    samples = os.path.join(HERE, "Samples")
    os.makedirs(samples, exist_ok=True)
    make_photo(os.path.join(samples, "photo.jpg"))
    make_sample_png(os.path.join(samples, "sample.png"))
    make_drawing(os.path.join(samples, "drawing.gif"))
    make_scan(os.path.join(samples, "scan.tif"))
    if args.preview:
        previews(args.preview)
    if args.diagram:
        skin_map(args.diagram)


if __name__ == "__main__":
    main()
