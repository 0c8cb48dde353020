#!/usr/bin/python3
"""Draws the bitmaps and icons of setup, uninst and Cartopia and writes them into the
resource folders (setup/res, uninst/res, quiz/res).

Everything is drawn from simple shapes and gradients, so the output is the same on every
run. Usage: /usr/bin/python3 tools/images/make_images.py [repository root]

The files are written by our own BMP and ICO writers: Windows resource compilers and
LoadBitmap/LoadIcon want plain palettized images (uncompressed, bottom-up, BITMAPINFOHEADER,
XOR bitmap followed by the 1-bit AND mask), not PNG data inside the icon.
"""

import os
import struct
import sys

import numpy as np
from PIL import Image, ImageDraw, features

SS = 8  # supersampling factor used for anti-aliased drawing


# ---------------------------------------------------------------- colours

def rgb(hex_text):
    hex_text = hex_text.lstrip("#")
    return tuple(int(hex_text[i:i + 2], 16) for i in (0, 2, 4))


NAVY = rgb("0A2456")
TEAL = rgb("0E7F88")
BOX_TOP = (rgb("C9F1F5"), rgb("7ED2DF"))
BOX_LEFT = (rgb("3C8FD0"), rgb("2569AE"))
BOX_RIGHT = (rgb("22558F"), rgb("163A6C"))
BOX_LINE = rgb("0D2648")
AMBER = (rgb("FFD15C"), rgb("F39A12"))
AMBER_LINE = rgb("8A4B00")

# The 16 colours of the standard Windows palette, in their usual order.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
(V_BLACK, V_MAROON, V_GREEN, V_OLIVE, V_NAVY, V_PURPLE, V_TEAL, V_SILVER,
 V_GRAY, V_RED, V_LIME, V_YELLOW, V_BLUE, V_FUCHSIA, V_AQUA, V_WHITE) = range(16)
V_CLEAR = 16  # "no pixel" in the indexed canvas
TOP16, TAPE16 = V_AQUA, V_SILVER  # faces of the 16-colour box


# ---------------------------------------------------------------- true-colour canvas

class Canvas:
    """Premultiplied RGBA surface, drawn at SS times the target size and averaged down."""

    def __init__(self, width, height, background=None):
        self.w, self.h = width, height
        self.color = np.zeros((height * SS, width * SS, 3))
        self.alpha = np.zeros((height * SS, width * SS))
        ys, xs = np.mgrid[0:height * SS, 0:width * SS]
        # coordinates of the sample centres in target pixels
        self.x = (xs + 0.5) / SS
        self.y = (ys + 0.5) / SS
        if background is not None:
            self.color[:] = np.array(background, float)
            self.alpha[:] = 1.0

    def mask(self, draw_shape):
        """Coverage mask (0..1) of a shape drawn with PIL in target coordinates."""
        img = Image.new("L", (self.w * SS, self.h * SS), 0)
        draw_shape(ImageDraw.Draw(img), lambda pts: [(px * SS, py * SS) for px, py in pts])
        return np.asarray(img, float) / 255.0

    def paint(self, cover, paint, opacity=1.0):
        """Composites `paint` (an RGB tuple or an HxWx3 array) over the canvas where `cover` says."""
        a = cover * opacity
        src = np.broadcast_to(np.asarray(paint, float), self.color.shape)
        self.color = src * a[..., None] + self.color * (1 - a[..., None])
        self.alpha = a + self.alpha * (1 - a)

    # shapes -------------------------------------------------------------

    def polygon_mask(self, pts):
        return self.mask(lambda d, s: d.polygon(s(pts), fill=255))

    def ellipse_mask(self, cx, cy, rx, ry):
        return self.mask(lambda d, s: d.ellipse(
            [coord for p in s([(cx - rx, cy - ry), (cx + rx, cy + ry)]) for coord in p], fill=255))

    def stroke_mask(self, pts, width, closed=True):
        """Mask of a line through the points with round joints and ends."""
        def draw(d, s):
            p = s(list(pts) + ([pts[0]] if closed else []))
            d.line(p, fill=255, width=max(1, int(round(width * SS))), joint="curve")
            r = width * SS / 2
            for px, py in p:
                d.ellipse([px - r, py - r, px + r, py + r], fill=255)
        return self.mask(draw)

    # paints -------------------------------------------------------------

    def linear(self, c0, c1, p0, p1):
        """Linear gradient from colour c0 at point p0 to c1 at point p1."""
        dx, dy = p1[0] - p0[0], p1[1] - p0[1]
        t = ((self.x - p0[0]) * dx + (self.y - p0[1]) * dy) / float(dx * dx + dy * dy)
        t = np.clip(t, 0, 1)[..., None]
        return np.array(c0, float) * (1 - t) + np.array(c1, float) * t

    def radial(self, c0, c1, cx, cy, r):
        t = np.clip(np.hypot(self.x - cx, self.y - cy) / r, 0, 1)[..., None]
        return np.array(c0, float) * (1 - t) + np.array(c1, float) * t

    def result(self):
        """Averages the samples down; returns (rgb uint8 HxWx3, alpha float HxW)."""
        def down(a):
            shape = (self.h, SS, self.w, SS) + a.shape[2:]
            return a.reshape(shape).mean(axis=(1, 3))
        color, alpha = down(self.color), down(self.alpha)
        with np.errstate(invalid="ignore", divide="ignore"):
            straight = np.where(alpha[..., None] > 0, color / alpha[..., None], 0)
        return np.clip(np.round(straight), 0, 255).astype(np.uint8), alpha


