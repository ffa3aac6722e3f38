#!/usr/bin/env python3
"""Draws every bitmap and the icon of Morvane.exe.

Run from anywhere: `python3 app/res/make_bitmaps.py` rewrites app/res/bitmaps/*.bmp
and app/res/morvane.ico. Only the standard library is used and no floating-point
function other than sqrt, so the output is byte-identical on every run.

The look: a deep blue title band carrying the product mark, tab-shaped page
buttons in that band, and the page colour (222, 238, 244) below it. Pure magenta
(255, 0, 255) marks see-through pixels (window corners, title-bar button
backgrounds); every anti-aliased edge next to magenta is blended with the colour
the window shows there instead, so no pink fringe appears.

The Chinese captions use glyph bitmaps of GNU Unifont 15.0.01 (dual-licensed
under the GNU GPL 2+ with the font embedding exception and the SIL Open Font
License 1.1); everything else is drawn here.
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.join(HERE, "bitmaps")

MAGENTA = (255, 0, 255)
PAGE = (222, 238, 244)
BORDER = (16, 62, 108)
HEADER_TOP = (18, 78, 134)
HEADER_BOTTOM = (56, 134, 192)
HEADER_END = 118  # first row of the top band drawn in the page colour
WHITE = (255, 255, 255)
INK = (24, 70, 120)

# 16 x 16 glyphs, one hex row of 4 digits per pixel row.
GLYPHS = {
    "木": "01000100010001007FFC03800540054009201110210841048102010001000100",
    "马": "00007FE0002000201020102010201FFC000400040004FFE40004000400280010",
    "扫": "1000100013FC1004FC041004100415FC18043004D0041004100413FC50042000",
    "描": "1088108813FE1088FC88100011FC152419243124D1FC11241124112451FC2104",
    "挂": "1020102011FC1020FC20102013FE100018203020D1FC10201020102053FE2000",
    "清": "2040104017FC004083F840404FFE080013F8120813F8E20823F8220822280210",
    "除": "00007840484050A05110620855F6484048404BFC684051504248444441444080",
    "网": "00007FFC40044004421452944A54442444244A544A5452946104400440144008",
    "络": "1080108020F821084B10FCA0104020A04118FA0645F801081908E10841F80108",
    "连": "0040204017FE108000A00120F3FC10201020102017FE10201020282047FE0000",
    "接": "1080104013FC1000FD08109017FE1040184037FED08811081090106051982604",
    "开": "00007FFC08200820082008200820FFFE08200820082008201020102020204020",
    "关": "10100810082000003FF8010001000100FFFE010002800280044008203018C006",
    "机": "100011F011101110FD10111031103910551055109110111211121212120E1400",
    "记": "0000200011F8100800080008F00811F811081100110011001502190210FE0000",
    "录": "00003FF0001000101FF000100010FFFE010021081190056009203118C5060200",
    "站": "1020082008207E20003E04204420442025FC290429040F04F104410401FC0104",
    "查": "01000100FFFE0540092011103FF8D01610101FF0101010101FF00000FFFE0000",
    "杀": "00081810066001800660181861040100FFFE0100112011102108210445040200",
    "工": "000000007FFC0100010001000100010001000100010001000100FFFE00000000",
    "具": "00001FF0101010101FF010101FF010101FF010101010FFFE0440082010102008",
}


def mix(a, b, t):
    """Colour a moved towards b by t (0..1)."""
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


class Canvas:
    def __init__(self, width, height, colour):
        self.w, self.h = width, height
        self.px = [tuple(float(c) for c in colour)] * (width * height)

    def get(self, x, y):
        return self.px[y * self.w + x]

    def put(self, x, y, colour, alpha=1.0):
        if 0 <= x < self.w and 0 <= y < self.h and alpha > 0.0:
            i = y * self.w + x
            self.px[i] = mix(self.px[i], colour, alpha) if alpha < 1.0 else tuple(colour)

    def fill(self, x0, y0, x1, y1, colour_at):
        """Fills [x0, x1) x [y0, y1) with colour_at(x, y)."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y * self.w + x] = tuple(colour_at(x, y))

    def shape(self, box, distance, colour_at):
        """Paints an anti-aliased shape given by its signed distance (negative inside)."""
        x0, y0, x1, y1 = box
        for y in range(max(0, int(y0) - 1), min(self.h, int(y1) + 2)):
            for x in range(max(0, int(x0) - 1), min(self.w, int(x1) + 2)):
                cover = clamp01(0.5 - distance(x + 0.5, y + 0.5))
                if cover > 0.0:
                    self.put(x, y, colour_at(x, y), cover)

    def bytes_bgr(self):
        """Rows bottom-up, 24 bits per pixel, padded to 4 bytes."""
        pad = b"\0" * ((4 - self.w * 3 % 4) % 4)
        rows = []
        for y in range(self.h - 1, -1, -1):
            row = bytearray()
            for x in range(self.w):
                r, g, b = (int(c + 0.5) for c in self.get(x, y))
                row += bytes((b, g, r))
            rows.append(bytes(row) + pad)
        return b"".join(rows)


