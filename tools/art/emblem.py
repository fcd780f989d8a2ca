"""Drawing pieces of the Vorn emblem: a globe, a lattice mast standing on it, radio waves
leaving the mast's tip, and a QSL card with the program's name across the globe.

Everything is drawn on a canvas SCALE times larger than the picture and then reduced, which
gives smooth edges without any anti-aliasing support in the drawing calls. Coordinates given to
these functions are in picture pixels (floats); the functions scale them.
"""

import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

SCALE = 8
BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"  # fonts-dejavu-core

NAVY = (20, 52, 110, 255)
GLOBE_LIGHT = (104, 170, 232)
GLOBE_DARK = (22, 72, 148)
GRID = (255, 255, 255, 110)
MAST = (226, 96, 34, 255)       # signal orange
MAST_DARK = (168, 62, 18, 255)
WAVE = (226, 96, 34, 255)
CARD = (255, 255, 255, 255)
CARD_EDGE = (20, 52, 110, 255)
TEXT_BLUE = (0, 0, 200, 255)
HALO = (255, 255, 255, 200)


class Canvas:
    """An RGBA canvas of a picture's size times SCALE."""

    def __init__(self, width, height, background=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.image = Image.new("RGBA", (width * SCALE, height * SCALE), background)

    def s(self, value):
        return value * SCALE

    def pt(self, x, y):
        return (x * SCALE, y * SCALE)

    def box(self, left, top, right, bottom):
        return [left * SCALE, top * SCALE, right * SCALE, bottom * SCALE]

    def layer(self):
        """A new transparent layer of the canvas's size, with a drawing context."""
        image = Image.new("RGBA", self.image.size, (0, 0, 0, 0))
        return image, ImageDraw.Draw(image)

    def paste(self, layer):
        self.image.alpha_composite(layer)

    def reduced(self):
        """The picture at its real size; the reduction works on premultiplied colours, so
        transparent pixels lend no colour to the edges."""
        small = self.image.convert("RGBa").resize((self.width, self.height),
                                                  Image.Resampling.LANCZOS)
        return small.convert("RGBA")


def halo(canvas, radius):
    """A soft white rim around everything drawn so far, so the emblem stands out on the map."""
    alpha = canvas.image.getchannel("A")
    grown = alpha.filter(ImageFilter.MaxFilter(2 * int(canvas.s(radius)) + 1))
    grown = grown.filter(ImageFilter.GaussianBlur(canvas.s(radius) / 2))
    rim = Image.new("RGBA", canvas.image.size, HALO[:3] + (0,))
    rim.putalpha(grown.point(lambda v: v * HALO[3] // 255))
    rim.alpha_composite(canvas.image)
    canvas.image = rim


def globe(canvas, cx, cy, radius, line_width):
    """A shaded sphere with meridians and parallels, and a dark outline."""
    size = int(canvas.s(2 * radius)) + 2
    yy, xx = np.mgrid[0:size, 0:size].astype(float)
    centre = (size - 1) / 2.0
    r = canvas.s(radius)
    # Light from the upper left: the shade follows the distance from a highlight point.
    hx, hy = centre - 0.38 * r, centre - 0.42 * r
    light = np.clip(np.hypot(xx - hx, yy - hy) / (1.45 * r), 0.0, 1.0) ** 1.2
    colour = (np.array(GLOBE_LIGHT, float) * (1.0 - light[..., None])
              + np.array(GLOBE_DARK, float) * light[..., None])
    inside = np.hypot(xx - centre, yy - centre) <= r
    rgba = np.zeros((size, size, 4), np.uint8)
    rgba[..., :3] = np.clip(colour, 0, 255).astype(np.uint8)
    rgba[..., 3] = np.where(inside, 255, 0)
    sphere = Image.fromarray(rgba, mode="RGBA")
    layer, draw = canvas.layer()
    layer.paste(sphere, (int(canvas.s(cx) - centre), int(canvas.s(cy) - centre)))

    # Meridians (a line and ellipses of shrinking width) and parallels, cut to the sphere.
    lines, lines_draw = canvas.layer()
    w = max(1, int(canvas.s(line_width * 0.6)))
    lines_draw.line([canvas.pt(cx, cy - radius), canvas.pt(cx, cy + radius)], fill=GRID, width=w)
    for share in (0.5, 0.87):
        half = radius * share
        lines_draw.ellipse(canvas.box(cx - half, cy - radius, cx + half, cy + radius),
                           outline=GRID, width=w)
    for lat in (-50, -25, 0, 25, 50):
        y = cy - radius * math.sin(math.radians(lat))
        half = radius * math.cos(math.radians(lat))
        lines_draw.line([canvas.pt(cx - half, y), canvas.pt(cx + half, y)], fill=GRID, width=w)
    mask = Image.new("L", canvas.image.size, 0)
    ImageDraw.Draw(mask).ellipse(canvas.box(cx - radius, cy - radius, cx + radius, cy + radius),
                                 fill=255)
    lines.putalpha(Image.fromarray(np.minimum(np.asarray(lines.getchannel("A")),
                                              np.asarray(mask)).astype(np.uint8)))
    layer.alpha_composite(lines)

    draw.ellipse(canvas.box(cx - radius, cy - radius, cx + radius, cy + radius), outline=NAVY,
                 width=max(1, int(canvas.s(line_width))))
    canvas.paste(layer)


def mast(canvas, tip_x, tip_y, base_y, base_half, line_width, braces=6):
    """A tapering lattice mast: two legs, zigzag braces, a small ball on the tip."""
    layer, draw = canvas.layer()
    w = max(1, int(canvas.s(line_width)))
    left = [(tip_x - 0.8, tip_y), (tip_x - base_half, base_y)]
    right = [(tip_x + 0.8, tip_y), (tip_x + base_half, base_y)]

    def at(leg, t):
        (x0, y0), (x1, y1) = leg
        return (x0 + (x1 - x0) * t, y0 + (y1 - y0) * t)

    points = []
    for i in range(braces + 1):
        t = i / braces
        points.append(at(left if i % 2 == 0 else right, t))
    draw.line([canvas.pt(*p) for p in points], fill=MAST, width=max(1, int(w * 0.7)),
              joint="curve")
    for leg in (left, right):
        draw.line([canvas.pt(*leg[0]), canvas.pt(*leg[1])], fill=MAST_DARK, width=w)
    ball = line_width * 1.3
    draw.ellipse(canvas.box(tip_x - ball, tip_y - ball, tip_x + ball, tip_y + ball), fill=MAST)
    canvas.paste(layer)


def waves(canvas, cx, cy, radii, spread, line_width):
    """Arcs on both sides of a point, as radio waves leaving an antenna."""
    layer, draw = canvas.layer()
    w = max(1, int(canvas.s(line_width)))
    for r in radii:
        box = canvas.box(cx - r, cy - r, cx + r, cy + r)
        draw.arc(box, -spread, spread, fill=WAVE, width=w)
        draw.arc(box, 180 - spread, 180 + spread, fill=WAVE, width=w)
    canvas.paste(layer)


def card(canvas, left, top, right, bottom, text, text_height, line_width, corner=3.0):
    """A white QSL card with a navy edge and the text centred on it, in bold capitals."""
    layer, draw = canvas.layer()
    # A faint shadow below and to the right.
    draw.rounded_rectangle(canvas.box(left + 1, top + 1.2, right + 1, bottom + 1.2),
                           radius=canvas.s(corner), fill=(0, 0, 0, 60))
    draw.rounded_rectangle(canvas.box(left, top, right, bottom), radius=canvas.s(corner),
                           fill=CARD, outline=CARD_EDGE, width=max(1, int(canvas.s(line_width))))
    font = fitted_font(draw, text, canvas.s(text_height), canvas.s(right - left - 6))
    _, glyph_top, _, glyph_bottom = draw.textbbox((0, 0), text, font=font, anchor="ls")
    centre_x = canvas.s((left + right) / 2)
    baseline = canvas.s((top + bottom) / 2) - (glyph_top + glyph_bottom) / 2
    draw.text((centre_x, baseline), text, font=font, fill=TEXT_BLUE, anchor="ms")
    canvas.paste(layer)


def fitted_font(draw, text, cap_height, max_width):
    """The bold font at the size whose capitals are cap_height high, narrowed to max_width."""
    size = int(cap_height / 0.73)
    while size > 4:
        font = ImageFont.truetype(BOLD_FONT, size)
        if draw.textlength(text, font=font) <= max_width:
            return font
        size -= 1
    return ImageFont.truetype(BOLD_FONT, size)


def text(canvas, x, baseline, words, cap_height, fill, anchor="ls"):
    layer, draw = canvas.layer()
    font = ImageFont.truetype(BOLD_FONT, int(canvas.s(cap_height) / 0.73))
    draw.text(canvas.pt(x, baseline), words, font=font, fill=fill, anchor=anchor)
    canvas.paste(layer)