# ---------------------------------------------------------------- indexed (16-colour) canvas

class IndexCanvas:
    """Draws with palette indices at SS times the size; each pixel takes the index that
    covers most of it, so no colour outside the palette ever appears."""

    def __init__(self, width, height):
        self.w, self.h = width, height
        self.img = Image.new("L", (width * SS, height * SS), V_CLEAR)
        self.draw = ImageDraw.Draw(self.img)

    def _s(self, pts):
        return [(px * SS, py * SS) for px, py in pts]

    def polygon(self, pts, index):
        self.draw.polygon(self._s(pts), fill=index)

    def ellipse(self, cx, cy, rx, ry, index):
        self.draw.ellipse([(cx - rx) * SS, (cy - ry) * SS, (cx + rx) * SS - 1, (cy + ry) * SS - 1],
                          fill=index)

    def stroke(self, pts, width, index, closed=True):
        p = self._s(list(pts) + ([pts[0]] if closed else []))
        self.draw.line(p, fill=index, width=int(round(width * SS)), joint="curve")
        r = width * SS / 2
        for px, py in p:
            self.draw.ellipse([px - r, py - r, px + r, py + r], fill=index)

    def result(self):
        a = np.asarray(self.img).reshape(self.h, SS, self.w, SS).transpose(0, 2, 1, 3)
        a = a.reshape(self.h, self.w, SS * SS)
        counts = np.stack([(a == i).sum(axis=2) for i in range(17)], axis=2)
        return counts.argmax(axis=2)  # ties go to the lower index, i.e. the darker colour


# ---------------------------------------------------------------- the box motif

def box_geometry(x0, y0, width, depth, height):
    """Corners of an isometric box: (x0, y0) is the top left of its bounding rectangle,
    depth the height of the top face, height that of the side faces."""
    cx, mid = x0 + width / 2.0, y0 + depth / 2.0
    g = {
        "T": (cx, y0), "L": (x0, mid), "R": (x0 + width, mid), "F": (cx, y0 + depth),
        "Lb": (x0, mid + height), "Rb": (x0 + width, mid + height), "Fb": (cx, y0 + depth + height),
    }
    g["top"] = [g["T"], g["R"], g["F"], g["L"]]
    g["left"] = [g["L"], g["F"], g["Fb"], g["Lb"]]
    g["right"] = [g["F"], g["R"], g["Rb"], g["Fb"]]
    g["outline"] = [g["T"], g["R"], g["Rb"], g["Fb"], g["Lb"], g["L"]]
    return g