def solid(colour):
    return lambda x, y: colour


def vertical(top_y, top, bottom_y, bottom):
    span = max(1, bottom_y - top_y)
    return lambda x, y: mix(top, bottom, clamp01((y - top_y) / span))


# Signed distances -------------------------------------------------------------


def rounded_box(x0, y0, x1, y1, r):
    """Rectangle [x0, x1] x [y0, y1] with corner radius r."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        ox, oy = max(qx, 0.0), max(qy, 0.0)
        return math.sqrt(ox * ox + oy * oy) + min(max(qx, qy), 0.0) - r

    return d


def top_rounded_box(x0, y0, x1, y1, r):
    """Like rounded_box, with square bottom corners (a tab)."""
    inner = rounded_box(x0, y0, x1, y1 + r, r)
    return lambda x, y: max(inner(x, y), y - y1)


def ring(distance, half_width):
    return lambda x, y: abs(distance(x, y)) - half_width


def segment(ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def d(x, y):
        t = clamp01(((x - ax) * dx + (y - ay) * dy) / length2) if length2 else 0.0
        px, py = ax + t * dx - x, ay + t * dy - y
        return math.sqrt(px * px + py * py) - half_width

    return d


def union(*distances):
    return lambda x, y: min(d(x, y) for d in distances)


def polygon(points):
    """Signed distance to a closed polygon."""
    n = len(points)

    def d(x, y):
        best, inside = float("inf"), False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            dx, dy = bx - ax, by - ay
            t = clamp01(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy))
            px, py = ax + t * dx - x, ay + t * dy - y
            best = min(best, px * px + py * py)
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / (by - ay):
                inside = not inside
        dist = math.sqrt(best)
        return -dist if inside else dist

    return d


# Text -------------------------------------------------------------------------


def draw_glyphs(canvas, text, x, y, colour, shadow=None):
    for ch in text:
        bits = GLYPHS[ch]
        for row in range(16):
            word = int(bits[row * 4 : row * 4 + 4], 16)
            for col in range(16):
                if word >> (15 - col) & 1:
                    if shadow:
                        canvas.put(x + col + 1, y + row + 1, shadow, 0.55)
                    canvas.put(x + col, y + row, colour)
        x += 16


def draw_centred_caption(canvas, text, y, colour, shadow=None):
    draw_glyphs(canvas, text, (canvas.w - 16 * len(text)) // 2, y, colour, shadow)


# Letters of the product mark: stroke centre lines on a 24-pixel cap height.
LETTERS = {
    "K": (17, [(2, 2, 2, 22), (15, 2, 4.5, 13), (8, 10.5, 15.5, 22)]),
    "E": (15, [(2, 2, 2, 22), (2, 2, 14, 2), (2, 12, 12, 12), (2, 22, 14, 22)]),
    "L": (14, [(2, 2, 2, 22), (2, 22, 13, 22)]),
    "M": (21, [(2, 22, 2, 2), (2, 2, 10.5, 15), (10.5, 15, 19, 2), (19, 2, 19, 22)]),
    "O": (21, "ring", (2, 2, 19, 22, 8.5)),
    "R": (17, [(2, 2, 2, 22), (8, 13, 15, 22)], (2, 2, 15, 13, 5.5)),
    "A": (19, [(2, 22, 9.5, 2), (9.5, 2, 17, 22), (5, 15.5, 14, 15.5)]),
}


def wordmark_distance(text, x, y, stroke, spacing):
    parts = []
    for ch in text:
        width, *shape = LETTERS[ch]
        if shape[0] == "ring":
            x0, y0, x1, y1, r = shape[1]
            parts.append(ring(rounded_box(x + x0, y + y0, x + x1, y + y1, r), stroke / 2))
        else:
            for ax, ay, bx, by in shape[0]:
                parts.append(segment(x + ax, y + ay, x + bx, y + by, stroke / 2))
            if len(shape) > 1:
                x0, y0, x1, y1, r = shape[1]
                bowl = rounded_box(x + x0, y + y0, x + x1, y + y1, r)
                parts.append(ring(bowl, stroke / 2))
        x += width + spacing
    return union(*parts), x


# Pictures ---------------------------------------------------------------------


def shield_distance(x, y, w, h):
    """A shield: straight shoulders, sides narrowing into a point."""
    pts = [
        (x + w * 0.5, y),
        (x + w, y + h * 0.14),
        (x + w, y + h * 0.52),
        (x + w * 0.82, y + h * 0.76),
        (x + w * 0.5, y + h),
        (x + w * 0.18, y + h * 0.76),
        (x, y + h * 0.52),
        (x, y + h * 0.14),
    ]
    return polygon(pts)


def draw_shield(canvas, x, y, w, h):
    canvas.shape((x, y, x + w, y + h), shield_distance(x, y, w, h), solid((10, 48, 90)))
    inset = max(1.5, w * 0.09)
    inner = shield_distance(x + inset, y + inset * 1.1, w - 2 * inset, h - 2.3 * inset)
    canvas.shape((x, y, x + w, y + h), inner, vertical(y, (250, 253, 255), y + h, (176, 214, 240)))
    hw = max(1.0, w * 0.075)
    tick = union(
        segment(x + w * 0.28, y + h * 0.48, x + w * 0.45, y + h * 0.64, hw),
        segment(x + w * 0.45, y + h * 0.64, x + w * 0.74, y + h * 0.30, hw),
    )
    canvas.shape((x, y, x + w, y + h), tick, solid((26, 110, 180)))


def header_colour(y):
    return mix(HEADER_TOP, HEADER_BOTTOM, clamp01(y / (HEADER_END - 1)))


def skin():
    """850 x 600: title band (0..122), page area, bottom band (573..599)."""
    w, h = 850, 600
    c = Canvas(w, h, PAGE)
    c.fill(0, 0, w, HEADER_END, lambda x, y: band_colour(y))
    c.fill(0, 573, w, h, vertical(573, (238, 245, 249), 599, (204, 222, 233)))
    c.fill(0, 573, w, 574, solid((184, 206, 220)))
    c.fill(0, HEADER_END, w, HEADER_END + 1, solid((190, 214, 230)))

    draw_shield(c, 18, 11, 40, 48)
    mark, end = wordmark_distance("KELMORA", 72, 13, 3.8, 6)
    c.shape((70, 11, end, 40), lambda x, y: mark(x - 1, y - 1.5), solid((12, 50, 92)))
    c.shape((70, 11, end, 40), mark, solid(WHITE))
    draw_glyphs(c, "网站木马查杀工具", 74, 45, (196, 224, 244))

    # The outline and the see-through corners (radius 3, inside the 3-pixel corner parts).
    edge = rounded_box(0, 0, w, h, 3.5)
    for y in range(h):
        for x in range(w):
            if y > 4 and y < h - 5 and x > 4 and x < w - 5:
                continue
            d = edge(x + 0.5, y + 0.5)
            if d > -0.5:
                c.put(x, y, MAGENTA)
            elif d > -1.5:
                c.put(x, y, BORDER)
    c.fill(0, 5, 1, h - 5, solid(BORDER))
    c.fill(w - 1, 5, w, h - 5, solid(BORDER))
    c.fill(5, 0, w - 5, 1, solid(BORDER))
    c.fill(5, h - 1, w - 5, h, solid(BORDER))
    return c


TAB_W, TAB_H, TAB_R = 150, 39, 6


def tab_inside(x, y):
    return top_rounded_box(0, 0, TAB_W, TAB_H, TAB_R)(x + 0.5, y + 0.5) < 0.0


def tab_mask():
    c = Canvas(TAB_W, TAB_H, WHITE)
    for y in range(TAB_H):
        for x in range(TAB_W):
            if tab_inside(x, y):
                c.put(x, y, (0, 0, 0))
    return c


def tab(caption, state):
    """A page button; outside the mask it is never shown."""
    fills = {
        "normal": ((92, 164, 216), (62, 138, 198), (150, 198, 232), WHITE, INK),
        "hover": ((134, 196, 238), (96, 170, 224), (196, 228, 248), WHITE, INK),
        "pressed": ((250, 253, 255), PAGE, (154, 196, 222), INK, None),
    }
    top, bottom, line, text, shadow = fills[state]
    c = Canvas(TAB_W, TAB_H, WHITE)
    edge = top_rounded_box(0, 0, TAB_W, TAB_H, TAB_R)
    for y in range(TAB_H):
        for x in range(TAB_W):
            if not tab_inside(x, y):
                continue
            d = edge(x + 0.5, y + 0.5)
            colour = mix(top, bottom, y / (TAB_H - 1))
            # A one-pixel rim along the rounded top and sides, open at the bottom.
            if d > -1.5 and (state != "pressed" or y < TAB_H - 1):
                colour = mix(colour, line, clamp01(-d + 0.5) if d > -0.5 else 1.0)
            c.put(x, y, colour)
    draw_centred_caption(c, caption, 12, text, shadow)
    return c


def push_button(state):
    """93 x 24 page button, drawn unscaled on the page colour."""
    w, h = 93, 24
    styles = {
        "normal": ((252, 254, 255), (212, 229, 240), (122, 162, 192), None),
        "hover": ((255, 255, 255), (196, 226, 246), (74, 138, 192), None),
        "pressed": ((196, 220, 236), (228, 240, 248), (64, 114, 160), None),
        "focus": ((252, 254, 255), (212, 229, 240), (52, 124, 196), (160, 204, 236)),
        "disabled": ((240, 242, 244), (228, 232, 235), (172, 180, 186), None),
    }
    top, bottom, line, inner = styles[state]
    c = Canvas(w, h, PAGE)
    c.shape((0, 0, w, h), rounded_box(0, 0, w, h, 3), solid(line))
    c.shape((0, 0, w, h), rounded_box(1, 1, w - 1, h - 1, 2), vertical(1, top, h - 2, bottom))
    if inner:
        c.shape((0, 0, w, h), ring(rounded_box(2, 2, w - 2, h - 2, 1.5), 0.5), solid(inner))
    return c


def band_colour(y):
    """Colour of the skin's title band in row y (row 0 is the window outline)."""
    if y == 0:
        return BORDER
    return mix(header_colour(y), WHITE, 0.10 * (1 - y / 40)) if y < 40 else header_colour(y)


