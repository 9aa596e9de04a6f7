#!/usr/bin/python3
"""Builds every picture and sound of Viridio's resource bundle.

Inputs are only the files committed under tools/artwork/sources/ (SVG glyphs,
SVG emoji and two font faces, each with its licence).  Outputs go to
resources/ (the bundle), forms/images.qrc and forms/mainmenu.qrc (its resource
lists) and tools/artwork/contact-sheet.png (every picture on one sheet, for review).  A re-run with the same tools rewrites every output
byte for byte: all randomness is seeded, PNG files carry no time stamps and
no encoder is asked for anything time-dependent.

Tools: Debian's python3-pil (Pillow 9.4) and librsvg2-bin (rsvg-convert);
see install-tools.sh.  Run:  /usr/bin/python3 tools/artwork/generate.py
"""
import hashlib
import math
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import wave
import zlib

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
SRC = os.path.join(HERE, "sources")
WORK = os.path.join(HERE, "work", "render")
RES = os.path.join(ROOT, "resources")
SHEET = os.path.join(HERE, "contact-sheet.png")
QRC = os.path.join(ROOT, "forms", "images.qrc")
# The main menu's pictures, which every start reads, have a bundle of their
# own: its bytes lie together, so a start maps few pages of the program.
START_QRC = os.path.join(ROOT, "forms", "mainmenu.qrc")
START_FOLDERS = {"mainMenu/images/MainMenu"}
ICONS = os.path.join(ROOT, "packaging", "icons", "hicolor")

# Every glyph and emoji taken from sources/ (fetch_sources.py copies these).
MDI_ICONS = sorted("""
air-conditioner arrow-down-bold arrow-left arrow-left-bold arrow-right-bold
arrow-up-bold bed book-open-variant bottle-soda-classic bottle-wine
calculator calendar-star ceiling-light cloud-download disc-player fan faucet
fridge hair-dryer head-question home laptop leaf lightbulb-on lightning-bolt
menu microwave newspaper-variant pencil play pot-steam recycle shower-head
silverware-clean sofa star-face stove television timer-outline toilet
tshirt-crew volume-high volume-off washing-machine water
""".split())
EMOJI_ICONS = sorted("""
alarm-clock automobile battery canned-food crescent-moon dress droplet
electric-plug fire fork-and-knife frog fuel-pump glowing-star high-voltage
house-with-garden jar lion love-letter memo nesting-dolls optical-disk
package paperclip party-popper pencil person-vampire potato pushpin
puzzle-piece recycling-symbol red-apple red-heart round-pushpin scissors
seedling sewing-needle sparkles spoon star sun t-shirt teddy-bear thermometer
thinking-face thread toothbrush trophy world-map yarn
""".split())

SS = 4  # supersampling factor for vector shapes drawn with PIL

# Every picture is drawn twice: at K = 1 as name.ext, and at K = 2 as
# name@2x.ext for screens of device pixel ratio 2, which Qt picks by that name.
# The drawing code works in logical pixels (the size of the 1x picture); the
# helpers below make images K times as large, scale coordinates, widths, fonts
# and blur radii by K, and render the SVG sources at K times their size.
SCALES = (1, 2)
K = 1

# Palette: one friendly flat set for the whole application.
WHITE = (255, 255, 255)
INK = (38, 50, 56)
DARKRED = (85, 0, 0)
GREEN = (67, 160, 71)
DKGREEN = (46, 125, 50)
DEEPGREEN = (27, 94, 32)
MINT = (232, 245, 233)
LEAF = (165, 214, 167)
TEAL = (0, 137, 123)
BLUE = (30, 136, 229)
SKY = (187, 222, 251)
ORANGE = (245, 124, 0)
AMBER = (255, 193, 7)
RED = (229, 57, 53)
PINK = (216, 27, 96)
PURPLE = (142, 36, 170)
INDIGO = (57, 73, 171)
SLATE = (84, 110, 122)
BROWN = (141, 110, 99)
GREY = (120, 144, 156)
PAPER = (255, 252, 240)
CREAM = (255, 248, 225)

ROOM = {"toilet": TEAL, "kitchen": RED, "living": PINK, "bedroom": INDIGO}
CATEGORY = {  # craft material: colour, caption, button glyph
    "alu": (SLATE, "ALUMINIUM", None),
    "clothes": (PINK, "CLOTHES", "tshirt-crew"),
    "paper": (BROWN, "PAPER", "newspaper-variant"),
    "plastic": (BLUE, "PLASTIC", "bottle-soda-classic"),
    "glass": (TEAL, "GLASS", "bottle-wine"),
    "others": (PURPLE, "OTHERS", "recycle"),
}

OUTPUTS = []  # (resource-relative path, kind) in creation order
_render_cache = {}
USED = set()  # glyphs and emoji drawn so far


# ---------------------------------------------------------------- basics --

def scaled_name(rel):
    if K == 1:
        return rel
    stem, ext = os.path.splitext(rel)
    return "%s@%dx%s" % (stem, K, ext)


def out_path(rel):
    rel = scaled_name(rel)
    path = os.path.join(RES, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    OUTPUTS.append(rel)
    return path


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data)))


def save_png(img, rel):
    """Every picture is written here, its rows unfiltered at zlib level 9. For
    this flat artwork Pillow's per-row filters compress worse than none (the
    RGBA files shrink by a fifth), and undoing them is a good part of what
    decoding costs: Qt reads unfiltered rows in 40% fewer instructions, which
    a page's first visit waits for. Palette pictures carry all 256 palette
    entries: with fewer, the PNG reader checks every pixel's index against the
    palette's length, a fifth of what decoding them costs."""
    width, height = img.size
    if img.mode == "P":
        rgba = img.palette.mode == "RGBA"
        entries = img.getpalette("RGBA" if rgba else "RGB")
        channels = 4 if rgba else 3
        entries += [0] * (256 * channels - len(entries))
        colours = bytes(c for i, c in enumerate(entries[:256 * channels]) if i % channels < 3)
        alpha = bytes(entries[3::4][:256]) if rgba else b""
        if "transparency" in img.info:
            # A single transparent index, or the alpha of the first entries.
            given = img.info["transparency"]
            alpha = bytearray(alpha or b"\xff" * 256)
            if isinstance(given, int):
                alpha[given] = 0
            else:
                alpha[:len(given)] = given
            alpha = bytes(alpha)
        alpha = alpha.rstrip(b"\xff")
        chunks = png_chunk(b"PLTE", colours) + (png_chunk(b"tRNS", alpha) if alpha else b"")
        colour_type, stride = 3, width
    elif img.mode == "RGBA":
        chunks, colour_type, stride = b"", 6, width * 4
    else:
        raise ValueError(f"{rel}: no PNG writer for mode {img.mode}")
    raw = img.tobytes()
    rows = b"".join(b"\0" + raw[y * stride:(y + 1) * stride] for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    with open(out_path(rel), "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + chunks
                  + png_chunk(b"IDAT", zlib.compress(rows, 9)) + png_chunk(b"IEND", b""))


def save_jpg(img, rel, quality=88):
    rgb = img.convert("RGB") if img.mode != "RGB" else img
    rgb.save(out_path(rel), "JPEG", quality=quality, optimize=True,
             subsampling=2)


def to_gif_frame(img, matte):
    """RGBA -> palette image, index 255 transparent (alpha below one half)."""
    base = Image.new("RGBA", img.size, matte + (255,))
    base.alpha_composite(img)
    pal = base.convert("RGB").quantize(colors=255, method=Image.Quantize.MEDIANCUT,
                                       dither=Image.Dither.NONE)
    palette = pal.getpalette()[:255 * 3]
    palette += [0] * (255 * 3 - len(palette)) + list(matte)
    pal.putpalette(palette)
    mask = img.getchannel("A").point(lambda a: 255 if a < 128 else 0)
    pal.paste(255, (0, 0), mask)
    return pal


def save_gif(img, rel, matte):
    to_gif_frame(img, matte).save(out_path(rel), "GIF", transparency=255,
                                  optimize=False)


def rsvg(path, w, h):
    key = (path, w, h)
    if key in _render_cache:
        return _render_cache[key].copy()
    os.makedirs(WORK, exist_ok=True)
    tag = hashlib.sha1(("%s|%d|%d" % key).encode()).hexdigest()[:16]
    png = os.path.join(WORK, tag + ".png")
    subprocess.run(["rsvg-convert", "-w", str(w), "-h", str(h), "-f", "png",
                    "-o", png, path], check=True)
    img = Image.open(png).convert("RGBA")
    img.load()
    _render_cache[key] = img
    return img.copy()


def glyph(name, size, color=WHITE):
    assert name in MDI_ICONS, name
    USED.add(name)
    src = rsvg(os.path.join(SRC, "mdi", name + ".svg"), size * K, size * K)
    out = Image.new("RGBA", (size * K, size * K), color + (0,))
    out.putalpha(src.getchannel("A"))
    return out


def emoji(name, size):
    assert name in EMOJI_ICONS, name
    USED.add(name)
    return rsvg(os.path.join(SRC, "fluent-emoji-flat", name + ".svg"), size * K, size * K)


def font(size, bold=True):
    face = "ComicNeue-Bold.otf" if bold else "ComicNeue-Regular.otf"
    return ImageFont.truetype(os.path.join(SRC, "fonts", face), size,
                              layout_engine=ImageFont.Layout.BASIC)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def darker(c, f=0.75):
    return tuple(int(v * f) for v in c)


def lighter(c, t=0.5):
    return mix(c, WHITE, t)


def rgba(c, a):
    return tuple(c) + (a,)


def new(mode, size, color=0):
    """An image of the logical size."""
    return Image.new(mode, (size[0] * K, size[1] * K), color)


def layer(size):
    return new("RGBA", size, (0, 0, 0, 0))


def like(img):
    """A transparent layer as large as img."""
    return Image.new("RGBA", img.size, (0, 0, 0, 0))


def lsize(img):
    return img.width // K, img.height // K


def blurred(radius):
    return ImageFilter.GaussianBlur(radius * K)


class Draw:
    """ImageDraw.Draw taking logical coordinates and widths."""

    def __init__(self, img):
        self.d = ImageDraw.Draw(img)

    @staticmethod
    def box(b):
        # PIL boxes include their last pixel: at K = 2 that is two pixels.
        return [b[0] * K, b[1] * K, b[2] * K + K - 1, b[3] * K + K - 1]

    @staticmethod
    def points(pts):
        o = (K - 1) / 2  # the centre of the logical pixel
        return [(x * K + o, y * K + o) for x, y in pts]

    def line(self, pts, fill, width=1):
        self.d.line(self.points(pts), fill=fill, width=width * K)

    def rectangle(self, b, fill=None, outline=None, width=1):
        self.d.rectangle(self.box(b), fill=fill, outline=outline, width=width * K)

    def ellipse(self, b, fill=None, outline=None, width=1):
        self.d.ellipse(self.box(b), fill=fill, outline=outline, width=width * K)

    def polygon(self, pts, fill):
        self.d.polygon([(x * K, y * K) for x, y in pts], fill=fill)


def shapes(size, fn):
    """Draw with fn(draw, s) on a supersampled layer of the physical size
    (s maps logical pixels to supersampled ones); returns the AA layer."""
    big = Image.new("RGBA", (size[0] * SS, size[1] * SS), (0, 0, 0, 0))
    fn(ImageDraw.Draw(big), SS * K)
    return big.resize(size, Image.Resampling.LANCZOS)


def S(box, s):
    return [v * s for v in box]


def rrect(img, box, r, fill, outline=None, width=0):
    def fn(d, s):
        x0, y0, x1, y1 = box
        d.rounded_rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], radius=r * s,
                            fill=fill, outline=outline, width=int(width * s))
    img.alpha_composite(shapes(img.size, fn))


