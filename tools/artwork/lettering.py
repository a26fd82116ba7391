#!/usr/bin/python3
"""Writes the window's text pictures (headings, title, buttons, "Xper") as SVG
files whose lettering is converted to outlines, so that they look the same
whatever fonts the rendering machine has.

Rerun from the repository root with Debian's Python:
    apt-get install python3-fonttools libharfbuzz-bin fonts-dancingscript fonts-texgyre
    /usr/bin/python3 tools/artwork/lettering.py
It overwrites the text pictures in resources/pictures/; the other pictures are
drawn by hand and are not touched. Fonts and their licences: resources/README.md.
"""

import json
import os
import re
import subprocess

from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.svgPathPen import SVGPathPen
from fontTools.pens.transformPen import TransformPen
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "..", "resources", "pictures")

SCRIPT = "/usr/share/fonts/opentype/dancingscript/DancingScript-Bold.otf"
SANS = "/usr/share/texmf/fonts/opentype/public/tex-gyre/texgyreheros-bolditalic.otf"

TEAL = "#20B0B0"
PANEL_BLUE = "#27B7EC"
LAVENDER = "#C79EF6"
HEADING_BLUE = "#004080"

_fonts = {}


def font(path):
    if path not in _fonts:
        _fonts[path] = TTFont(path)
    return _fonts[path]


def num(v, digits=2):
    s = f"{v:.{digits}f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def compact(d):
    """Rewrites absolute path data (M L H V C Q Z) as relative commands with one
    decimal, which is all a picture this small needs."""
    tokens = re.findall(r"[MLHVCQZ]|-?[0-9.]+(?:e-?[0-9]+)?", d)
    arity = {"M": 2, "L": 2, "H": 1, "V": 1, "C": 6, "Q": 4, "Z": 0}
    out, i, cmd = [], 0, None
    cx = cy = sx = sy = 0.0  # exact current and subpath start points
    rx = ry = srx = sry = 0.0  # the same as the reader will add them up
    last = None
    while i < len(tokens):
        if tokens[i] in arity:
            cmd = tokens[i]
            i += 1
        if cmd == "Z":
            out.append("z")
            cx, cy, rx, ry = sx, sy, srx, sry
            last = None
            continue
        args = [float(t) for t in tokens[i:i + arity[cmd]]]
        i += arity[cmd]
        if cmd == "H":
            args, cmd_abs = [args[0], cy], "L"
        elif cmd == "V":
            args, cmd_abs = [cx, args[0]], "L"
        else:
            cmd_abs = cmd
        rel = []
        for k in range(0, len(args), 2):
            rel += [round(args[k] - rx, 1), round(args[k + 1] - ry, 1)]
        letter = cmd_abs.lower()
        text = ""
        for v in rel:
            t = num(v, 1)
            if t.startswith("0."):
                t = t[1:]
            elif t.startswith("-0."):
                t = "-" + t[2:]
            text += t if (t.startswith("-") or not text) else " " + t
        out.append(("" if letter == last else letter) + (" " if letter == last else "") + text)
        last = "l" if letter == "m" else letter
        cx, cy = args[-2], args[-1]
        rx, ry = rx + rel[-2], ry + rel[-1]
        if cmd_abs == "M":
            sx, sy, srx, sry = cx, cy, rx, ry
            cmd = "L"  # pairs that follow a moveto are linetos
    return "".join(out)


def shape(path, text):
    """Glyph names and pen positions in font units, kerned by HarfBuzz."""
    out = subprocess.run(["hb-shape", "--output-format=json", "--no-glyph-names", path, text],
                         check=True, capture_output=True, text=True).stdout
    order = font(path).getGlyphOrder()
    x, glyphs = 0, []
    for g in json.loads(out):
        glyphs.append((order[g["g"]], x + g["dx"], g["dy"]))
        x += g["ax"]
    return glyphs, x


def outline(path, text, size, x, y, skew=0.0, tracking=0.0):
    """Path data of `text` at `size` px, baseline origin at (x, y)."""
    f = font(path)
    gs = f.getGlyphSet()
    s = size / f["head"].unitsPerEm
    glyphs, _ = shape(path, text)
    pen = SVGPathPen(gs, ntos=num)
    for i, (name, gx, gy) in enumerate(glyphs):
        ox = x + gx * s + i * tracking
        oy = y - gy * s
        gs[name].draw(TransformPen(pen, (s, 0, -skew * s, -s, ox, oy)))
    return compact(pen.getCommands())


def ink_bounds(path, text, size, skew=0.0, tracking=0.0):
    f = font(path)
    gs = f.getGlyphSet()
    s = size / f["head"].unitsPerEm
    glyphs, _ = shape(path, text)
    pen = BoundsPen(gs)
    for i, (name, gx, gy) in enumerate(glyphs):
        gs[name].draw(TransformPen(pen, (s, 0, -skew * s, -s, gx * s + i * tracking, -gy * s)))
    return pen.bounds  # xmin, ymin, xmax, ymax with y down, baseline at 0


def fitted(path, text, size, w, h, skew=0.0, tracking=0.0, dx=0.0, dy=0.0):
    """Path data of `text` centred on its ink in a w x h box."""
    x0, y0, x1, y1 = ink_bounds(path, text, size, skew, tracking)
    ox = (w - (x1 - x0)) / 2 - x0 + dx
    oy = (h - (y1 - y0)) / 2 - y0 + dy
    return outline(path, text, size, ox, oy, skew, tracking), (x0 + ox, y0 + oy, x1 + ox, y1 + oy)


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
            f'version="1.2" baseProfile="tiny" width="{w}" height="{h}" viewBox="0 0 {w} {h}">\n'
            f'{body}</svg>\n')