def title_button(frame_w, glyph, frame, kind):
    """One 20-pixel-high frame of a title-bar button, magenta where the band shows.

    Frames: 0 normal, 1 hover, 2 pressed, 3 disabled. Hover and pressed frames hang
    a body with rounded lower corners from the top edge.
    """
    h = 20
    c = Canvas(frame_w, h, MAGENTA)
    hover_fill = (214, 66, 54) if kind == "close" else (66, 146, 206)
    pressed_fill = (156, 38, 30) if kind == "close" else (12, 60, 106)
    fill = {1: hover_fill, 2: pressed_fill}.get(frame)
    body = rounded_box(0, -4, frame_w, h, 4)
    cx, cy = frame_w / 2, 9.5
    if glyph == "close":
        mark = union(segment(cx - 4, cy - 4, cx + 4, cy + 4, 0.9),
                     segment(cx + 4, cy - 4, cx - 4, cy + 4, 0.9))
    elif glyph == "minimise":
        mark = segment(cx - 5, cy + 3, cx + 5, cy + 3, 0.9)
    else:
        mark = union(segment(cx - 4.5, cy - 1.5, cx, cy + 2.5, 0.9),
                     segment(cx, cy + 2.5, cx + 4.5, cy - 1.5, 0.9))
    ink = (150, 176, 200) if frame == 3 else WHITE
    for y in range(h):
        for x in range(frame_w):
            cover = clamp01(0.5 - body(x + 0.5, y + 0.5)) if fill else 0.0
            g = clamp01(0.5 - mark(x + 0.5, y + 0.5))
            if cover == 0.0 and g == 0.0:
                continue
            base = mix(band_colour(y), fill, cover) if fill else band_colour(y)
            c.put(x, y, mix(base, ink, g))
    return c