def down_arrow(cx, tip_y, length, head_w, shaft_w, head_h):
    """Points of an arrow pointing down with its tip at (cx, tip_y)."""
    top = tip_y - length
    neck = tip_y - head_h
    return [(cx - shaft_w / 2, top), (cx + shaft_w / 2, top), (cx + shaft_w / 2, neck),
            (cx + head_w / 2, neck), (cx, tip_y), (cx - head_w / 2, neck),
            (cx - shaft_w / 2, neck)]


def up_arrow(cx, tip_y, length, head_w, shaft_w, head_h):
    return [(x, 2 * tip_y - y) for x, y in down_arrow(cx, tip_y, length, head_w, shaft_w, head_h)]


def draw_box(c, g, line_w, tape=True):
    """The coloured box with dark outline on a true-colour canvas."""
    x0, y0 = g["L"][0], g["T"][1]
    x1, y1 = g["R"][0], g["Fb"][1]
    if line_w:
        c.paint(c.stroke_mask(g["outline"], line_w * 2), BOX_LINE)
    c.paint(c.polygon_mask(g["left"]), c.linear(*BOX_LEFT, (x0, y0), (x0, y1)))
    c.paint(c.polygon_mask(g["right"]), c.linear(*BOX_RIGHT, (x1, y0), (x1, y1)))
    c.paint(c.polygon_mask(g["top"]), c.linear(*BOX_TOP, g["T"], g["F"]))
    if tape:
        c.paint(c.polygon_mask(_tape(g, 0.12)), rgb("F4E7C4"), 0.85)
    if line_w:
        c.paint(c.stroke_mask([g["L"], g["F"], g["R"]], line_w * 0.7, closed=False), BOX_LINE, 0.8)
        c.paint(c.stroke_mask([g["F"], g["Fb"]], line_w * 0.7, closed=False), BOX_LINE, 0.8)


def _tape(g, w):
    """A strip of tape across the middle of the top face, from the back-right edge
    to the front-left one."""
    def lerp(a, b, t):
        return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)
    return [lerp(g["T"], g["R"], 0.5 - w), lerp(g["T"], g["R"], 0.5 + w),
            lerp(g["L"], g["F"], 0.5 + w), lerp(g["L"], g["F"], 0.5 - w)]


def draw_arrow(c, pts, line_w, top_y, bottom_y):
    if line_w:
        c.paint(c.stroke_mask(pts, line_w * 2), AMBER_LINE)
    c.paint(c.polygon_mask(pts), c.linear(*AMBER, (0, top_y), (0, bottom_y)))


# ---------------------------------------------------------------- setup images

