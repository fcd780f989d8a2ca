#!/usr/bin/python3
"""Renders the main window's world map, src/ui/resources/map.jpg (635 x 272 pixels).

The source is the Natural Earth I shaded-relief raster (public domain) that Debian ships in
the package python-cartopy-data. Land and sea are told apart by the raster's own colours, then
repainted in pale, calm tones: the main window writes blue bold text over the middle of the
map, and that text must stay easy to read.

Usage: /usr/bin/python3 tools/art/render_map.py [--out PATH] [--preview PATH]
--preview also writes a PNG with the main window's labels and the logo drawn on top, to judge
readability; it is not a resource.
"""

import argparse
import pathlib

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

REPO = pathlib.Path(__file__).resolve().parents[2]
SOURCE = pathlib.Path(
    "/usr/share/cartopy/data/raster/natural_earth/50-natural-earth-1-downsampled.png")

WIDTH, HEIGHT = 635, 272  # the main window's client area
# Plate carree with the seam at 169 W, in the Bering Strait, so that Asia and America both
# stay whole. Latitudes 84 N to 60 S keep Greenland and Tierra del Fuego and leave out
# Antarctica; the vertical scale is about 6 % larger than the horizontal one, which nobody sees.
WEST_EDGE = -169.0
NORTH, SOUTH = 84.0, -60.0

SEA_TOP = np.array([206, 222, 238], float)     # sea near the map's top and bottom edges
SEA_MIDDLE = np.array([226, 237, 247], float)  # sea near the equator, behind the text
LAND = np.array([244, 241, 231], float)        # warm paper colour
COAST = np.array([128, 158, 186], float)
GRATICULE = np.array([178, 200, 222], float)
GRID_STEP = 30  # degrees between graticule lines
GRID_SEA, GRID_LAND_LESS = 0.5, 0.3  # graticule strength over sea, and how much less on land
COAST_STRENGTH = 0.8
TINT, RELIEF = 0.3, 0.2  # how much of the raster's colour and hill shading shows on land
SCALE = 3  # the map is drawn three times larger and then reduced, for smooth coasts


def load_source():
    """The raster as floats, rolled to WEST_EDGE and cropped to NORTH..SOUTH."""
    raster = np.asarray(Image.open(SOURCE).convert("RGB"), dtype=float)
    per_degree = raster.shape[1] / 360.0
    raster = np.roll(raster, -int(round((WEST_EDGE + 180.0) * per_degree)), axis=1)
    top = int(round((90.0 - NORTH) * per_degree))
    bottom = int(round((90.0 - SOUTH) * per_degree))
    return raster[top:bottom]


def resample(channel, size, method=Image.Resampling.BOX):
    """One float channel, resized to size (width, height)."""
    image = Image.fromarray(channel.astype(np.float32), mode="F")
    return np.asarray(image.resize(size, method), dtype=float)


def land_share(raster):
    """0 for sea, 1 for land, in between along the coast.

    The raster paints water in one blue family (blue well above red); land, ice and desert
    have blue at most a little above red. Pixels between the two are coast pixels.
    """
    blueness = raster[..., 2] - raster[..., 0]
    return np.clip((75.0 - blueness) / 55.0, 0.0, 1.0)


def blur(values, sigma):
    """Gaussian blur of a float array, edges repeated."""
    radius = int(3 * sigma)
    kernel = np.exp(-0.5 * (np.arange(-radius, radius + 1) / sigma) ** 2)
    kernel /= kernel.sum()
    for axis in (0, 1):
        padded = np.pad(values, [(radius, radius) if a == axis else (0, 0) for a in (0, 1)],
                        mode="edge")
        values = np.apply_along_axis(np.convolve, axis, padded, kernel, mode="valid")
    return values


