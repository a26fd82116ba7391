#!/usr/bin/env python3
"""Writes the seed inputs of reception_fuzz into fuzz/corpus/reception/.

The layout of an input is described at the top of reception_fuzz.cpp: a
14-byte header (where the road starts, how the line's bytes are cut,
pressure, elevation, day, the identification counts) and a body of plain
bytes or of commands. Run it again after changing the seeds; the files are
small and kept in the repository.
"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "reception")

LINK_CHECK, PARAMETERS, SINGLE, CONTINUOUS = range(4)
PIECES = [1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 13, 16, 32, 64, 128, 512]

# Commands (see Command in reception_fuzz.cpp).
RAZ_VERT, RAZ_ROUGE, ECRIRE, TICK_ECRITURE, TICK_VOLET, VOLET_AU_BOUT = range(0xC0, 0xC6)
FICHIERS, OK_PARAMETRES, OK_ETALONNAGES, DEMARRER, ARRETER, FIN_MESURES = range(0xC6, 0xCC)
TICK_LIAISON, TICK_ETALONNAGE, REPEAT = 0xCC, 0xCD, 0xCE


def header(start, piece=8, commands=False, pression=1013, angle=45, jour=340,
           counts=(384, 20, 511, 32)):
    mode = start | (4 if commands else 0) | (PIECES.index(piece) << 4)
    return bytes([mode]) + struct.pack(">HBH4H", pression, angle - 1, jour - 1, *counts)


def identification(numero=7, version=12, counts=(384, 64, 511, 32)):
    return bytes([0xFF, numero, version]) + struct.pack(">4H", *counts)


def mesure(mode=0xA0, vert=256, rouge=128, temperature=780):
    return bytes([0xFF, mode]) + struct.pack(">3H", vert, rouge, temperature)


def piece(data):
    """A piece of the line in commands mode: its length, then the bytes."""
    out = b""
    while data:
        chunk, data = data[:64], data[64:]
        out += bytes([len(chunk) - 1]) + chunk
    return out


def repeat(times, pattern):
    return bytes([REPEAT, times - 1, len(pattern) - 1]) + pattern


def cmd(*ops):
    return bytes(ops)


SEEDS = {
    # The link check: identification frames, whole, split, refused, late.
    "id-accepted-whole": header(LINK_CHECK, 11) + identification(),
    "id-accepted-byte-by-byte": header(LINK_CHECK, 1) + identification(),
    "id-split-3": header(LINK_CHECK, 3) + identification(),
    "id-refused-1023-then-1022": header(LINK_CHECK, 11)
    + identification(counts=(1023, 64, 511, 32)) + identification(counts=(1022, 64, 1022, 1022)),
    "id-after-garbage": header(LINK_CHECK, 5) + b"\x00\x40\x12garbage" + identification(),
    "id-all-ff": header(LINK_CHECK, 11) + b"\xFF" * 11,
    "id-counts-ff-low-bytes": header(LINK_CHECK, 4) + identification(counts=(0x1FF, 0xFF, 0x2FF, 0x3FF)),
    "link-check-measurements": header(LINK_CHECK, 8) + mesure() * 4,
    "link-check-ff-filled": header(LINK_CHECK, 512) + b"\xFF" * 498,
    "link-check-zero-filled": header(LINK_CHECK, 64) + b"\x00" * 498,
    "link-check-ticks": header(LINK_CHECK, commands=True)
    + cmd(*[TICK_LIAISON] * 6) + piece(identification()) + cmd(TICK_LIAISON),
    "link-check-noise-burst": header(LINK_CHECK, commands=True)
    + repeat(140, b"\x00\x11\x22\x33\x44\x55\x66\x77") + piece(identification()),
    # The parameters panel: the photometer may already be measuring.
    "parameters-measuring": header(PARAMETERS, 8) + mesure() * 3 + mesure(0xF0) * 3,
    "parameters-then-reception": header(PARAMETERS, commands=True)
    + piece(mesure() * 2) + cmd(OK_PARAMETRES, *[TICK_ETALONNAGE] * 7, OK_ETALONNAGES, DEMARRER)
    + piece(mesure(vert=400, rouge=300) * 2),
    # Single measurements.
    "single-one": header(SINGLE, 8) + mesure(),
    "single-several": header(SINGLE, 8)
    + mesure(vert=100, rouge=90, temperature=512) + mesure(vert=1023, rouge=1023, temperature=1023)
    + mesure(vert=0, rouge=0, temperature=0),
    "single-split-3": header(SINGLE, 3) + mesure() + mesure(vert=777),
    "single-two-per-piece": header(SINGLE, 16) + mesure() + mesure(vert=64, rouge=192),
    "single-ff-in-payload": header(SINGLE, 5) + mesure(vert=0x1FF, rouge=0xFF, temperature=0x2FF),
    "single-hot-cold": header(SINGLE, 8)
    + mesure(temperature=5051) + mesure(temperature=5052) + mesure(temperature=0xFFFF),
    "single-dark-above": header(SINGLE, 8, counts=(384, 500, 511, 511))
    + mesure(vert=400, rouge=511) + mesure(vert=600, rouge=512),
    "single-v0-zero": header(SINGLE, 8, counts=(0, 0, 0, 0)) + mesure() + mesure(vert=1, rouge=0),
    "single-low-sun": header(SINGLE, 8, pression=0, angle=1, jour=183) + mesure() * 2,
    "single-negative-depth": header(SINGLE, 8, pression=9999, angle=90, jour=1, counts=(205, 0, 205, 0))
    + mesure(vert=210, rouge=211, temperature=780),
    "single-to-continuous": header(SINGLE, 8) + mesure() + mesure(0xF0, 400, 400) + mesure(0xF0, 500, 300),
    "single-mode-34": header(SINGLE, 8) + mesure(0x22) + mesure() + mesure(),
    "single-odd-mode": header(SINGLE, 8) + mesure(0x55) + mesure(0xA0) + mesure(0xA0, 300),
    "single-ff-filled": header(SINGLE, 7) + b"\xFF" * 498,
    "single-garbage-between": header(SINGLE, 13)
    + b"\x01\x02" + mesure() + b"\x33" * 5 + mesure(vert=12) + b"\xA0",
    "single-record-unreachable": header(SINGLE, commands=True) + piece(mesure()) + cmd(ECRIRE),
    # Continuous measurements: gauges, maxima, resets, recording, the cover.
    "continuous-frames": header(CONTINUOUS, 8)
    + mesure(0xF0, 100, 50) + mesure(0xF0, 300, 20) + mesure(0xF0, 200, 1023) + mesure(0xF0, 65535, 1),
    "continuous-hundred": header(CONTINUOUS, commands=True) + repeat(120, mesure(0xF0, 500, 400, 780)),
    "continuous-resets-record": header(CONTINUOUS, commands=True)
    + piece(mesure(0xF0, 300, 200)) + cmd(RAZ_VERT) + piece(mesure(0xF0, 100, 100))
    + cmd(ECRIRE, TICK_ECRITURE, RAZ_ROUGE, ECRIRE) + piece(mesure(0xF0, 0, 0)),
    "continuous-cover-back-to-single": header(CONTINUOUS, commands=True)
    + cmd(VOLET_AU_BOUT) + piece(mesure(0xF0, 8, 16) + mesure(0xA0)) + cmd(TICK_VOLET, TICK_VOLET, VOLET_AU_BOUT)
    + piece(mesure()),
    "continuous-equal-maximum": header(CONTINUOUS, 8)
    + mesure(0xF0, 1023, 1023) + mesure(0xF0, 1023, 1023) + mesure(0xF0, 1022, 1024),
    # The whole road, and the road taken again.
    "road-full": header(LINK_CHECK, commands=True)
    + piece(identification()) + cmd(OK_PARAMETRES, *[TICK_ETALONNAGE] * 7, OK_ETALONNAGES, DEMARRER)
    + piece(mesure() * 2) + cmd(ARRETER) + piece(mesure()) + cmd(DEMARRER)
    + piece(mesure(0xF0) + mesure(0xF0, 900)) + cmd(ECRIRE, ARRETER, FIN_MESURES),
    "road-file-again": header(SINGLE, commands=True)
    + piece(mesure()) + cmd(FICHIERS) + piece(identification(counts=(1023, 0, 0, 0)))
    + piece(identification()[:8] + mesure()) + cmd(TICK_LIAISON, TICK_LIAISON, TICK_LIAISON),
    "road-ok-before-display": header(PARAMETERS, commands=True)
    + cmd(OK_PARAMETRES, OK_ETALONNAGES, DEMARRER) + piece(mesure())
    + cmd(*[TICK_ETALONNAGE] * 7) + piece(mesure()) + cmd(DEMARRER) + piece(mesure(0xF0)),
    # Found by the fuzzer: a count byte of 51 cut out as a mode byte once led
    # the calibration's validation into expert mode.
    "road-expert-byte-then-calibration-ok": header(CONTINUOUS, commands=True)
    + piece(b"\xFF\x33\x31\x39\x2C\x33\x37\x35\xF0\xC8\xC8\x03\x48\x48\x48\x48")
    + cmd(OK_ETALONNAGES, OK_ETALONNAGES),
    "parameters-byte-34-then-identification": header(PARAMETERS, commands=True)
    + cmd(OK_PARAMETRES) + piece(b"\xFF\x22" + bytes(9) + identification(counts=(0, 0, 0, 0)))
    + cmd(*[TICK_ETALONNAGE] * 7, OK_ETALONNAGES),
    "road-end-then-frames": header(SINGLE, commands=True)
    + piece(mesure()) + cmd(FIN_MESURES) + piece(mesure(vert=5)),
}


# Seeds of trames_fuzz (layout at the top of trames_fuzz.cpp): a 13-byte
# header, then pieces of the line, each a length byte and its bytes.
def trames_header(identifications=False, counts=None, pression=1013, angle=45, jour=100):
    mode = (1 if identifications else 0) | (2 if counts else 0)
    return bytes([mode]) + struct.pack(">HBB4H", pression, angle, jour - 1, *(counts or (0, 0, 0, 0)))


def pieces(data, size):
    return b"".join(bytes([len(data[i:i + size])]) + data[i:i + size] for i in range(0, len(data), size))


TRAMES_SEEDS = {
    "single-frames": trames_header() + pieces(mesure() + mesure(vert=64, rouge=192), 8),
    "continuous-frames-split": trames_header() + pieces(mesure(0xF0, 900, 3) * 3, 3),
    "bytes-one-by-one": trames_header() + pieces(mesure(0xA0, 1023, 0, 5051), 1),
    "garbage-between": trames_header() + pieces(b"\x00\x13\x0a" + mesure() + b"\x80" * 20 + mesure(), 16),
    "ff-payloads": trames_header() + pieces(b"\xFF" * 40, 13),
    "frame-cut-short": trames_header() + pieces(mesure()[:5] + mesure(0xF0), 64),
    "dark-above-signal": trames_header(counts=(400, 300, 400, 300)) + pieces(mesure(vert=200, rouge=300), 8),
    "horizon": trames_header(angle=0) + pieces(mesure(), 8),
    "zero-pressure": trames_header(pression=0, counts=(0, 0, 0, 0)) + pieces(mesure(), 8),
    "identifications": trames_header(identifications=True)
    + pieces(identification() + identification(counts=(1023, 1022, 0, 65535)), 11),
    "identification-split": trames_header(identifications=True) + pieces(b"\x01" + identification(), 2),
    "long-run-without-start": trames_header() + pieces(bytes(range(0, 255)) * 5, 255),
}
TRAMES_OUT = os.path.join(os.path.dirname(OUT), "trames")


def write(out, seeds):
    os.makedirs(out, exist_ok=True)
    for name in os.listdir(out):
        os.remove(os.path.join(out, name))
    for name, data in seeds.items():
        assert len(data) <= 1536, name
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    print(f"{len(seeds)} seeds in {out}")


def main():
    for data in SEEDS.values():
        assert len(data) <= 512
    write(OUT, SEEDS)
    write(TRAMES_OUT, TRAMES_SEEDS)


if __name__ == "__main__":
    main()