def make_side():
    """Tall image at the left of the welcome and finish pages, 144 x 324."""
    w, h = 144, 324
    c = Canvas(w, h)
    c.paint(np.ones((h * SS, w * SS)), c.linear(NAVY, TEAL, (0, 0), (w * 0.35, h)))
    # soft light behind the motif and a few rings, like the grooves of a disc
    cx, cy = 72, 196
    glow = np.clip(1 - np.hypot(c.x - cx, c.y - cy) / 120, 0, 1) ** 2
    c.paint(glow, rgb("4FD1D9"), 0.35)
    for r, op in ((58, 0.10), (82, 0.08), (108, 0.06), (136, 0.05), (166, 0.04)):
        ring = c.ellipse_mask(cx, cy, r, r) - c.ellipse_mask(cx, cy, r - 1.2, r - 1.2)
        c.paint(np.clip(ring, 0, 1), (255, 255, 255), op)
    # a few small sparkles in the upper part
    for sx, sy, sr, op in ((28, 40, 2.0, 0.35), (110, 70, 1.4, 0.30), (52, 104, 1.1, 0.25),
                           (120, 26, 1.0, 0.25), (20, 150, 1.2, 0.20)):
        c.paint(c.ellipse_mask(sx, sy, sr, sr), (255, 255, 255), op)
    # shadow under the box
    c.paint(c.ellipse_mask(cx, 246, 54, 10), rgb("05223F"), 0.30)
    # the box, in light glassy tones on the dark background
    g = box_geometry(26, 154, 92, 40, 52)
    c.paint(c.polygon_mask(g["left"]), c.linear(rgb("F2FAFF"), rgb("C6DDEF"), (0, 180), (0, 250)))
    c.paint(c.polygon_mask(g["right"]), c.linear(rgb("A9CDE6"), rgb("7FA9CC"), (0, 180), (0, 250)))
    c.paint(c.polygon_mask(g["top"]), c.linear(rgb("FFFFFF"), rgb("DDF4F6"), g["T"], g["F"]))
    c.paint(c.polygon_mask(_tape(g, 0.12)), rgb("F5D27A"), 0.55)
    c.paint(c.stroke_mask([g["L"], g["F"], g["R"]], 0.9, closed=False), rgb("FFFFFF"), 0.9)
    c.paint(c.stroke_mask([g["F"], g["Fb"]], 0.9, closed=False), rgb("FFFFFF"), 0.6)
    # arrow coming down into the box
    arrow = down_arrow(cx, 176, 84, 44, 18, 24)
    c.paint(c.stroke_mask(arrow, 3.0), rgb("05223F"), 0.25)
    draw_arrow(c, arrow, 0, 92, 176)
    c.paint(c.stroke_mask(arrow, 1.0), rgb("FFF3D0"), 0.7)
    return c


def make_header():
    """Small image at the top right of the inner pages, 64 x 64, on the white band."""
    c = Canvas(64, 64, background=(255, 255, 255))
    c.paint(c.ellipse_mask(34, 57, 22, 3.5), rgb("9AA7B5"), 0.35)
    g = box_geometry(12, 18, 42, 18, 24)
    draw_box(c, g, 0.8)
    arrow = down_arrow(33, 34, 30, 20, 8, 11)
    draw_arrow(c, arrow, 0.8, 4, 34)
    return c


def setup_icon(size):
    c = Canvas(size, size)
    if size <= 16:
        draw_box(c, box_geometry(0.5, 3.5, 15, 6, 6.5), 0.7, tape=False)
        draw_arrow(c, down_arrow(8, 8.6, 8.0, 10.0, 4.0, 4.8), 0.7, 0.6, 8.6)
        return c
    k = size / 32.0
    draw_box(c, box_geometry(1 * k, 5 * k, 30 * k, 13 * k, 13.3 * k), 0.8 * k if size < 48 else 1.0)
    draw_arrow(c, down_arrow(16 * k, 13 * k, 12.4 * k, 14 * k, 6 * k, 7 * k), 0.8 * k, 0.6 * k, 13 * k)
    return c


# ---------------------------------------------------------------- uninstaller icons (16 colours)

def uninst_box(ic, g):
    ic.stroke(g["outline"], 1.6, V_BLACK)
    ic.polygon(g["left"], V_BLUE)
    ic.polygon(g["right"], V_NAVY)
    ic.polygon(g["top"], TOP16)
    ic.polygon(_tape(g, 0.12), TAPE16)
    ic.stroke([g["L"], g["F"], g["R"]], 1.0, V_BLACK, closed=False)
    ic.stroke([g["F"], g["Fb"]], 1.0, V_BLACK, closed=False)


def make_uninst_icon():
    """Dialog icon: the package with a red minus sign."""
    ic = IndexCanvas(32, 32)
    uninst_box(ic, box_geometry(1, 4, 28, 12, 13))
    ic.ellipse(23.5, 23.5, 8.5, 8.5, V_BLACK)
    ic.ellipse(23.5, 23.5, 7.2, 7.2, V_RED)
    ic.polygon([(18.5, 22.0), (28.5, 22.0), (28.5, 25.0), (18.5, 25.0)], V_WHITE)
    return ic


