#!/usr/bin/python3
"""Turns the screen captures of the window tests into the manual's pictures.

The manual is typeset by groff, whose PDF output embeds pictures only as PDF
files. Run by hand after the screens change (needs Pillow):

    QT_QPA_PLATFORM=offscreen build/tests/app/app_tests --gtest_filter='*Captures*'
    doc/manuel/images/captures.py build/tests/app/captures doc/manuel/images
"""
import sys
import zlib

from PIL import Image

PANEL_LEFT = 372  # the panels fill the right-hand side of the window
PARAMETERS_TOP = 132  # the parameters and calibration panels lie under the pictures
GAP = 16


def panel(captures, name, top=0):
    im = Image.open(f"{captures}/{name}.png").convert("RGB")
    return im.crop((PANEL_LEFT, top, im.width, im.height))


def side_by_side(left, right):
    im = Image.new("RGB", (left.width + GAP + right.width, max(left.height, right.height)), "white")
    im.paste(left, (0, 0))
    im.paste(right, (left.width + GAP, 0))
    return im


def write_pdf(im, path):
    """One page holding the picture, colours reduced to keep the file small."""
    im = im.quantize(colors=192, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    w, h = im.size
    palette = im.getpalette()
    data = zlib.compress(im.tobytes(), 9)
    pw, ph = w * 0.75, h * 0.75  # 96 pixels to the inch
    content = b"q %g 0 0 %g 0 0 cm /Im0 Do Q" % (pw, ph)
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %g %g] "
        b"/Resources << /XObject << /Im0 4 0 R >> >> /Contents 5 0 R >>" % (pw, ph),
        b"<< /Type /XObject /Subtype /Image /Width %d /Height %d "
        b"/ColorSpace [/Indexed /DeviceRGB %d <%s>] /BitsPerComponent 8 "
        b"/Filter /FlateDecode /Length %d >>\nstream\n"
        % (w, h, len(palette) // 3 - 1, bytes(palette).hex().encode(), len(data))
        + data + b"\nendstream",
        b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream",
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    with open(path, "wb") as f:
        f.write(out)


def main(captures, images):
    write_pdf(Image.open(f"{captures}/1_accueil.png").convert("RGB"), f"{images}/accueil.pdf")
    write_pdf(side_by_side(panel(captures, "2_parametres", PARAMETERS_TOP),
                           panel(captures, "3_etalonnages", PARAMETERS_TOP)),
              f"{images}/parametres_etalonnages.pdf")
    write_pdf(side_by_side(panel(captures, "5_reception_simple"), panel(captures, "6_reception_continu")),
              f"{images}/reception.pdf")
    write_pdf(panel(captures, "7_informations"), f"{images}/informations.pdf")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
