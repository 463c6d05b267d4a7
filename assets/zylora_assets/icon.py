"""The application icon, drawn separately at each of its sizes."""
from PIL import Image, ImageDraw

from .common import down, layer, rrect_mask, vgradient


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