def ellipse(img, box, fill, outline=None, width=0):
    def fn(d, s):
        x0, y0, x1, y1 = box
        d.ellipse([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], fill=fill,
                  outline=outline, width=int(width * s))
    img.alpha_composite(shapes(img.size, fn))


def polygon(img, pts, fill):
    def fn(d, s):
        d.polygon([(x * s, y * s) for x, y in pts], fill=fill)
    img.alpha_composite(shapes(img.size, fn))


def line(img, pts, fill, width, joint="curve"):
    def fn(d, s):
        d.line([(x * s, y * s) for x, y in pts], fill=fill, width=int(width * s),
               joint=joint)
        r = width * s / 2
        for x, y in (pts[0], pts[-1]):
            d.ellipse([x * s - r, y * s - r, x * s + r, y * s + r], fill=fill)
    img.alpha_composite(shapes(img.size, fn))


def shadow(img, box, r, alpha=60, blur=4, dy=3):
    sh = like(img)
    x0, y0, x1, y1 = box
    rrect(sh, (x0, y0 + dy, x1, y1 + dy), r, (0, 0, 0, alpha))
    img.alpha_composite(sh.filter(blurred(blur)))


def paste(img, part, x, y):
    img.alpha_composite(part, (int(round(x * K)), int(round(y * K))))


def paste_center(img, part, cx, cy):
    paste(img, part, cx - part.width / K / 2, cy - part.height / K / 2)


def rotated(part, deg):
    return part.rotate(deg, resample=Image.Resampling.BICUBIC, expand=True)


def fit_font(text, max_w, max_h, size, bold=True):
    while size > 6:
        f = font(size, bold)
        x0, y0, x1, y1 = f.getbbox(text, anchor="ls")
        cap = -f.getbbox("H", anchor="ls")[1]
        if x1 - x0 <= max_w and cap <= max_h:
            return f
        size -= 1
    return font(6, bold)


def text(img, cx, cy, s, size, fill, bold=True, max_w=None, shade=None,
         align="center"):
    """Draws s with its cap height centred on cy; returns the (logical) text width.
    The size is chosen in logical pixels, the text drawn with the font K times as large."""
    f = font(fit_font(s, max_w or 10 ** 6, 10 ** 6, size, bold).size * K, bold)
    x0, _, x1, _ = f.getbbox(s, anchor="ls")
    cap = -f.getbbox("H", anchor="ls")[1]
    w = x1 - x0
    x = cx * K - w / 2 - x0 if align == "center" else cx * K - x0
    y = cy * K + cap / 2
    t = like(img)
    d = ImageDraw.Draw(t)
    if shade:
        d.text((x + shade[0] * K, y + shade[1] * K), s, font=f, fill=shade[2], anchor="ls")
    d.text((x, y), s, font=f, fill=rgba(fill, 255) if len(fill) == 3 else fill,
           anchor="ls")
    img.alpha_composite(t)
    return w / K


def gradient(size, top, bottom, horizontal=False):
    img = new("RGBA", size)
    w, h = img.size
    d = ImageDraw.Draw(img)
    n = w if horizontal else h
    for i in range(n):
        c = mix(top, bottom, i / max(1, n - 1)) + (255,)
        if horizontal:
            d.line([(i, 0), (i, h)], fill=c)
        else:
            d.line([(0, i), (w, i)], fill=c)
    return img


