#!/usr/bin/python3
"""Renders Vorn's own pictures into src/ui/resources/:

- logo.png (81 x 141, transparent): the emblem in the main window's lower left corner;
- icon.png (32 x 32) and icon-SIZE.png for the other sizes desktops ask for (16, 22, 24, 48,
  64, 128 and 256): the window and desktop icon;
- about.png (105 x 57): the picture of the about box.

Usage: /usr/bin/python3 tools/art/render_emblems.py [--out-dir DIR]
"""

import argparse
import pathlib

import emblem
from emblem import Canvas

REPO = pathlib.Path(__file__).resolve().parents[2]
# The sizes of the desktop icon; src/ui/resources/CMakeLists.txt installs each.
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def logo():
    """Waves over a mast that stands on the globe; a QSL card with the name across it."""
    c = Canvas(81, 141)
    tip_x, tip_y = 40.5, 27.0
    emblem.waves(c, tip_x, tip_y, radii=(8.0, 15.0, 22.0), spread=42, line_width=2.4)
    emblem.mast(c, tip_x, tip_y, base_y=80.0, base_half=11.0, line_width=2.0, braces=7)
    emblem.globe(c, 40.5, 103.5, 34.0, line_width=1.6)
    emblem.card(c, 3.0, 92.0, 78.0, 116.0, "VORN", text_height=14.0, line_width=1.3)
    emblem.halo(c, 2.0)
    return c.reduced()


def icon(size):
    """The same emblem without the card, for small sizes: globe, mast and two waves."""
    c = Canvas(size, size)
    u = size / 32.0  # design units: the 32-pixel icon
    tip_x, tip_y = 16.0 * u, 6.5 * u
    emblem.waves(c, tip_x, tip_y, radii=(4.2 * u, 8.0 * u), spread=38, line_width=1.6 * u)
    emblem.mast(c, tip_x, tip_y, base_y=18.0 * u, base_half=3.6 * u, line_width=1.2 * u,
                braces=3 if size < 64 else 5)
    emblem.globe(c, 16.0 * u, 23.0 * u, 8.6 * u, line_width=1.1 * u)
    return c.reduced()


def about():
    """A small QSL card: the emblem on the left, the name and what it does on the right."""
    c = Canvas(105, 57)
    layer, draw = c.layer()
    draw.rounded_rectangle(c.box(0.5, 0.5, 104.5, 56.5), radius=c.s(4), fill=emblem.CARD,
                           outline=emblem.CARD_EDGE, width=int(c.s(1.2)))
    # A signal-orange stripe along the bottom, as on many QSL cards.
    draw.rectangle(c.box(1.2, 49.0, 103.8, 51.0), fill=emblem.MAST)
    c.paste(layer)
    tip_x, tip_y = 21.0, 10.0
    emblem.waves(c, tip_x, tip_y, radii=(5.0, 9.5), spread=42, line_width=1.6)
    emblem.mast(c, tip_x, tip_y, base_y=26.0, base_half=5.0, line_width=1.4, braces=4)
    emblem.globe(c, 21.0, 33.0, 13.0, line_width=1.2)
    emblem.text(c, 70.0, 27.0, "VORN", cap_height=15.0, fill=emblem.TEXT_BLUE, anchor="ms")
    emblem.text(c, 70.0, 41.0, "QSL BUREAUS", cap_height=6.0, fill=emblem.NAVY, anchor="ms")
    return c.reduced()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out-dir", default=str(REPO / "src" / "ui" / "resources"))
    args = parser.parse_args()
    out = pathlib.Path(args.out_dir)
    pictures = {
        "logo.png": (logo(), (81, 141)),
        "icon.png": (icon(32), (32, 32)),
        "about.png": (about(), (105, 57)),
    }
    for size in ICON_SIZES:
        if size != 32:
            pictures[f"icon-{size}.png"] = (icon(size), (size, size))
    for name, (picture, size) in pictures.items():
        assert picture.size == size, (name, picture.size)
        picture.save(out / name, optimize=True)


if __name__ == "__main__":
    main()
