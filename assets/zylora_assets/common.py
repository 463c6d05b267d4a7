"""Drawing helpers every kind of asset uses: colour ramps, gradients, masks, a pen for
supersampled strokes, PNG and BMP writers, and the INI reader and writer."""
import math
import os
import sys

try:
    from PIL import Image, ImageDraw
except ImportError:
    sys.exit("make_assets.py needs Pillow (Debian: python3-pil, run with /usr/bin/python3)")

ASSETS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))  # the assets/ folder
SS = 4  # supersampling factor for vector-drawn pieces
FONTS = {False: "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
         True: "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"}


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


def load_rgba(path):
    return Image.open(path).convert("RGBA")


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