def scatter_glyphs(img, seed, names, count, color, alpha, smin, smax, avoid=()):
    rng = random.Random(seed)
    w, h = lsize(img)
    placed = 0
    tries = 0
    while placed < count and tries < count * 50:
        tries += 1
        size = rng.randint(smin, smax)
        x, y = rng.randint(-size // 3, w - size // 2), rng.randint(-size // 3, h - size // 2)
        box = (x, y, x + size, y + size)
        if any(not (box[2] < a[0] or box[0] > a[2] or box[3] < a[1] or box[1] > a[3])
               for a in avoid):
            continue
        g = glyph(rng.choice(names), size, color)
        g.putalpha(g.getchannel("A").point(lambda v: v * alpha // 255))
        paste(img, rotated(g, rng.randint(-40, 40)), x, y)
        placed += 1


def bokeh(img, seed, count, color, amin, amax, rmin, rmax, region=None):
    rng = random.Random(seed)
    w, h = lsize(img)
    x0, y0, x1, y1 = region or (0, 0, w, h)
    lay = like(img)
    d = Draw(lay)
    for _ in range(count):
        r = rng.randint(rmin, rmax)
        x, y = rng.randint(x0, x1), rng.randint(y0, y1)
        d.ellipse([x - r, y - r, x + r, y + r], fill=rgba(color, rng.randint(amin, amax)))
    img.alpha_composite(lay.filter(blurred(2)))


# ---------------------------------------------------------- components --

def tile(w, h, color, glyph_name=None, label=None, margin=(1, 1), radius=None,
         glyph_scale=0.8, label_size=None, emoji_name=None, lip=3, glyph_color=WHITE):
    """Flat rounded tile with a darker lip, a white glyph and an optional caption."""
    img = layer((w, h))
    mx, my = margin
    r = radius if radius is not None else max(6, int(min(w, h) * 0.2))
    rrect(img, (mx, my + lip, w - mx, h - my), r, darker(color, 0.72))
    rrect(img, (mx, my, w - mx, h - my - lip), r, color)
    cx0, cy0, cx1, cy1 = mx + 4, my + 3, w - mx - 4, h - my - lip - 3
    cw, ch = cx1 - cx0, cy1 - cy0
    if label:
        ls = label_size or max(11, min(18, int(ch * 0.2)))
        f = fit_font(label, cw - 4, ls, ls + 6)
        cap = -f.getbbox("H", anchor="ls")[1]
        gsize = int(min(cw, ch - cap - 8) * glyph_scale)
        gy = cy0 + (ch - cap - 6 - gsize) / 2
        ly = cy1 - cap / 2 - 3
        text(img, w / 2, ly, label, f.size, WHITE, max_w=cw - 4,
             shade=(0, 1, (0, 0, 0, 70)))
    else:
        gsize = int(min(cw, ch) * glyph_scale)
        gy = cy0 + (ch - gsize) / 2
    if glyph_name:
        paste(img, glyph(glyph_name, gsize, glyph_color), w / 2 - gsize / 2, gy)
    elif emoji_name:
        paste(img, emoji(emoji_name, gsize), w / 2 - gsize / 2, gy)
    return img


def pill(w, h, color, label, glyph_name=None, text_color=WHITE, pressed=False,
         text_size=None, radius=None, lip=3, inset=(1, 1)):
    """Word button: rounded pill with a caption (and a glyph before it)."""
    img = layer((w, h))
    mx, my = inset
    r = radius if radius is not None else (h - 2 * my) // 2
    if pressed:
        rrect(img, (mx, my + lip, w - mx, h - my), r, darker(color, 0.72))
        top = my + lip - 1
        rrect(img, (mx, top, w - mx, h - my - 1), r, color)
        cy = (top + h - my - 1) / 2
    else:
        rrect(img, (mx, my + lip, w - mx, h - my), r, darker(color, 0.72))
        rrect(img, (mx, my, w - mx, h - my - lip), r, color)
        cy = (my + h - my - lip) / 2
        # a soft highlight along the top
        hl = layer((w, h))
        rrect(hl, (mx + r // 2, my + 2, w - mx - r // 2, my + 2 + max(2, (h - 2 * my) // 6)),
              2, (255, 255, 255, 45))
        img.alpha_composite(hl)
    size = text_size or int((h - 2 * my - lip) * 0.62)
    avail = w - 2 * mx - 2 * max(10, r // 2)
    gsize = 0
    if glyph_name:
        gsize = int((h - 2 * my - lip) * 0.7)
        avail -= gsize + 4
    f = fit_font(label, avail, size, size + 4)
    tw = f.getbbox(label, anchor="ls")[2] - f.getbbox(label, anchor="ls")[0]
    total = tw + (gsize + 4 if gsize else 0)
    x = w / 2 - total / 2
    if gsize:
        paste(img, glyph(glyph_name, gsize, text_color), x, cy - gsize / 2)
        x += gsize + 4
    text(img, x, cy, label, f.size, text_color, align="left",
         shade=(0, 1, (0, 0, 0, 60)) if text_color == WHITE else None)
    return img


def paper(w, h, base=PAPER, lines=None, margin_x=None, radius=10, top=40,
          spacing=28):
    img = layer((w, h))
    rrect(img, (0, 0, w, h), radius, base)
    if lines:
        lay = layer((w, h))
        d = Draw(lay)
        y = top
        while y < h - 8:
            d.line([(6, y), (w - 6, y)], fill=lines, width=1)
            y += spacing
        if margin_x:
            d.line([(margin_x, 4), (margin_x, h - 4)], fill=(239, 154, 154, 200), width=2)
        img.alpha_composite(lay)
    return img


def card(img, box, fill=WHITE, r=14, border=None, bw=0, sh=True):
    if sh:
        shadow(img, box, r, alpha=55, blur=5, dy=3)
    rrect(img, box, r, fill, outline=border, width=bw)


def avg_color(img, box):
    part = img.crop([v * K for v in box]).convert("RGB").resize((1, 1), Image.Resampling.BOX)
    return part.getpixel((0, 0))


def opaque(img, matte):
    base = Image.new("RGBA", img.size, matte + (255,))
    base.alpha_composite(img)
    return base


# ------------------------------------------------------------ main menu --

MENU_BUTTONS = [  # file, geometry on the main menu, colour, glyph, caption
    ("darAror.gif", (580, 140, 111, 91), ORANGE, "recycle", "Crafts"),
    ("quickFact.gif", (140, 160, 111, 91), PURPLE, "lightbulb-on", "Quick Facts"),
    ("ecoEvent.gif", (350, 170, 101, 91), BLUE, "calendar-star", "Events"),
    ("ecoCal.gif", (220, 280, 91, 91), GREEN, "calculator", "Calculator"),
    ("duzEvod.gif", (480, 260, 101, 91), TEAL, "head-question", "Quiz"),
    ("credits.gif", (350, 330, 101, 81), BROWN, "star-face", "Credits"),
]


def main_menu():
    bg = gradient((800, 430), (240, 249, 236), (206, 234, 208))
    bokeh(bg, 11, 26, WHITE, 40, 90, 10, 46)
    # gentle hills along the bottom, pale so that the icons stay in front
    hills = layer((800, 430))
    ellipse(hills, (-200, 360, 520, 640), (190, 226, 184, 255))
    ellipse(hills, (300, 375, 1050, 650), (176, 219, 171, 255))
    bg.alpha_composite(hills)
    # a pale sun and two clouds
    ellipse(bg, (30, 20, 110, 100), (255, 236, 179, 255))
    for cx, cy in ((690, 52), (200, 100)):
        for dx, dy, r in ((-26, 6, 18), (0, 0, 24), (26, 6, 18)):
            ellipse(bg, (cx + dx - r, cy + dy - r, cx + dx + r, cy + dy + r), (255, 255, 255, 200))
    # title
    leafg = glyph("leaf", 52, GREEN)
    w = text(bg, 430, 52, "Viridio", 66, DEEPGREEN, shade=(2, 3, (255, 255, 255, 200)))
    paste(bg, leafg, 430 - w / 2 - 62, 24)
    text(bg, 400, 104, "save energy  \u2022  save water  \u2022  re-use", 21, (67, 110, 70))
    save_jpg(bg, "mainMenu/images/MainMenu/Mainmenu.jpg", 90)
    for name, (x, y, w, h), color, g, cap in MENU_BUTTONS:
        matte = avg_color(bg, (x, y, x + w, y + h))
        icon = tile(w, h, color, g, cap, margin=(3, 2), glyph_scale=0.92,
                    label_size=15 if w > 100 else 14)
        save_gif(icon, "mainMenu/images/MainMenu/" + name, matte)


def chalkboard():
    img = new("RGBA", (800, 430), (120, 82, 52, 255))
    # wooden frame with grain
    rng = random.Random(21)
    d = Draw(img)
    for i in range(140):
        y = rng.randint(0, 430)
        d.line([(0, y), (800, y + rng.randint(-3, 3))],
               fill=(rng.randint(100, 150), rng.randint(66, 100), rng.randint(40, 62), 255))
    board = gradient((764, 394), (44, 84, 60), (34, 68, 48))
    smudge = like(board)
    sd = Draw(smudge)
    for _ in range(70):
        x, y = rng.randint(0, 764), rng.randint(0, 394)
        rw, rh = rng.randint(30, 160), rng.randint(8, 40)
        sd.ellipse([x - rw, y - rh, x + rw, y + rh], fill=(255, 255, 255, rng.randint(4, 12)))
    board.alpha_composite(smudge.filter(blurred(8)))
    paste(img, board, 18, 18)
    d.rectangle([18, 18, 781, 411], outline=(86, 56, 34, 255), width=2)
    # chalk tray
    rrect(img, (120, 404, 640, 418), 4, (96, 64, 40, 255))
    rrect(img, (180, 398, 236, 406), 3, (245, 245, 240, 255))
    rrect(img, (260, 399, 300, 406), 3, (255, 224, 130, 255))

    def chalk(layer_img, a=225):
        layer_img.putalpha(layer_img.getchannel("A").point(lambda v: v * a // 255))
        return layer_img

    t = layer((800, 430))
    text(t, 60, 70, "Credits", 58, (250, 250, 245), align="left")
    text(t, 62, 112, "Viridio was made with help from:", 20, (220, 235, 220), bold=False,
         align="left")
    img.alpha_composite(chalk(t))
    # chalk doodles on the left half
    paste(img, chalk(glyph("recycle", 110, (200, 240, 200)), 170), 70, 160)
    paste(img, chalk(glyph("leaf", 70, (255, 241, 170)), 190), 210, 180)
    paste(img, chalk(glyph("water", 60, (180, 220, 255)), 190), 300, 150)
    paste(img, chalk(glyph("lightbulb-on", 64, (255, 230, 160)), 190), 300, 250)
    t = layer((800, 430))
    text(t, 70, 330, "Thank you!", 40, (250, 250, 245), align="left")
    img.alpha_composite(chalk(t, 215))
    line(img, [(72, 352), (150, 357), (250, 352)], (250, 250, 245, 160), 3)
    # a chalk frame around the credits text area
    line(img, [(452, 110), (768, 110)], (250, 250, 245, 70), 2)
    save_jpg(img, "mainMenu/images/MainMenu/chalkboard.jpg", 86)


# --------------------------------------------------------- calculator --

APPLIANCES = [  # file, size, room, glyph, caption
    ("ecoCalAirCon.png", (210, 92), "bedroom", "air-conditioner", "Air-con"),
    ("ecoCalLaptop.png", (170, 104), "bedroom", "laptop", "Laptop"),
    ("ecoCalFan.png", (112, 100), "bedroom", "fan", "Fan"),
    ("ecoCalCeilingLights.png", (146, 100), "living", "ceiling-light", "Lights"),
    ("ecoCalDVDPlayer.png", (150, 84), "living", "disc-player", "DVD player"),
    ("ecoCalLcdTv copy.png", (160, 104), "living", "television", "TV"),
    ("ecoCalHairDryer.png", (126, 112), "toilet", "hair-dryer", "Hair dryer"),
    ("ecoCalwWashingMachine.png", (150, 124), "toilet", "washing-machine", "Washer"),
    ("ecoCalRefrigerator.png", (116, 124), "kitchen", "fridge", "Fridge"),
    ("ecoCalRiceCooker.png", (112, 100), "kitchen", "pot-steam", "Rice cooker"),
    ("ecoCalMicrowave.png", (146, 104), "kitchen", "microwave", "Microwave"),
]
ROOM_TILES = [  # file, size, room, glyph
    ("icon_toilet.gif", (131, 111), "toilet", "toilet"),
    ("kitchenIcon.gif", (131, 111), "kitchen", "stove"),
    ("sofa.png", (131, 111), "living", "sofa"),
    ("bed_icon_lodging.gif", (131, 101), "bedroom", "bed"),
]
ROOM_HEADERS = [
    ("toiletHeader.jpg", "toilet", "Toilet", "toilet"),
    ("kitchenHeader.jpg", "kitchen", "Kitchen", "stove"),
    ("livingRoomHeader.jpg", "living", "Living Room", "sofa"),
    ("bedroomHeader.jpg", "bedroom", "Bedroom", "bed"),
]
CALC_BG_TOP = (225, 242, 222)
CALC_BG_BOTTOM = (190, 225, 190)


def calculator():
    P = "new/prefix1/images/"
    bg = gradient((800, 430), CALC_BG_TOP, CALC_BG_BOTTOM)
    scatter_glyphs(bg, 31, ["leaf", "water", "lightning-bolt"], 26, DKGREEN, 26, 26, 60)
    save_jpg(bg, P + "ecoCalBackground.jpg", 88)

    head = layer((321, 71))
    shadow(head, (4, -20, 317, 64), 18, alpha=50, blur=3, dy=2)
    rrect(head, (4, -20, 317, 64), 18, WHITE)
    ellipse(head, (14, 8, 62, 56), GREEN)
    paste(head, glyph("calculator", 32), 22, 16)
    text(head, 72, 28, "Eco Calculator", 30, DEEPGREEN, align="left")
    text(head, 74, 51, "electricity & water diary", 15, (90, 120, 90), bold=False, align="left")
    save_png(head, P + "ecoCalHeaderCal.png")

    save_png(tile(91, 51, GREEN, "pencil", "VozAvavi", margin=(1, 1), glyph_scale=0.95,
                  label_size=13), P + "vozAvaviButton.png")
    save_png(tile(101, 51, ORANGE, "book-open-variant", "ZadUvedo", margin=(1, 1),
                  glyph_scale=0.95, label_size=13), P + "zadUvedoButton.png")

    body = layer((351, 231))
    shadow(body, (2, 2, 349, 226), 18, alpha=40, blur=3, dy=2)
    rrect(body, (2, 2, 349, 227), 18, (250, 253, 244), outline=LEAF + (255,), width=3)
    lg = glyph("leaf", 64, LEAF)
    paste(body, rotated(lg, 20), 6, 150)
    save_png(body, "new/ecoCalculator/ecoCalBody.png")

    border = layer((20, 71))
    rrect(border, (8, 2, 12, 69), 2, LEAF + (255,))
    ellipse(border, (5, 30, 15, 40), GREEN)
    save_png(border, "new/ecoCalculator/border.png")

    intro = layer((161, 111))
    paste(intro, emoji("house-with-garden", 92), 34, 14)
    paste(intro, emoji("high-voltage", 40), 6, 6)
    paste(intro, emoji("droplet", 36), 120, 8)
    paste(intro, emoji("seedling", 40), 116, 66)
    save_png(intro, P + "vozAvavi_mainPageImage.png")

    tips = pill(150, 32, AMBER, "Saving Tips", "lightbulb-on", text_color=INK,
                text_size=19, lip=2)
    save_png(tips, P + "vozAvavi_tips.png")

    # choice tiles
    save_png(tile(151, 131, BLUE, "water", None, margin=(4, 4), glyph_scale=0.8),
             P + "waterImage.png")
    save_png(tile(141, 131, ORANGE, "lightning-bolt", None, margin=(4, 4), glyph_scale=0.8),
             P + "Latex-Electricity-icon.png")
    save_png(tile(131, 141, ORANGE, "lightning-bolt", None, margin=(4, 4), glyph_scale=0.8),
             P + "electicityIcon.png")
    save_png(tile(141, 131, ORANGE, "lightning-bolt", "Electricity", margin=(4, 4)),
             P + "ecoCalElectricity.png")
    both = layer((151, 131))
    both.alpha_composite(tile(151, 131, BLUE, None, None, margin=(4, 4)))
    half = tile(151, 131, ORANGE, None, None, margin=(4, 4))
    mask = new("L", (151, 131), 0)
    Draw(mask).polygon([(0, 0), (151, 0), (0, 131)], fill=255)
    both.paste(half, (0, 0), mask)
    paste(both, glyph("lightning-bolt", 56), 14, 12)
    paste(both, glyph("water", 56), 80, 58)
    save_png(both, P + "ElectricityIcon_water.png")

    for name, (w, h), room, g, cap in APPLIANCES:
        save_png(tile(w, h, ROOM[room], g, cap, margin=(3, 3), glyph_scale=0.95),
                 P + name)
    matte = (236, 245, 230)
    for name, (w, h), room, g in ROOM_TILES:
        t = tile(w, h, ROOM[room], g, None, margin=(4, 4), glyph_scale=0.78)
        if name.endswith(".gif"):
            save_gif(t, P + name, matte)
        else:
            save_png(t, P + name)
    for name, room, cap, g in ROOM_HEADERS:
        img = new("RGBA", (180, 40), ROOM[room] + (255,))
        Draw(img).rectangle([0, 36, 180, 40], fill=darker(ROOM[room], 0.72) + (255,))
        f = fit_font(cap, 140, 22, 26)
        tw = f.getbbox(cap, anchor="ls")[2]
        x = 90 - (tw + 30) / 2
        paste(img, glyph(g, 26), x, 5)
        text(img, x + 30, 18, cap, f.size, WHITE, align="left", shade=(0, 1, (0, 0, 0, 70)))
        save_jpg(img, P + name, 92)

    # water pictures
    save_png(tile(91, 71, BLUE, "faucet", None, margin=(2, 2), glyph_scale=0.85),
             P + "tapicon.png")
    save_png(tile(91, 81, BLUE, "shower-head", None, margin=(2, 2), glyph_scale=0.85),
             P + "showerIcon.png")
    save_jpg(opaque(tile(160, 160, BLUE, "washing-machine", None, margin=(6, 6),
                         glyph_scale=0.75), PAPER), P + "washingMachine.jpg", 90)
    save_jpg(opaque(tile(140, 160, BLUE, "silverware-clean", None, margin=(6, 6),
                         glyph_scale=0.75), PAPER), P + "dishWashing.jpg", 90)
    lawn()
    diaries()


def lawn():
    img = gradient((721, 261), (179, 229, 252), (225, 245, 254))
    ellipse(img, (30, 14, 100, 84), (255, 224, 130, 255))
    for cx, cy in ((230, 40), (600, 110)):
        for dx, dy, r in ((-22, 5, 16), (0, 0, 21), (22, 5, 16)):
            ellipse(img, (cx + dx - r, cy + dy - r, cx + dx + r, cy + dy + r), (255, 255, 255, 230))
    hills = like(img)
    ellipse(hills, (-150, 130, 520, 420), (129, 199, 132, 255))
    ellipse(hills, (260, 150, 900, 430), (102, 187, 106, 255))
    rrect(hills, (0, 200, 721, 261), 0, (76, 175, 80, 255))
    img.alpha_composite(hills)
    rng = random.Random(41)
    tufts = like(img)
    for _ in range(60):
        x, y = rng.randint(0, 720), rng.randint(190, 255)
        g = glyph("leaf", rng.randint(10, 18), (56, 142, 60))
        paste(tufts, rotated(g, rng.randint(-30, 30)), x, y)
    img.alpha_composite(tufts)
    # a tree and a watering can splash on the left
    ellipse(img, (120, 100, 200, 180), (56, 142, 60, 255))
    rrect(img, (154, 170, 166, 215), 3, (121, 85, 72, 255))
    for i, (x, y) in enumerate(((250, 186), (276, 170), (300, 182))):
        paste(img, emoji("droplet", 16 + 2 * i), x, y)
    save_jpg(img, "new/prefix1/images/lawn.jpg", 88)


def diaries():
    P = "new/prefix1/images/"
    d0 = paper(711, 251, PAPER, lines=(187, 222, 251, 255), margin_x=46, radius=12, top=46)
    paste(d0, rotated(glyph("leaf", 40, LEAF), -25), 656, 196)
    save_png(d0.quantize(64, method=Image.Quantize.FASTOCTREE, dither=Image.Dither.NONE),
             P + "diaryBackground.png")

    dc = paper(781, 251, (252, 253, 245), lines=(200, 230, 201, 255), radius=12, top=22,
               spacing=22)
    lay = like(dc)
    d = Draw(lay)
    x = 52
    while x < 760:
        d.line([(x, 6), (x, 245)], fill=(200, 230, 201, 150), width=1)
        x += 22
    dc.alpha_composite(lay)
    paste(dc, rotated(glyph("leaf", 44, LEAF), 30), 690, 192)
    save_png(dc.quantize(64, method=Image.Quantize.FASTOCTREE, dither=Image.Dither.NONE),
             P + "diaryBackground_C.png")

    # quick facts: an open book behind the fact
    book = layer((711, 511))
    shadow(book, (10, 80, 700, 496), 16, alpha=80, blur=6, dy=5)
    rrect(book, (10, 80, 700, 496), 16, DKGREEN)
    for x0, x1 in ((20, 356), (354, 690)):
        rrect(book, (x0, 88, x1, 486), 10, PAPER)
    lay = like(book)
    d = Draw(lay)
    for x in range(330, 356):  # shading towards the spine
        a = int(60 * ((x - 330) / 26) ** 2)
        d.line([(x, 90), (x, 484)], fill=(120, 100, 60, a))
    for x in range(354, 380):
        a = int(60 * ((380 - x) / 26) ** 2)
        d.line([(x, 90), (x, 484)], fill=(120, 100, 60, a))
    for y in range(380, 480, 26):
        d.line([(376, y), (676, y)], fill=(225, 215, 190, 255))
    book.alpha_composite(lay)
    paste(book, rotated(glyph("leaf", 36, LEAF), -20), 40, 438)
    save_png(book.quantize(128, method=Image.Quantize.FASTOCTREE, dither=Image.Dither.NONE),
             P + "diaryBackground_D.png")


# ------------------------------------------------------ shared buttons --

def shared_buttons():
    P = "new/prefix1/images/"
    save_png(tile(72, 58, GREEN, "home", None, margin=(2, 2), glyph_scale=0.78), P + "home.png")
    save_png(tile(71, 61, TEAL, "arrow-left-bold", None, margin=(2, 2), glyph_scale=0.78),
             P + "leftArrow.png")
    save_png(tile(71, 61, TEAL, "arrow-right-bold", None, margin=(2, 2), glyph_scale=0.78),
             P + "rightArrow.png")
    for name, g, c in (("on.png", "volume-high", GREEN), ("off.png", "volume-off", GREY)):
        img = layer((48, 48))
        ellipse(img, (1, 2, 47, 47), darker(c, 0.72))
        ellipse(img, (1, 1, 47, 45), c)
        paste(img, glyph(g, 28), 10, 9)
        save_png(img, P + name)
    img = layer((41, 41))
    ellipse(img, (1, 2, 40, 40), darker(BLUE, 0.72))
    ellipse(img, (1, 1, 40, 38), BLUE)
    paste(img, glyph("cloud-download", 25), 8, 7)
    save_png(img, P + "infoButton.png")


# ------------------------------------------------------------- events --

def events():
    P = "new/prefix1/images/"
    bg = gradient((800, 430), (255, 250, 235), (250, 240, 215))
    lay = like(bg)
    d = Draw(lay)
    for y in range(258, 430, 30):
        d.line([(0, y), (800, y)], fill=(225, 210, 180, 255))
    bg.alpha_composite(lay)
    Draw(bg).rectangle([0, 0, 800, 6], fill=DKGREEN + (255,))
    paste(bg, rotated(glyph("leaf", 40, LEAF), 20), 750, 376)
    save_png(bg.convert("RGB").quantize(64, method=Image.Quantize.FASTOCTREE,
                                        dither=Image.Dither.NONE), P + "book.png")

    cal = layer((761, 191))
    shadow(cal, (2, 4, 759, 186), 16, alpha=60, blur=4, dy=3)
    rrect(cal, (2, 4, 759, 187), 16, (220, 237, 200), outline=DKGREEN + (255,), width=3)
    save_png(cal, P + "calendar.png")


# ---------------------------------------------------------------- quiz --

QUIZ_MATTE = (236, 244, 228)


def quiz():
    P = "duzevod/images/DuzEvodResc/"
    # quiz menu
    bg = gradient((800, 430), (224, 242, 241), (236, 244, 228))
    bokeh(bg, 51, 20, WHITE, 50, 110, 10, 40)
    scatter_glyphs(bg, 52, ["head-question", "leaf", "recycle"], 16, TEAL, 30, 30, 56,
                   avoid=[(150, 10, 660, 150), (250, 350, 420, 420), (380, 180, 640, 330),
                          (690, 340, 800, 430)])
    text(bg, 400, 62, "Eco Quiz", 72, (0, 105, 92), shade=(2, 3, (255, 255, 255, 220)))
    text(bg, 400, 120, "up to 10 questions  \u2022  60 seconds", 24, (38, 90, 80))
    paste(bg, emoji("thinking-face", 150), 90, 190)
    card(bg, (410, 190, 610, 320), WHITE, 18)
    text(bg, 510, 210, "HIGH SCORE", 20, (0, 105, 92))
    paste(bg, emoji("trophy", 30), 568, 195)
    text(bg, 330, 355, "Tap START to play", 18, (38, 90, 80), bold=False)
    save_jpg(bg, P + "DuzEvod_Menu_1.jpg", 88)

    # question page
    q = gradient((800, 430), (252, 251, 242), (232, 245, 233))
    scatter_glyphs(q, 61, ["leaf", "recycle", "water", "lightning-bolt"], 14, GREEN, 28,
                   24, 48, avoid=[(190, 0, 620, 190), (260, 220, 800, 430), (0, 270, 250, 430)])
    card(q, (196, 4, 598, 138), WHITE, 16)
    rrect(q, (206, 12, 296, 44), 10, (224, 242, 241))
    card(q, (630, 8, 760, 54), (255, 249, 196), 22)
    paste(q, glyph("timer-outline", 30, (230, 81, 0)), 718, 16)
    paste(q, emoji("thinking-face", 120), 48, 70)
    save_png(q.convert("RGB").quantize(255, method=Image.Quantize.MEDIANCUT,
                                       dither=Image.Dither.NONE),
             P + "DuzEvod_Background(3).png")

    # result page
    r = gradient((800, 430), (255, 243, 224), (236, 244, 228))
    bokeh(r, 71, 22, WHITE, 50, 110, 10, 40)
    paste(r, emoji("trophy", 170), 110, 90)
    paste(r, emoji("party-popper", 70), 40, 60)
    paste(r, emoji("sparkles", 50), 290, 70)
    card(r, (400, 104, 630, 222), WHITE, 18)
    # speech balloon for the verdict, its tail pointing at the trophy
    shadow(r, (12, 362, 460, 426), 18, alpha=45, blur=4, dy=2)
    polygon(r, [(150, 366), (200, 366), (196, 268)], WHITE + (255,))
    rrect(r, (12, 362, 460, 426), 18, WHITE)
    save_jpg(r, P + "DuzEvod_Menu.jpg", 88)

    buttons = [
        ("button_start.gif", (121, 31), GREEN, "START", False),
        ("button_start2(orange).gif", (121, 31), ORANGE, "START", True),
        ("button_back.gif", (141, 41), BLUE, "BACK", False),
        ("button_back2.gif", (141, 41), ORANGE, "BACK", True),
        ("button_tryagain.gif", (171, 31), GREEN, "TRY AGAIN", False),
        ("button_tryagain2.gif", (171, 31), ORANGE, "TRY AGAIN", True),
        ("button_menu.gif", (121, 31), TEAL, "MENU", False),
        ("button_menu2.gif", (121, 31), ORANGE, "MENU", True),
    ]
    for name, (w, h), color, label, pressed in buttons:
        b = pill(w, h, color, label, pressed=pressed, text_size=int(h * 0.52), radius=12,
                 lip=3, inset=(1, 0))
        save_gif(b, P + name, QUIZ_MATTE)
    verdicts()


def verdicts():
    """tick.gif / cross.gif: the sign draws itself, then its word appears."""
    P = "duzevod/images/DuzEvodResc/"
    W, H = 170, 70

    def frame(color, strokes, progress, word, word_alpha):
        img = layer((W, H))
        rrect(img, (1, 1, W - 1, H - 1), 16, WHITE, outline=lighter(color, 0.55) + (255,),
              width=2)
        ellipse(img, (8, 7, 64, 63), lighter(color, 0.85) + (255,))
        total = sum(math.dist(a, b) for s in strokes for a, b in zip(s, s[1:]))
        left = total * progress
        for s in strokes:
            pts = [s[0]]
            for a, b in zip(s, s[1:]):
                seg = math.dist(a, b)
                if left <= 0:
                    break
                t = min(1.0, left / seg)
                pts.append((a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t))
                left -= seg
            if len(pts) > 1:
                line(img, pts, color + (255,), 9)
        if word_alpha:
            t = layer((W, H))
            text(t, 118, 36, word, 24, color, max_w=96)
            t.putalpha(t.getchannel("A").point(lambda v: v * word_alpha // 255))
            img.alpha_composite(t)
        return img

    kinds = [
        ("tick.gif", (46, 160, 67), [[(20, 36), (32, 49), (53, 22)]], "RIGHT!"),
        ("cross.gif", (211, 47, 47), [[(22, 21), (50, 49)], [(50, 21), (22, 49)]], "WRONG"),
    ]
    for name, color, strokes, word in kinds:
        frames, delays = [], []
        steps = 8
        for i in range(1, steps + 1):
            frames.append(frame(color, strokes, i / steps, word, 0))
            delays.append(50)
        for a in (110, 200, 255):
            frames.append(frame(color, strokes, 1.0, word, a))
            delays.append(60)
        delays[-1] = 600  # the still end frame
        pal = [to_gif_frame(f, QUIZ_MATTE) for f in frames]
        pal[0].save(out_path(P + name), "GIF", save_all=True, append_images=pal[1:],
                    duration=delays, transparency=255, disposal=2, optimize=False)


# ---------------------------------------------------------------- crafts --

def alu_can(size, color=WHITE):
    img = layer((size, size))
    w = size * 0.5
    x0 = (size - w) / 2
    rrect(img, (x0, size * 0.12, x0 + w, size * 0.88), size * 0.08, color + (255,))
    lay = layer((size, size))
    rrect(lay, (x0 + 2, size * 0.34, x0 + w - 2, size * 0.66), 2, (0, 0, 0, 255))
    mask = lay.getchannel("A").point(lambda v: 255 - v)
    img.putalpha(Image.composite(img.getchannel("A"), Image.new("L", img.size, 0), mask))
    rrect(img, (x0 + size * 0.05, size * 0.39, x0 + w - size * 0.05, size * 0.61), 2,
          color + (170,))
    return img


def crafts():
    P = "darAror/images/DarArorResc/"
    for key, (color, cap, g) in CATEGORY.items():
        # glyph on the left, caption to its right
        b = layer((161, 51))
        rrect(b, (2, 7, 159, 48), 14, darker(color, 0.72))
        rrect(b, (2, 3, 159, 44), 14, color)
        gimg = alu_can(30) if g is None else glyph(g, 28)
        paste(b, gimg, 14, 9 if g else 8)
        text(b, 98, 24, cap, 20, WHITE, max_w=104, shade=(0, 1, (0, 0, 0, 70)))
        save_png(b, P + "DarAror_Button(%s).png" % key)

    nav = [
        ("DarAror_Button(up).png", (31, 31), "arrow-up-bold", None),
        ("DarAror_Button(down).png", (31, 31), "arrow-down-bold", None),
    ]
    for name, (w, h), g, _ in nav:
        img = layer((w, h))
        ellipse(img, (1, 2, w - 1, h - 0), darker(ORANGE, 0.72))
        ellipse(img, (1, 1, w - 1, h - 2), ORANGE)
        paste(img, glyph(g, 21), 5, 4)
        save_png(img, P + name)
    save_png(tile(51, 41, RED, "play", None, margin=(1, 1), radius=10, glyph_scale=0.95),
             P + "DarAror_Button(video).png")
    save_png(tile(61, 51, BROWN, "home", None, margin=(1, 1), radius=12, glyph_scale=0.9),
             P + "DarAror_Button(home).png")
    for name, label, g, first in (("prev", "PREV", "arrow-left-bold", True),
                                  ("next", "NEXT", "arrow-right-bold", False),
                                  ("back", "BACK", "arrow-left", True),
                                  ("menu", "MENU", "menu", True)):
        img = layer((75, 31))
        rrect(img, (1, 3, 74, 31), 10, darker(BROWN, 0.72))
        rrect(img, (1, 0, 74, 28), 10, BROWN)
        gl = glyph(g, 18)
        f = fit_font(label, 40, 13, 15)
        tw = f.getbbox(label, anchor="ls")[2]
        total = tw + 20
        x = 37.5 - total / 2
        if first:
            paste(img, gl, x, 5)
            text(img, x + 20, 14, label, f.size, WHITE, align="left")
        else:
            text(img, x, 14, label, f.size, WHITE, align="left")
            paste(img, gl, x + tw + 2, 5)
        save_png(img, P + "DarAror_Button(%s).png" % name)

    pinboard()
    for key, (color, cap, g) in CATEGORY.items():
        craft_page(key, color, cap, g)
    craft_pictures()


def pinboard():
    rng = random.Random(81)
    img = new("RGBA", (800, 430), (150, 104, 64, 255))
    d = Draw(img)
    for i in range(120):
        y = rng.randint(0, 430)
        d.line([(0, y), (800, y + rng.randint(-2, 2))],
               fill=(rng.randint(130, 170), rng.randint(90, 118), rng.randint(52, 76), 255))
    cork = new("RGBA", (766, 396), (206, 160, 108, 255))
    cd = Draw(cork)
    for _ in range(9000):
        x, y = rng.randint(0, 765), rng.randint(0, 395)
        r = rng.choice((1, 1, 1, 2))
        v = rng.randint(-34, 30)
        cd.ellipse([x, y, x + r, y + r], fill=(206 + v, 160 + v, 108 + v, 255))
    cork = cork.filter(blurred(0.6))
    paste(img, cork, 17, 17)
    d.rectangle([17, 17, 782, 412], outline=(110, 74, 44, 255), width=2)

    def note(w, h, fill, deg, draw):
        n = layer((w + 16, h + 16))
        shadow(n, (8, 8, w + 8, h + 8), 3, alpha=70, blur=3, dy=3)
        rrect(n, (8, 8, w + 8, h + 8), 3, fill)
        draw(n)
        return rotated(n, deg)

    def title_note(n):
        text(n, 158, 56, "Craft Ideas", 42, (93, 64, 55))
        text(n, 158, 94, "choose a material to re-use", 19, (109, 76, 65), bold=False)

    paste(img, note(300, 110, (255, 249, 196), 1.5, title_note), 242, 26)
    paste(img, emoji("round-pushpin", 30), 384, 22)

    def motto(n):
        text(n, 90, 36, "Reduce", 22, GREEN)
        text(n, 90, 64, "Re-use", 22, BLUE)
        text(n, 90, 92, "Recycle", 22, ORANGE)

    paste(img, note(165, 106, (255, 255, 255), -5, motto), 60, 296)
    paste(img, emoji("round-pushpin", 26), 132, 292)
    paste(img, note(90, 70, (200, 230, 201), 6, lambda n: paste(
        n, emoji("recycling-symbol", 50), 28, 18)), 560, 300)
    paste(img, emoji("pushpin", 26), 604, 292)
    paste(img, emoji("scissors", 44), 690, 40)
    paste(img, emoji("yarn", 44), 50, 40)
    save_jpg(img, P_DAR + "Background_pinboard.jpg", 85)


P_DAR = "darAror/images/DarArorResc/"


def craft_page(key, color, cap, g):
    names = {"alu": "darAror_aluminium.jpg", "clothes": "darAror_clothes.jpg",
             "paper": "darAror_paper.jpg", "plastic": "darAror_plastic.jpg",
             "glass": "darAror_glass.jpg", "others": "darAror_others.jpg"}
    img = gradient((800, 430), lighter(color, 0.86), lighter(color, 0.93))
    scatter_glyphs(img, 90 + len(key), ["recycle", "leaf"] + ([g] if g else []), 18,
                   color, 28, 24, 54, avoid=[(20, 10, 420, 90), (24, 84, 296, 350),
                                              (300, 40, 780, 420), (30, 350, 300, 420)])
    # header ribbon
    shadow(img, (20, 14, 414, 78), 18, alpha=55, blur=4, dy=3)
    rrect(img, (20, 14, 414, 78), 18, color)
    gimg = alu_can(46) if g is None else glyph(g, 42)
    paste(img, gimg, 34, 24 if g else 22)
    text(img, 90, 46, cap + " crafts", 32, WHITE, align="left", max_w=310,
         shade=(0, 2, (0, 0, 0, 70)))
    # soft panels behind the craft's texts and picture
    rrect(img, (26, 84, 298, 346), 16, (255, 255, 255, 170))
    rrect(img, (302, 92, 770, 418), 16, (255, 255, 255, 200))
    save_jpg(img, P_DAR + names[key], 88)


def scene(bg_top, bg_bottom, table):
    img = gradient((160, 120), bg_top, bg_bottom)
    Draw(img).rectangle([0, 86, 160, 120], fill=table + (255,))
    Draw(img).line([(0, 86), (160, 86)], fill=darker(table, 0.85) + (255,), width=2)
    return img


def craft_pictures():
    P = P_DAR + "resc/"
    WOOD = (215, 180, 140)

    def put(img, name, size, x, y, deg=0):
        e = emoji(name, size)
        paste(img, rotated(e, deg) if deg else e, x, y)

    def save(img, name):
        save_jpg(img, P + name, 90)

    # glass: jar animals (a lion jar and a frog jar)
    img = scene((225, 245, 240), (200, 232, 224), WOOD)
    put(img, "jar", 78, 4, 30)
    put(img, "jar", 78, 78, 30)
    put(img, "lion", 40, 23, 6)
    put(img, "frog", 40, 97, 6)
    save(img, "jar_animals.JPG")
    # glass: teacher's rubber-stamp jar
    img = scene((232, 240, 250), (210, 225, 245), WOOD)
    put(img, "jar", 88, 36, 26)
    put(img, "glowing-star", 34, 63, 56)
    put(img, "pencil", 40, 6, 20, 20)
    put(img, "red-apple", 36, 118, 62)
    put(img, "star", 22, 128, 14)
    save(img, "teacher_jar.JPG")
    # paper: greeting-card puzzles
    img = scene((252, 235, 240), (245, 215, 225), WOOD)
    put(img, "love-letter", 70, 12, 24)
    put(img, "puzzle-piece", 44, 88, 20, -15)
    put(img, "puzzle-piece", 36, 108, 66, 25)
    put(img, "scissors", 30, 70, 80)
    save(img, "cards_puzzles.JPG")
    # paper: stationery bears
    img = scene((255, 244, 225), (250, 230, 200), WOOD)
    put(img, "teddy-bear", 64, 10, 26)
    put(img, "memo", 54, 86, 34)
    put(img, "pencil", 34, 118, 10, -10)
    put(img, "paperclip", 26, 70, 80)
    save(img, "stationery_bears.jpg")
    # aluminium: utensil holder
    img = scene((236, 240, 242), (215, 222, 226), WOOD)
    put(img, "fork-and-knife", 52, 52, 6)
    put(img, "spoon", 46, 78, 8, -20)
    put(img, "canned-food", 80, 42, 36)
    save(img, "recycle_utensil_holder.jpg")
    # aluminium: remote-control holder
    img = scene((236, 240, 242), (215, 222, 226), WOOD)
    for i, x in enumerate((54, 78)):
        rrect(img, (x, 14 + i * 6, x + 20, 70), 5, (55, 71, 79, 255))
        for k in range(3):
            ellipse(img, (x + 6, 22 + i * 6 + k * 11, x + 14, 30 + i * 6 + k * 11),
                    (RED, AMBER, GREEN)[k] + (255,))
    put(img, "canned-food", 84, 40, 34)
    save(img, "dad_remote_holder.JPG")
    # paper: box necklace with a heart
    img = scene((252, 228, 236), (248, 210, 224), WOOD)
    line(img, [(30, 8), (50, 44), (80, 58), (110, 44), (130, 8)], (120, 85, 72, 255), 2)
    put(img, "package", 50, 55, 50)
    put(img, "red-heart", 28, 66, 62)
    put(img, "sparkles", 24, 118, 60)
    save(img, "j_heart.jpg")
    # paper: CD holder
    img = scene((232, 234, 246), (210, 214, 238), WOOD)
    put(img, "optical-disk", 44, 44, 10)
    put(img, "optical-disk", 44, 70, 14)
    rrect(img, (32, 40, 128, 104), 6, (255, 183, 77, 255))
    rrect(img, (32, 40, 128, 52), 6, (251, 140, 0, 255))
    put(img, "star", 26, 67, 64)
    save(img, "cd_holder_room.JPG")
    # plastic: toothbrush bracelets (two pictures)
    for idx, colors in ((1, (BLUE, PINK, GREEN)), (2, (AMBER, PURPLE, TEAL))):
        img = scene((227, 242, 253), (200, 228, 250), WOOD)
        if idx == 1:
            put(img, "toothbrush", 60, 4, 18, 30)
            for k, c in enumerate(colors):
                ellipse(img, (64 + k * 26, 40 + (k % 2) * 8, 106 + k * 26, 82 + (k % 2) * 8),
                        None, outline=c + (255,), width=7)
        else:
            for k, c in enumerate(colors):
                ellipse(img, (24 + k * 36, 30 + k * 4, 80 + k * 36, 86 + k * 4), None,
                        outline=c + (255,), width=8)
            put(img, "toothbrush", 36, 116, 6, -30)
        save(img, "toothbrush_bracelet_%d.jpg" % idx)
    # others: CD card
    img = scene((237, 231, 246), (220, 208, 240), WOOD)
    rrect(img, (24, 16, 136, 100), 6, (255, 255, 255, 255), outline=(206, 147, 216, 255), width=3)
    put(img, "optical-disk", 58, 51, 22)
    put(img, "red-heart", 22, 69, 40)
    put(img, "sparkles", 24, 112, 8)
    save(img, "recycled_CD_Card.jpg")
    # plastic: potato-container car
    img = scene((227, 242, 253), (200, 228, 250), WOOD)
    rrect(img, (22, 44, 132, 84), 18, (239, 83, 80, 255))
    rrect(img, (46, 30, 104, 52), 10, (255, 205, 210, 255))
    rrect(img, (40, 44, 118, 50), 2, (198, 40, 40, 255))
    for x in (30, 100):
        ellipse(img, (x, 70, x + 28, 98), (55, 71, 79, 255))
        ellipse(img, (x + 9, 79, x + 19, 89), (200, 200, 200, 255))
    put(img, "potato", 34, 118, 6, -20)
    save(img, "recycled_potato_container_car.jpg")
    # clothes: rag doll (two pictures)
    img = scene((252, 228, 236), (248, 210, 224), WOOD)
    put(img, "nesting-dolls", 80, 40, 16)
    put(img, "yarn", 36, 6, 60)
    put(img, "sewing-needle", 32, 120, 20, 20)
    save(img, "rag_doll.jpg")
    img = scene((252, 228, 236), (248, 210, 224), WOOD)
    put(img, "dress", 62, 14, 22)
    put(img, "t-shirt", 50, 86, 40)
    put(img, "thread", 32, 118, 6)
    put(img, "scissors", 30, 70, 8, 15)
    save(img, "rag_doll2.jpg")


# --------------------------------------------------------------- facts --

def facts():
    P = "new/prefix1/images/"
    bg = gradient((800, 430), (200, 230, 201), (241, 248, 233))
    bokeh(bg, 101, 30, WHITE, 40, 110, 10, 50)
    scatter_glyphs(bg, 102, ["leaf", "lightbulb-on"], 30, DKGREEN, 40, 20, 46)
    save_jpg(bg, P + "Background_by_kelmor1.jpg", 86)

    head = pill(231, 41, AMBER, "Quick Facts", "lightbulb-on", text_color=INK, text_size=26,
                radius=16, lip=3, inset=(1, 1))
    save_png(head, "new/prefix1/MAIN.png")

    def fact_tile(color):
        img = layer((160, 150))
        rrect(img, (3, 3, 157, 147), 18, color)
        return img

    img = fact_tile((57, 44, 90, 255))
    ellipse(img, (92, 12, 140, 60), (255, 241, 118, 255))
    ellipse(img, (104, 6, 152, 54), (57, 44, 90, 255))
    paste(img, emoji("person-vampire", 84), 14, 34)
    ellipse(img, (88, 78, 152, 142), (255, 241, 118, 255))
    paste(img, emoji("electric-plug", 52), 94, 84)
    paste(img, emoji("high-voltage", 30), 112, 48)
    save_jpg(opaque(img, PAPER), P + "vampireAppliance.jpg", 90)

    img = fact_tile((200, 230, 201, 255))
    ellipse(img, (18, 18, 142, 142), (129, 199, 132, 255))
    paste(img, emoji("seedling", 76), 42, 48)
    paste(img, emoji("alarm-clock", 50), 100, 10)
    paste(img, emoji("crescent-moon", 36), 16, 14)
    save_jpg(opaque(img, PAPER), P + "greenHour.jpg", 90)

    img = fact_tile((255, 224, 178, 255))
    paste(img, emoji("world-map", 120), 20, 24)
    overlay = layer((160, 150))
    rrect(overlay, (3, 3, 157, 147), 18, (244, 67, 54, 60))
    img.alpha_composite(overlay)
    paste(img, emoji("sun", 46), 8, 6)
    paste(img, emoji("thermometer", 56), 106, 84)
    paste(img, emoji("fire", 28), 86, 8)
    save_png(img, P + "Global_Warming_Map.png")

    img = fact_tile((187, 222, 251, 255))
    rrect(img, (3, 104, 157, 147), 18, (144, 164, 174, 255))
    rrect(img, (3, 104, 157, 118), 0, (144, 164, 174, 255))
    paste(img, emoji("automobile", 104), 28, 32)
    paste(img, emoji("high-voltage", 40), 14, 12)
    paste(img, emoji("fuel-pump", 40), 108, 12)
    paste(img, emoji("battery", 30), 62, 6)
    save_png(img, P + "HEV.png")


# -------------------------------------------------------------- sounds --

def sounds():
    rate = 11025

    def write(name, samples):
        path = out_path("music/sound/" + name)
        with wave.open(path, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(1)
            w.setframerate(rate)
            w.writeframes(bytes(max(0, min(255, int(128 + 110 * s))) for s in samples))

    def tone(freqs, dur, env):
        n = int(rate * dur)
        out = []
        for i in range(n):
            t = i / rate
            v = sum(math.sin(2 * math.pi * f * t) for f in freqs) / len(freqs)
            out.append(v * env(t, dur))
        return out

    fade = lambda t, d: min(1.0, t * 40) * max(0.0, 1 - t / d) ** 1.5  # noqa: E731
    # slot2: a quick rising arpeggio
    s = []
    for f in (523.25, 659.25, 783.99, 1046.5):
        s += tone([f], 0.25, fade)
    write("slot2.wav", s)
    # smooth: a soft major chord
    write("smooth.wav", tone([261.63, 329.63, 392.0], 1.0,
                             lambda t, d: min(1.0, t * 4) * max(0.0, 1 - t / d)))
    # Tabla: four decaying drum strokes with a falling pitch
    s = []
    for k, f0 in enumerate((180, 120, 180, 90)):
        n = int(rate * 0.25)
        ph = 0.0
        for i in range(n):
            t = i / rate
            ph += 2 * math.pi * f0 * (1 + 0.6 * math.exp(-t * 30)) / rate
            s.append(math.sin(ph) * math.exp(-t * 14))
    write("Tabla.wav", s)
    # AfternoonStreets: a short mellow phrase
    s = []
    for f in (392.0, 440.0, 493.88, 440.0, 392.0, 329.63, 392.0, 293.66):
        s += tone([f, f / 2], 0.125, lambda t, d: min(1.0, t * 60) * math.exp(-t * 10))
    write("AfternoonStreets.wav", s)


# ------------------------------------------------------- contact sheet --

def contact_sheet():
    pics = [p for p in OUTPUTS if not p.endswith(".wav") and "@" not in p]
    cell_w, cell_h, thumb_h = 200, 150, 118
    cols = 8
    rows = (len(pics) + cols - 1) // cols
    sheet = Image.new("RGBA", (cols * cell_w, rows * cell_h + 40), (250, 250, 250, 255))
    text(sheet, 12, 20, "Viridio resource bundle: %d pictures (size in brackets; "
         "GIF animations show their last frame)" % len(pics), 18, INK, align="left")
    checker = Image.new("RGBA", (cell_w - 10, thumb_h), (255, 255, 255, 255))
    cdraw = ImageDraw.Draw(checker)
    for y in range(0, thumb_h, 8):
        for x in range(0, cell_w - 10, 8):
            if (x // 8 + y // 8) % 2:
                cdraw.rectangle([x, y, x + 7, y + 7], fill=(222, 222, 222, 255))
    small = font(12, bold=False)
    for i, rel in enumerate(pics):
        img = Image.open(os.path.join(RES, rel))
        if getattr(img, "n_frames", 1) > 1:
            img.seek(img.n_frames - 1)
        img = img.convert("RGBA")
        w, h = img.size
        k = min((cell_w - 14) / w, (thumb_h - 4) / h, 1.0)
        th = img.resize((max(1, int(w * k)), max(1, int(h * k))), Image.Resampling.LANCZOS)
        x0, y0 = (i % cols) * cell_w, 40 + (i // cols) * cell_h
        sheet.alpha_composite(checker, (x0 + 5, y0 + 4))
        paste_center(sheet, th, x0 + cell_w / 2, y0 + 4 + thumb_h / 2)
        d = ImageDraw.Draw(sheet)
        label = os.path.basename(rel)
        if len(label) > 26:
            label = label[:25] + "\u2026"
        d.text((x0 + 6, y0 + thumb_h + 8), label, font=small, fill=INK + (255,))
        d.text((x0 + 6, y0 + thumb_h + 21), "[%dx%d]" % (w, h), font=small,
               fill=(110, 110, 110, 255))
    sheet.convert("RGB").save(SHEET, "PNG", optimize=True)


def write_qrc():
    """forms/images.qrc and forms/mainmenu.qrc (START_FOLDERS): one prefix per
    folder, every file stored uncompressed."""
    folders = {}
    for rel in OUTPUTS:
        folder, name = rel.rsplit("/", 1)
        folders.setdefault(folder, []).append(name)
    for path, wanted in ((QRC, lambda f: f not in START_FOLDERS),
                         (START_QRC, lambda f: f in START_FOLDERS)):
        lines = ["<!DOCTYPE RCC>", '<RCC version="1.0">']
        for folder in sorted(f for f in folders if wanted(f)):
            lines.append('    <qresource prefix="/%s">' % folder)
            for name in sorted(folders[folder]):
                esc = name.replace("&", "&amp;")
                lines.append('        <file alias="%s" compression-algorithm="none">'
                             "../resources/%s/%s</file>" % (esc, folder, esc))
            lines.append("    </qresource>")
        lines.append("</RCC>")
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")


# The versions the committed outputs were made with; others draw the same
# pictures but may encode them into different bytes.
PINNED_TOOLS = {"Pillow": "9.4.0", "rsvg-convert": "2.54.7"}


def check_tools():
    import PIL
    rsvg_version = subprocess.run(["rsvg-convert", "--version"], check=True,
                                  capture_output=True, text=True).stdout.split()[-1]
    found = {"Pillow": PIL.__version__, "rsvg-convert": rsvg_version}
    for tool, version in PINNED_TOOLS.items():
        if found[tool] != version:
            print("warning: %s %s, the committed files were made with %s: outputs may "
                  "differ in their bytes" % (tool, found[tool], version), file=sys.stderr)


def app_icon():
    """The desktop icon: the menu's white leaf on a green tile, in the hicolor sizes."""
    for size in (16, 24, 32, 48, 64, 128, 256):
        img = tile(size, size, GREEN, "leaf", margin=(0, 0), lip=max(1, size // 24),
                   glyph_scale=0.78)
        path = os.path.join(ICONS, "%dx%d" % (size, size), "apps", "viridio.png")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        img.save(path, "PNG", optimize=True)
    # The same tile as a vector for the scalable size: 256 units, the lip
    # and the leaf placed as tile() places them at 256 px.
    size, lip, gsize = 256, 256 // 24, int((256 - 6 - 256 // 24) * 0.78)
    gx, gy = size / 2 - gsize / 2, 3 + (size - 6 - lip - gsize) / 2
    leaf = re.search(r' d="([^"]+)"', open(os.path.join(SRC, "mdi", "leaf.svg")).read()).group(1)
    USED.add("leaf")
    hexc = lambda c: "#%02x%02x%02x" % c
    svg = ('<svg xmlns="http://www.w3.org/2000/svg" width="{s}" height="{s}" viewBox="0 0 {s} {s}">\n'
           '  <rect x="0" y="{lip}" width="{s}" height="{h}" rx="{r}" fill="{dark}"/>\n'
           '  <rect x="0" y="0" width="{s}" height="{h}" rx="{r}" fill="{green}"/>\n'
           '  <path transform="translate({gx:g} {gy:g}) scale({k:.5g})" fill="#ffffff" d="{d}"/>\n'
           '</svg>\n').format(s=size, lip=lip, h=size - lip, r=int(size * 0.2),
                              dark=hexc(darker(GREEN, 0.72)), green=hexc(GREEN),
                              gx=gx, gy=gy, k=gsize / 24, d=leaf)
    path = os.path.join(ICONS, "scalable", "apps", "viridio.svg")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(svg)


def main():
    global K
    check_tools()
    if os.path.isdir(RES):
        shutil.rmtree(RES)
    os.makedirs(RES)
    for K in SCALES:
        main_menu()
        chalkboard()
        calculator()
        shared_buttons()
        events()
        quiz()
        crafts()
        facts()
    K = 1
    sounds()
    app_icon()
    contact_sheet()
    write_qrc()
    unused = sorted(set(MDI_ICONS + EMOJI_ICONS) - USED)
    if unused:
        print("warning: sources not drawn: " + " ".join(unused), file=sys.stderr)
    total = sum(os.path.getsize(os.path.join(RES, p)) for p in OUTPUTS)
    print("%d files, %d bytes in resources/; contact sheet %s" % (len(OUTPUTS), total, SHEET))


if __name__ == "__main__":
    main()
