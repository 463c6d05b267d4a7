"""The labelled map for skin authors that docs/skins.md shows: where each of a skin's images
goes, with the windows pulled apart."""
import os

from PIL import Image, ImageDraw, ImageFont

from .common import ASSETS, FONTS, ini_int, load_rgba, read_ini
from .preview import draw_edge


def skin_map(path, skin_name="Default"):
    """A labelled picture for skin authors: the skin's frame around a plain main window, the
    five windows pulled apart, every image outlined and named, caption rectangle and caption
    buttons marked. Laid out as the program lays the skin out, in its active look."""
    skin = os.path.join(ASSETS, "Skins", skin_name)
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
