"""Bevelled plates and the glyph masks drawn on them: caption-button glyphs on an 18 px grid,
toolbar glyphs on a 32 px grid, all supersampled."""
import math

from PIL import Image, ImageChops, ImageFilter

from .common import SS, Pen, layer, rrect_mask, shifted, vgradient


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
