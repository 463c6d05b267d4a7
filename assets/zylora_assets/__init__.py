"""Zylora's assets, drawn from scratch with Pillow: one module per kind of asset.

common   drawing helpers, PNG/BMP writers, INI reading and writing
frames   a skin frame rendered whole and cut into pieces
glyphs   bevelled plates and the caption and toolbar glyphs
skins    the Default and Aurora skins, and the check of their metrics
buttons  the Default and Slate toolbar button sets
icon     zylora.ico
samples  the sample pictures
preview  window mock-ups (make_assets.py --preview)
diagram  the skin authors' map (make_assets.py --diagram)
"""
