"""A skin's frame rendered whole, one look at a time, and cut into the pieces the program
tiles, so that the seams line up."""
import math

from PIL import Image

from .common import clamp, mix, ramp, rgb8


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
