#!/usr/bin/env python3
"""Derive the hover and disabled looks of the icons from their normal look.

Each folder under res/icons that has a normal/ subfolder gets hot/ and
disabled/ beside it, with the same file names. Only the #rrggbb colours are
changed: hover makes colours a little brighter and more saturated, disabled
turns them into light greys. The generated files are committed, so building
needs no Python; run this again after editing a normal icon:

    python3 res/icons/make-looks.py
"""

import colorsys
import pathlib
import re
import sys

COLOUR = re.compile(r"#([0-9a-fA-F]{6})\b")


def to_rgb(hex_text):
    return tuple(int(hex_text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def to_hex(rgb):
    return "#" + "".join("%02x" % round(max(0.0, min(1.0, c)) * 255) for c in rgb)


def hot(rgb):
    hue, light, sat = colorsys.rgb_to_hls(*rgb)
    if sat < 0.15:  # whites and greys stay as they are
        return rgb
    sat = min(1.0, sat * 1.15 + 0.05)
    light = light + (1.0 - light) * 0.14
    return colorsys.hls_to_rgb(hue, light, sat)


def disabled(rgb):
    # Keep the brightness order so shapes stay readable, but squeeze the
    # range towards light grey.
    r, g, b = rgb
    luma = 0.299 * r + 0.587 * g + 0.114 * b
    grey = 0.47 + 0.53 * luma
    return (grey, grey, grey)


LOOKS = {"hot": hot, "disabled": disabled}


def derive(source, target, remap):
    text = source.read_text(encoding="utf-8")
    text = COLOUR.sub(lambda m: to_hex(remap(to_rgb(m.group(1)))), text)
    first, rest = text.split("\n", 1)
    note = "  <!-- made by make-looks.py from normal/%s: edit that file -->\n" % source.name
    target.write_text(first + "\n" + note + rest, encoding="utf-8")


def main():
    root = pathlib.Path(__file__).resolve().parent
    count = 0
    for normal in sorted(root.rglob("normal")):
        if not normal.is_dir():
            continue
        for look, remap in LOOKS.items():
            folder = normal.parent / look
            folder.mkdir(exist_ok=True)
            for stale in folder.glob("*.svg"):
                stale.unlink()
            for source in sorted(normal.glob("*.svg")):
                derive(source, folder / source.name, remap)
                count += 1
    print("wrote %d files" % count)
    return 0


if __name__ == "__main__":
    sys.exit(main())
