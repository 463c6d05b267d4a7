"""The toolbar button sets: twelve buttons in four states each, placed in values.ini."""
import os

from .common import down, save_bmp, save_png, vgradient, write_ini
from .glyphs import ink, plate, toolbar_glyph


ACTIONS = ["open", "prev", "next", "zoomin", "zoomout", "zoomactual", "movemode", "selectmode",
           "rotate90left", "rotate90right", "mirrorx", "mirrory"]
GROUP_STARTS = {"prev", "zoomin", "movemode", "rotate90left", "mirrorx"}


def graphite_button(action, state):
    n = 32
    g = toolbar_glyph(action)
    box = (1, 1, 31, 31)
    if state == "normal":
        img = plate(n, box, 6, [(0, (92, 100, 114)), (1, (58, 64, 74))], (18, 20, 24, 235),
                    (255, 255, 255, 50))
        img = ink(img, g, (226, 231, 237, 255), (0, 0, 0, 130))
    elif state == "mouseover":
        img = plate(n, box, 6, [(0, (120, 170, 236)), (1, (56, 108, 186))], (20, 36, 62, 240),
                    (255, 255, 255, 120))
        img = ink(img, g, (255, 255, 255, 255), (10, 30, 70, 150))
    elif state == "selected":
        img = plate(n, box, 6, [(0, (34, 40, 50)), (1, (52, 60, 72))], (90, 150, 230, 255),
                    None, inset_shadow=(0, 0, 0, 150))
        img = ink(img, g, (142, 196, 255, 255), (0, 0, 0, 160))
    else:
        img = plate(n, box, 6, [(0, (84, 88, 94)), (1, (70, 73, 78))], (40, 42, 46, 180),
                    (255, 255, 255, 22), alpha=230)
        img = ink(img, g, (146, 150, 156, 255))
    return down(img, n)


def slate_button(action, state):
    n = 32
    g = toolbar_glyph(action)
    box = (1, 1, 31, 31)
    if state == "normal":
        img = plate(n, box, 5, [(0, (255, 255, 255)), (1, (236, 240, 245))], (80, 100, 126, 60),
                    None, alpha=60)
        img = ink(img, g, (50, 70, 92, 255), (255, 255, 255, 170))
    elif state == "mouseover":
        img = plate(n, box, 5, [(0, (255, 255, 255)), (1, (228, 238, 250))], (74, 132, 210, 255),
                    (255, 255, 255, 255))
        img = ink(img, g, (30, 96, 178, 255), (255, 255, 255, 200))
    elif state == "selected":
        img = plate(n, box, 5, [(0, (166, 182, 202)), (1, (196, 208, 222))], (70, 90, 118, 255),
                    None, inset_shadow=(30, 40, 60, 120))
        img = ink(img, g, (26, 44, 68, 255), (255, 255, 255, 120))
    else:
        img = plate(n, box, 5, [(0, (255, 255, 255)), (1, (240, 242, 245))], (120, 130, 142, 40),
                    None, alpha=40)
        img = ink(img, g, (150, 159, 170, 255))
    return down(img, n)


def make_button_set(folder, maker, grouped, bg_stops, notes):
    os.makedirs(folder, exist_ok=True)
    sections, x = [], 4
    main = [("NumOfButtons", len(ACTIONS)), ("ToolbarHeight", 40)]
    for i, action in enumerate(ACTIONS):
        if grouped and action in GROUP_STARTS:
            x += 6
        names = {}
        for state in ("normal", "mouseover", "inactive", "selected"):
            names[state] = "%s_%s.png" % (action, state)
            save_png(maker(action, state), os.path.join(folder, names[state]))
        sections.append(("Button-%d" % i, [
            ("Action", action), ("X", x), ("Y", 4), ("Width", 32), ("Height", 32),
            ("normalImage", names["normal"]), ("mouseoverImage", names["mouseover"]),
            ("inactiveImage", names["inactive"]), ("selectedImage", names["selected"])]))
        x += 32 + 4
    if bg_stops:
        save_bmp(vgradient((64, 40), bg_stops), os.path.join(folder, "bg.bmp"))
    write_ini(os.path.join(folder, "values.ini"), [("Main", main)] + sections)
