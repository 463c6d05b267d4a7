"""The sample pictures, one per format the viewer reads: a PNG with alpha, a JPEG photo, a
palette GIF drawing and an LZW TIFF scan. Each draws from its own fixed seed."""
import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from .common import clamp, layer, ramp, rgb8, save_png, shifted, vgradient

# Every sample is wider than the widest bundled toolbar (Default's, 462 px), so a first start
# on any of them shows every button; and at most 1008 x 728, so that a 1024 x 768 screen
# shows it whole, unhalved, in the Default skin's frame.
DRAWING_SCALE = 2    # drawing.gif: 640 x 480
SCAN_SCALE = 1.6     # scan.tif: 640 x 480


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
    """A flat-coloured drawing in 14 palette entries, laid out on a 320 x 240 grid and drawn
    at DRAWING_SCALE times that, so it is wider than any bundled toolbar."""
    s = DRAWING_SCALE
    w, h = 320 * s, 240 * s

    def at(*v):
        return [round(x * s) for x in v]

    pal = [(142, 202, 238), (255, 255, 255), (250, 212, 60), (112, 186, 80), (76, 148, 64),
           (196, 64, 50), (246, 232, 200), (110, 70, 40), (60, 120, 170), (40, 40, 48),
           (60, 130, 50), (234, 176, 40), (200, 226, 246), (160, 40, 36)]
    img = Image.new("P", (w, h), 0)
    img.putpalette([v for c in pal for v in c] + [0, 0, 0] * (256 - len(pal)))
    d = ImageDraw.Draw(img)
    SKY, WHITE, SUN, HILL1, HILL2, ROOF, WALL, WOOD, GLASS, INK, LEAF, RAY, HAZE, ROOF2 = range(len(pal))
    d.rectangle(at(0, 92, 320, 150), fill=HAZE)
    for k in range(12):
        a = math.radians(k * 30)
        d.line(at(262 + math.cos(a) * 30, 48 + math.sin(a) * 30,
                  262 + math.cos(a) * 44, 48 + math.sin(a) * 44), fill=RAY, width=4 * s)
    d.ellipse(at(238, 24, 286, 72), fill=SUN, outline=RAY, width=3 * s)
    for cx, cy in ((60, 42), (150, 28)):
        for dx, dy, r in ((0, 0, 16), (18, -8, 18), (36, 0, 15), (18, 6, 15)):
            d.ellipse(at(cx + dx - r, cy + dy - r, cx + dx + r, cy + dy + r), fill=WHITE)
    d.ellipse(at(-80, 120, 220, 330), fill=HILL1, outline=INK, width=2 * s)
    d.ellipse(at(120, 140, 420, 360), fill=HILL2, outline=INK, width=2 * s)
    # house
    d.rectangle(at(70, 132, 150, 190), fill=WALL, outline=INK, width=2 * s)
    d.polygon(at(60, 134, 110, 92, 160, 134), fill=ROOF, outline=INK)
    d.line(at(60, 134, 110, 92, 160, 134), fill=INK, width=2 * s, joint="curve")
    d.rectangle(at(100, 156, 120, 190), fill=WOOD, outline=INK, width=2 * s)
    d.ellipse(at(114, 172, 117, 175), fill=SUN)
    for x0 in (78, 128):
        d.rectangle(at(x0, 144, x0 + 16, 160), fill=GLASS, outline=INK, width=2 * s)
        d.line(at(x0 + 8, 144, x0 + 8, 160), fill=INK, width=s)
        d.line(at(x0, 152, x0 + 16, 152), fill=INK, width=s)
    d.rectangle(at(132, 98, 142, 120), fill=ROOF2, outline=INK, width=2 * s)
    # tree
    d.rectangle(at(222, 140, 234, 196), fill=WOOD, outline=INK, width=2 * s)
    for dx, dy, r in ((0, 0, 26), (-18, 14, 20), (18, 14, 20), (0, -16, 20)):
        d.ellipse(at(228 + dx - r, 124 + dy - r, 228 + dx + r, 124 + dy + r), fill=LEAF, outline=INK,
                  width=2 * s)
    for dx, dy, r in ((0, 0, 24), (-18, 14, 18), (18, 14, 18), (0, -16, 18)):
        d.ellipse(at(228 + dx - r, 124 + dy - r, 228 + dx + r, 124 + dy + r), fill=LEAF)
    for x, y in ((214, 118), (238, 110), (232, 136), (220, 140)):
        d.ellipse(at(x - 3, y - 3, x + 3, y + 3), fill=ROOF)
    # path and flowers
    d.polygon(at(104, 192, 118, 192, 150, 240, 84, 240), fill=WALL, outline=INK, width=s)
    rng = random.Random(99)
    for _ in range(26):
        x, y = rng.randint(10, 310), rng.randint(200, 234)
        if 80 < x < 155:
            continue
        d.ellipse(at(x - 2, y - 2, x + 2, y + 2), fill=rng.choice((WHITE, SUN, ROOF)))
    img.save(path, "GIF")


def make_scan(path):
    """A printed page scanned a little askew, laid out on a 400 x 300 grid and scanned at
    SCAN_SCALE times that."""
    rng = random.Random(4242)
    s = SCAN_SCALE
    w, h = round(400 * s), round(300 * s)

    def at(*v):
        return [round(x * s) for x in v]

    page = vgradient((w, h), [(0, (236, 232, 222)), (1, (226, 221, 208))]).convert("RGB")
    d = ImageDraw.Draw(page)
    ink = (54, 56, 66)
    d.rectangle(at(34, 30, 250, 42), fill=ink)
    d.rectangle(at(34, 50, 160, 55), fill=(110, 112, 120))
    y = 74
    for para in range(4):
        lines = rng.randint(3, 5)
        for i in range(lines):
            x = 34 + (12 if i == 0 else 0)
            end = 250 if i < lines - 1 else rng.randint(120, 220)
            while x < end:
                wl = rng.randint(8, 30)
                d.rectangle(at(x, y, min(x + wl, end), y + 3), fill=(90, 92, 102))
                x += wl + 5
            y += 10
        y += 8
    # a small figure: framed sketch of a bar chart
    d.rectangle(at(268, 74, 368, 170), outline=ink, width=round(2 * s))
    for i, v in enumerate((40, 62, 30, 74, 52)):
        d.rectangle(at(280 + i * 17, 160 - v, 292 + i * 17, 160),
                    fill=(170, 60, 50) if i == 3 else (80, 110, 150))
    d.line(at(276, 160, 360, 160), fill=ink, width=round(s))
    d.rectangle(at(268, 180, 368, 184), fill=(110, 112, 120))
    d.rectangle(at(268, 190, 340, 194), fill=(110, 112, 120))
    page = page.filter(ImageFilter.GaussianBlur(0.5 * s))
    # scanned slightly askew on a darker platen, light falling off at the edges
    page = page.rotate(0.8, resample=Image.BICUBIC, expand=False, fillcolor=(128, 128, 126))
    vign = Image.radial_gradient("L").resize((w, h), Image.BICUBIC).point(lambda v: v * 46 // 255)
    page = ImageChops.subtract(page, Image.merge("RGB", (vign,) * 3))
    specks = Image.new("L", (w, h), 0)
    sdraw = ImageDraw.Draw(specks)
    for _ in range(round(60 * s * s)):
        x, y = rng.randint(0, w - 1), rng.randint(0, h - 1)
        sdraw.point((x, y), fill=rng.randint(40, 110))
    page = ImageChops.subtract(page, Image.merge("RGB", (specks,) * 3))
    page.save(path, "TIFF", compression="tiff_lzw", dpi=(96, 96))
