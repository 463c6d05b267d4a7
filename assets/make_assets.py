#!/usr/bin/env python3
"""Makes Zylora's skins, toolbar button sets and sample pictures, all procedurally.

    python3 assets/make_assets.py                  # rewrite everything under assets/
    python3 assets/make_assets.py --preview DIR    # also write window mock-ups to DIR
    python3 assets/make_assets.py --diagram PNG    # also write the skin authors' map

Output is deterministic: fixed seeds, no fonts, no timestamps, so rerunning gives the
same bytes. The drawing lives in the zylora_assets package next to this file.
"""
import argparse
import os
import sys

sys.dont_write_bytecode = True  # keep assets/ free of __pycache__

from zylora_assets.buttons import graphite_button, make_button_set, slate_button  # noqa: E402
from zylora_assets.common import ASSETS  # noqa: E402
from zylora_assets.diagram import skin_map  # noqa: E402
from zylora_assets.icon import make_icon  # noqa: E402
from zylora_assets.preview import previews  # noqa: E402
from zylora_assets.samples import make_drawing, make_photo, make_sample_png, make_scan  # noqa: E402
from zylora_assets.skins import aurora_values, check_skin, default_values, make_skin  # noqa: E402


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--preview", metavar="DIR", help="also write window mock-ups to DIR")
    ap.add_argument("--diagram", metavar="PNG", help="also write the labelled skin map (docs/skin-map.png)")
    args = ap.parse_args()

    make_skin("Default", os.path.join(ASSETS, "Skins", "Default"), default_values())
    make_skin("Aurora", os.path.join(ASSETS, "Skins", "Aurora"), aurora_values())
    make_button_set(os.path.join(ASSETS, "Buttons", "Default"), graphite_button, True, None,
                    "Graphite tiles; no background of its own, so the skin's bg.bmp shows.")
    make_button_set(os.path.join(ASSETS, "Buttons", "Slate"), slate_button, False,
                    [(0.0, (250, 251, 253)), (0.05, (236, 240, 245)), (0.95, (206, 214, 224)),
                     (1.0, (176, 186, 200))],
                    "Light slate glyphs on their own light toolbar background.")
    make_icon(os.path.join(ASSETS, "zylora.ico"))
    check_skin(os.path.join(ASSETS, "Skins", "Default"))
    check_skin(os.path.join(ASSETS, "Skins", "Aurora"))
    samples = os.path.join(ASSETS, "Samples")
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