def title_strip(frame_w, glyph, kind):
    frames = [title_button(frame_w, glyph, i, kind) for i in range(4)]
    strip = Canvas(frame_w * 4, 20, MAGENTA)
    for i, f in enumerate(frames):
        for y in range(20):
            for x in range(frame_w):
                strip.px[y * strip.w + i * frame_w + x] = f.get(x, y)
    return strip


def header_background():
    c = Canvas(2, 20, PAGE)
    c.fill(0, 0, 2, 19, vertical(0, (252, 253, 254), 18, (216, 230, 239)))
    c.fill(0, 19, 2, 20, solid((176, 198, 214)))
    return c


def header_separator():
    c = Canvas(2, 20, WHITE)
    c.fill(0, 3, 1, 17, solid((170, 192, 208)))
    c.fill(1, 3, 2, 17, solid(WHITE))
    c.fill(0, 19, 2, 20, solid((176, 198, 214)))
    c.fill(0, 0, 2, 3, vertical(0, (252, 253, 254), 18, (216, 230, 239)))
    c.fill(0, 17, 2, 19, vertical(0, (252, 253, 254), 18, (216, 230, 239)))
    return c


# Files ------------------------------------------------------------------------


def write_bmp(path, canvas):
    data = canvas.bytes_bgr()
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + data)