def make_uninst_shell_icon():
    """Shell icon: the package with a red arrow leaving it, the opposite of the installer's."""
    ic = IndexCanvas(32, 32)
    uninst_box(ic, box_geometry(1, 5, 30, 13, 13.3))
    arrow = up_arrow(16, 1.0, 12.4, 14, 6, 7)
    ic.stroke(arrow, 1.6, V_BLACK)
    ic.polygon(arrow, V_RED)
    return ic


# ---------------------------------------------------------------- quiz icon

# An outline of the French mainland drawn as a rounded hexagon, in a 0..1 frame.
HEXAGON = [
    (0.47, 0.02), (0.62, 0.10), (0.82, 0.18), (0.97, 0.27), (0.93, 0.44), (0.87, 0.56),
    (0.92, 0.72), (0.86, 0.86), (0.70, 0.88), (0.58, 0.98), (0.40, 0.96), (0.22, 0.92),
    (0.23, 0.78), (0.14, 0.60), (0.16, 0.46), (0.03, 0.37), (0.05, 0.28), (0.24, 0.25),
    (0.32, 0.10),
]


def make_quiz_icon(size):
    c = Canvas(size, size)
    k = size / 48.0
    # sea: a round globe in light blue
    cx, cy, r = 24 * k, 25 * k, 22.5 * k
    c.paint(c.ellipse_mask(cx, cy, r, r), rgb("1B4E8C"))
    c.paint(c.ellipse_mask(cx, cy, r - 1.3 * k, r - 1.3 * k),
            c.radial(rgb("BFEAFA"), rgb("4EA6DD"), cx - 7 * k, cy - 8 * k, 30 * k))
    # the hexagon, green with a darker edge
    x0, y0, s = 7 * k, 9 * k, 33 * k
    land = [(x0 + u * s, y0 + v * s) for u, v in HEXAGON]
    c.paint(c.stroke_mask(land, 1.6 * k if size >= 48 else 1.4), rgb("1E5E2A"))
    c.paint(c.polygon_mask(land), c.linear(rgb("9BDB6A"), rgb("3E9A3E"), (x0, y0), (x0 + s, y0 + s)))
    # map pin standing in the north of the land, with its shadow
    px, tip = 27 * k, 26 * k
    c.paint(c.ellipse_mask(px, tip, 4.5 * k, 1.6 * k), rgb("123C1A"), 0.45)
    pr = 8.0 * k
    pcy = tip - 13 * k
    pin = [(px - pr * 0.80, pcy + pr * 0.60), (px, tip), (px + pr * 0.80, pcy + pr * 0.60)]
    line = 1.3 * k if size >= 48 else 1.1
    c.paint(c.ellipse_mask(px, pcy, pr + line, pr + line), rgb("6E0F12"))
    c.paint(c.stroke_mask(pin, line * 2), rgb("6E0F12"))
    body = np.maximum(c.ellipse_mask(px, pcy, pr, pr), c.polygon_mask(pin))
    c.paint(body, c.radial(rgb("FF7A6E"), rgb("C8171E"), px - 3 * k, pcy - 3 * k, 11 * k))
    c.paint(c.ellipse_mask(px, pcy, 3.2 * k, 3.2 * k), (255, 255, 255))
    return c


# ---------------------------------------------------------------- quantisation

def quantize(rgb_pixels, colours):
    """Adaptive palette of at most `colours` entries; returns (indices HxW, palette list)."""
    img = Image.fromarray(rgb_pixels, "RGB")
    distinct = img.getcolors(1 << 16)
    if distinct is not None and len(distinct) <= colours:
        palette = sorted(col for _, col in distinct)
        lookup = {col: i for i, col in enumerate(palette)}
        flat = rgb_pixels.reshape(-1, 3)
        idx = np.array([lookup[tuple(p)] for p in map(tuple, flat)]).reshape(rgb_pixels.shape[:2])
        return idx, palette
    if features.check("libimagequant"):
        # finer palettes for the gradients; median cut bands visibly on them
        q = img.quantize(colors=colours, method=Image.Quantize.LIBIMAGEQUANT, dither=Image.Dither.NONE)
    else:
        q = img.quantize(colors=colours, method=Image.Quantize.MEDIANCUT, kmeans=3,
                         dither=Image.Dither.NONE)
    pal = q.getpalette()[:3 * colours]
    palette = [tuple(pal[i:i + 3]) for i in range(0, len(pal), 3)]
    return np.asarray(q, dtype=np.int64), palette