def write(name, content):
    with open(os.path.join(OUT, name), "w", encoding="utf-8") as fh:
        fh.write(content)
    print(f"{name}: {len(content)} bytes")


# Headings: one letter size for all, dark blue script on the panel's colour,
# with a soft light edge below and a darker one above-left for a little relief.
HEADING_SIZE = 27.0


def heading(name, text, w, h, ground, dy=0.0):
    d, box = fitted(SCRIPT, text, HEADING_SIZE, w, h, dy=dy)
    assert box[0] >= 0.5 and box[2] <= w - 0.5 and box[1] >= 0.5 and box[3] <= h - 0.5, (name, box)
    body = (f'<rect width="{w}" height="{h}" fill="{ground}"/>\n'
            f'<defs><path id="t" d="{d}"/></defs>\n'
            '<use xlink:href="#t" fill="#FFFFFF" fill-opacity="0.45" transform="translate(0.8,0.9)"/>\n'
            f'<use xlink:href="#t" fill="{HEADING_BLUE}"/>\n')
    write(name, svg(w, h, body))


def title():
    w, h = 245, 45
    d, box = fitted(SANS, "SOLVENARE", 34.0, w - 3, h - 3, skew=0.0, tracking=1.2)
    top, bottom = box[1], box[3]
    body = (f'<rect width="{w}" height="{h}" fill="{TEAL}"/>\n'
            '<defs><linearGradient id="g" gradientUnits="userSpaceOnUse" '
            f'x1="0" y1="{num(top)}" x2="0" y2="{num(bottom)}">'
            '<stop offset="0" stop-color="#FFF3A8"/><stop offset="0.5" stop-color="#FFC933"/>'
            '<stop offset="1" stop-color="#FF8A1E"/></linearGradient></defs>\n'
            f'<defs><path id="t" d="{d}"/></defs>\n'
            '<use xlink:href="#t" fill="#0B6E7A" transform="translate(3,3)"/>\n'
            '<use xlink:href="#t" fill="url(#g)" stroke="#003A70" stroke-width="1.6" '
            'stroke-linejoin="round" transform="translate(1,1)"/>\n')
    write("title_solvenare.svg", svg(w, h, body))


def xper():
    w, h = 66, 35
    x_d = outline(SANS, "X", 30.0, 4.5, 28.0)
    per_d = outline(SANS, "per", 19.0, 26.0, 25.0)
    body = (f'<rect width="{w}" height="{h}" fill="{PANEL_BLUE}"/>\n'
            '<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#1D5C9C"/><stop offset="1" stop-color="#0A2F5C"/>'
            '</linearGradient></defs>\n'
            f'<rect x="0.5" y="0.5" width="{w - 1}" height="{h - 1}" rx="6" fill="url(#g)" '
            'stroke="#06203F"/>\n'
            f'<rect x="3" y="2" width="{w - 6}" height="12" rx="5" fill="#FFFFFF" fill-opacity="0.12"/>\n'
            f'<path fill="#000000" fill-opacity="0.35" transform="translate(1,1)" d="{x_d}"/>\n'
            f'<path fill="#FF8C1A" d="{x_d}"/>\n'
            f'<path fill="#FFFFFF" d="{per_d}"/>\n')
    write("xper.svg", svg(w, h, body))


# Buttons: a rounded, lightly glossy button of the given colour on panel blue,
# white italic capitals with a dark edge.
BUTTONS = [
    ("button_demarrer.svg", "DEMARRER", "#4CD04C", "#1E8E26", "#0E5A16"),
    ("button_arreter.svg", "ARRETER", "#F2564A", "#C01E1E", "#6E0C0C"),
    ("button_ecrire.svg", "ECRIRE", "#E8448E", "#CC0066", "#6A0035"),
]


def button(name, text, light, base, dark):
    w, h = 130, 32
    d, _ = fitted(SANS, text, 17.0, w, h, tracking=0.6, dy=0.3)
    body = (f'<rect width="{w}" height="{h}" fill="{PANEL_BLUE}"/>\n'
            '<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{light}"/><stop offset="1" stop-color="{base}"/>'
            '</linearGradient></defs>\n'
            f'<rect x="1" y="1.5" width="{w - 2}" height="{h - 2.5}" rx="10" fill="{dark}" fill-opacity="0.45"/>\n'
            f'<rect x="0.5" y="0.5" width="{w - 2}" height="{h - 2}" rx="10" fill="url(#g)" '
            f'stroke="{dark}"/>\n'
            f'<rect x="5" y="2.5" width="{w - 11}" height="11" rx="5.5" fill="#FFFFFF" fill-opacity="0.28"/>\n'
            f'<defs><path id="t" d="{d}"/></defs>\n'
            f'<use xlink:href="#t" fill="{dark}" transform="translate(0.2,1.2)"/>\n'
            '<use xlink:href="#t" fill="#FFFFFF" transform="translate(-0.5,-0.2)"/>\n')
    write(name, svg(w, h, body))


def main():
    os.makedirs(OUT, exist_ok=True)
    heading("heading_parametres_des_mesures.svg", "Paramètres des mesures", 267, 33, PANEL_BLUE)
    heading("heading_etalonnages.svg", "Etalonnages", 146, 30, PANEL_BLUE)
    heading("heading_mot_de_passe.svg", "Mot de passe", 153, 30, LAVENDER)
    heading("heading_reception_des_mesures.svg", "Réception des mesures", 258, 39, PANEL_BLUE)
    title()
    xper()
    for b in BUTTONS:
        button(*b)


if __name__ == "__main__":
    main()