def icon_image(size):
    """BGRA image of the shield on a transparent background, bottom-up."""
    c = Canvas(size, size, (0, 0, 0))
    alpha = [0.0] * (size * size)
    margin = max(1.0, size / 16)
    x0, y0, w, h = margin + size * 0.06, margin, size - 2 * margin - size * 0.12, size - 2 * margin
    outer = shield_distance(x0, y0, w, h)
    for y in range(size):
        for x in range(size):
            alpha[y * size + x] = clamp01(0.5 - outer(x + 0.5, y + 0.5))
    draw_shield(c, x0, y0, w, h)
    out = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b = (int(v + 0.5) for v in c.get(x, y))
            out += bytes((b, g, r, int(alpha[y * size + x] * 255 + 0.5)))
    mask_row = (size + 31) // 32 * 4
    out += b"\0" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(out), 0, 0, 0, 0)
    return header + bytes(out)


def write_icon(path, sizes):
    images = [icon_image(s) for s in sizes]
    offset = 6 + 16 * len(sizes)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(sizes)) + entries + b"".join(images))


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    pictures = {
        129: skin(),
        133: tab_mask(),
        152: title_strip(34, "menu", "plain"),
        153: title_strip(46, "close", "close"),
        154: title_strip(33, "minimise", "plain"),
        157: push_button("hover"),
        158: push_button("disabled"),
        159: push_button("pressed"),
        160: push_button("focus"),
        161: push_button("normal"),
        165: header_separator(),
        166: header_background(),
    }
    captions = {
        (131, 132, 130): "木马扫描",
        (135, 136, 134): "挂马清除",
        (139, 137, 138): "网络连接",
        (141, 142, 140): "开关机记录",
    }
    for (normal, pressed, hover), caption in captions.items():
        pictures[normal] = tab(caption, "normal")
        pictures[pressed] = tab(caption, "pressed")
        pictures[hover] = tab(caption, "hover")
    for number, canvas in sorted(pictures.items()):
        write_bmp(os.path.join(OUT_DIR, "%d.bmp" % number), canvas)
    write_icon(os.path.join(HERE, "morvane.ico"), [16, 32, 48])


if __name__ == "__main__":
    main()