def canvas_to_indexed_opaque(canvas):
    pixels, _ = canvas.result()
    return quantize(pixels, 256)


def canvas_to_icon_image(canvas):
    """8-bit icon image: index 0 is black and is used for the transparent pixels."""
    pixels, alpha = canvas.result()
    opaque = alpha >= 0.5
    if opaque.any():
        sel = pixels[opaque].reshape(-1, 1, 3)
        idx, palette = quantize(sel, 255)
        full = np.zeros(alpha.shape, np.int64)
        full[opaque] = idx.reshape(-1) + 1
    else:
        full, palette = np.zeros(alpha.shape, np.int64), []
    return full, [(0, 0, 0)] + palette, opaque


# ---------------------------------------------------------------- file writers

def _rows_bottom_up(indices, bpp):
    h, w = indices.shape
    stride = ((w * bpp + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            v = int(indices[y, x])
            if bpp == 8:
                row[x] = v
            elif bpp == 4:
                row[x >> 1] |= (v & 15) << (4 if x % 2 == 0 else 0)
            else:  # 1 bit
                if v:
                    row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


def _palette_bytes(palette, count):
    pal = list(palette) + [(0, 0, 0)] * (count - len(palette))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal[:count])


def bmp_bytes(indices, palette):
    """Uncompressed bottom-up 8-bit BMP with a 256-entry colour table."""
    h, w = indices.shape
    bits = _rows_bottom_up(indices, 8)
    colours = _palette_bytes(palette, 256)
    offset = 14 + 40 + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(bits), 2835, 2835, 256, 0)
    return header + info + colours + bits


def icon_image_bytes(indices, palette, opaque, bpp):
    """One icon image: BITMAPINFOHEADER (double height), colour table, XOR bits, AND mask."""
    h, w = indices.shape
    xor = _rows_bottom_up(np.where(opaque, indices, 0), bpp)
    mask = _rows_bottom_up(~opaque, 1)
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bpp, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + _palette_bytes(palette, 1 << bpp) + xor + mask


def ico_bytes(images):
    """images: list of (indices, palette, opaque mask, bits per pixel)."""
    blobs = [icon_image_bytes(*img) for img in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (indices, _, _, bpp), blob in zip(images, blobs):
        h, w = indices.shape
        colour_count = 0 if bpp >= 8 else 1 << bpp
        out += struct.pack("<BBBBHHII", w & 255, h & 255, colour_count, 0, 1, bpp,
                           len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def icon8(canvas):
    idx, pal, opaque = canvas_to_icon_image(canvas)
    return idx, pal, opaque, 8


def icon4(index_canvas):
    idx = index_canvas.result()
    opaque = idx != V_CLEAR
    return np.where(opaque, idx, 0), VGA16, opaque, 4


# ---------------------------------------------------------------- main

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (path, len(data)))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", ".."))

    write(os.path.join(root, "setup/res/side.bmp"), bmp_bytes(*canvas_to_indexed_opaque(make_side())))
    write(os.path.join(root, "setup/res/header.bmp"), bmp_bytes(*canvas_to_indexed_opaque(make_header())))
    write(os.path.join(root, "setup/res/setup.ico"),
          ico_bytes([icon8(setup_icon(s)) for s in (48, 32, 16)]))

    write(os.path.join(root, "uninst/res/uninst.ico"), ico_bytes([icon4(make_uninst_icon())]))
    write(os.path.join(root, "uninst/res/uninst_shell.ico"), ico_bytes([icon4(make_uninst_shell_icon())]))

    write(os.path.join(root, "quiz/res/cartopia.ico"),
          ico_bytes([icon8(make_quiz_icon(s)) for s in (48, 32)]))


if __name__ == "__main__":
    main()
