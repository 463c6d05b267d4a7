"""Mock-ups of the whole window (active, inactive, rolled up) composed the way the program
lays a skin and a button set out, enlarged corners, and sheets of every toolbar button state."""
import os

from PIL import Image, ImageDraw, ImageFont

from .buttons import ACTIONS
from .common import ASSETS, FONTS, ini_int, load_rgba, read_ini


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
    wall = Image.open(os.path.join(ASSETS, "Samples", "photo.jpg"))
    pic = os.path.join(ASSETS, "Samples", "sample.png")
    for skin, bset in (("Default", "Default"), ("Aurora", "Slate"), ("Default", "Slate"), ("Aurora", "Default")):
        sk, bs = os.path.join(ASSETS, "Skins", skin), os.path.join(ASSETS, "Buttons", bset)
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
        bs = os.path.join(ASSETS, "Buttons", bset)
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