def smoothstep(low, high, value):
    t = np.clip((value - low) / (high - low), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def lightness(raster):
    return raster @ np.array([0.299, 0.587, 0.114])


def blend(base, colour, amount):
    return base * (1.0 - amount[..., None]) + colour * amount[..., None]


def graticule_layer(size):
    """Alpha of the graticule lines at the drawing size: one pixel wide."""
    width, height = size
    layer = Image.new("L", size, 0)
    draw = ImageDraw.Draw(layer)
    x_per_degree = width / 360.0
    y_per_degree = height / (NORTH - SOUTH)
    for lon in range(-180, 180, GRID_STEP):
        x = round(((lon - WEST_EDGE) % 360.0) * x_per_degree)
        draw.line([(x, 0), (x, height)], fill=255, width=SCALE)
    for lat in range(-90, 91, GRID_STEP):
        if SOUTH < lat < NORTH:
            y = round((NORTH - lat) * y_per_degree)
            draw.line([(0, y), (width, y)], fill=255, width=SCALE)
    return np.asarray(layer, dtype=float) / 255.0


def render():
    raster = load_source()
    size = (WIDTH * SCALE, HEIGHT * SCALE)
    height, width = size[1], size[0]

    # The coast: the land share enlarged smoothly, then pulled towards 0 and 1 so that the
    # raster's square pixels become round shapes; the coastline is the land's rim, two
    # drawing pixels (two thirds of a map pixel) wide.
    share = blur(resample(land_share(raster), size, Image.Resampling.BICUBIC), 0.6 * SCALE)
    land = smoothstep(0.4, 0.6, share)
    rim = Image.fromarray((land * 255).astype(np.uint8), mode="L")
    coast = (np.asarray(rim.filter(ImageFilter.MaxFilter(3)), dtype=float)
             - np.asarray(rim.filter(ImageFilter.MinFilter(3)), dtype=float)) / 255.0

    light = resample(lightness(raster), size, Image.Resampling.BICUBIC)
    colour = np.stack([resample(raster[..., c], size, Image.Resampling.BICUBIC)
                       for c in range(3)], axis=-1)

    # Sea: a soft vertical gradient, palest across the middle where the labels stand, with
    # a blurred trace of the raster's depth shading.
    rows = np.linspace(-1.0, 1.0, height)[:, None] * np.ones((1, width))
    sea = blend(np.broadcast_to(SEA_MIDDLE, (height, width, 3)).copy(), SEA_TOP,
                np.abs(rows) ** 1.6)
    depth = blur(np.clip((light - 170.0) / 25.0, -1.0, 1.0), 3.0 * SCALE)
    sea += depth[..., None] * 5.0

    # Land: paper colour, tinted a little by the raster's vegetation and desert colours and
    # shaded a little by its hill shading, so the continents keep some texture.
    tint = (colour - colour.mean(axis=-1, keepdims=True)) * TINT
    relief = (light - 215.0) * RELIEF
    ground = LAND + tint + relief[..., None]

    image = sea * (1.0 - land[..., None]) + ground * land[..., None]
    image = blend(image, GRATICULE, graticule_layer(size) * (GRID_SEA - GRID_LAND_LESS * land))
    image = blend(image, COAST, coast * COAST_STRENGTH)

    result = np.stack([resample(image[..., c], (WIDTH, HEIGHT)) for c in range(3)], axis=-1)
    return Image.fromarray(np.clip(np.rint(result), 0, 255).astype(np.uint8), mode="RGB")


def preview(picture, path):
    """The map with the main window's labels (13-pixel bold, blue) and the logo on top."""
    shown = picture.convert("RGBA")
    draw = ImageDraw.Draw(shown)
    font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 13)
    blue = (0, 0, 255)
    captions = [("Call / Prefix :", 85), ("Sort QSL under :", 115), ("QSL bureau :", 145),
                ("DXCC / WAE :", 175)]
    for text, top in captions:
        width = draw.textlength(text, font=font)
        draw.text((117 + 160 - width, top + 5), text, font=font, fill=blue)
    draw.rectangle([285, 83, 285 + 159, 83 + 23], fill=(192, 192, 192), outline=(128, 128, 128))
    draw.text((289, 88), "DL1ABC", font=font, fill=blue)
    answers = [("DL", 115), ("DARC QSL bureau", 145), ("Fed. Rep. of Germany", 175)]
    for text, top in answers:
        draw.text((285, top + 5), text, font=font, fill=blue)
    logo = REPO / "src" / "ui" / "resources" / "logo.png"
    if logo.exists():
        emblem = Image.open(logo).convert("RGBA")
        shown.alpha_composite(emblem, (3, HEIGHT - emblem.height - 3))
    shown.convert("RGB").save(path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=str(REPO / "src" / "ui" / "resources" / "map.jpg"))
    parser.add_argument("--preview")
    args = parser.parse_args()
    picture = render()
    assert picture.size == (WIDTH, HEIGHT)
    # Baseline JPEG without chroma subsampling: the thin coast and grid lines stay clean.
    picture.save(args.out, "JPEG", quality=92, subsampling=0, optimize=True)
    if args.preview:
        preview(picture, args.preview)


if __name__ == "__main__":
    main()
