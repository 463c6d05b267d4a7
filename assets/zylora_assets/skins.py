"""The two skins, Default and Aurora: palettes, frame pieces, caption buttons, resize grip,
toolbar background and values.ini, and a check that the images match the metrics."""
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from .common import (SS, Pen, down, ini_int, layer, mix, read_ini, rgb8, save_bmp, save_png,
                     vgradient, write_ini)
from .frames import frame_pieces
from .glyphs import caption_glyph, ink, plate


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
