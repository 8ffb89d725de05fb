#!/usr/bin/env python3
"""Cuts the viewer's embedded font out of a Noto Sans CJK collection.

Keeps ASCII, Latin-1 and every character of the given text files (the translation
sources), picks the Simplified Chinese face, and renames its family to what the style
sheets ask for, so that a 20 MB collection becomes a font of a few hundred kilobytes.
"""
import argparse
import sys

from fontTools import subset
from fontTools.ttLib import TTCollection, TTFont


def face_index(path, wanted):
    """Index of the face of the collection whose family starts with `wanted` (not Mono)."""
    collection = TTCollection(path, lazy=True)
    for index, font in enumerate(collection.fonts):
        names = font["name"]
        family = names.getDebugName(16) or names.getDebugName(1) or ""
        if family.startswith(wanted) and "Mono" not in family:
            return index
    return None


def rename(font, family):
    names = font["name"]
    postscript = family.replace(" ", "-")
    for record in list(names.names):
        if record.nameID in (16, 17, 21, 22):
            names.removeNames(nameID=record.nameID)
    for record in names.names:
        if record.nameID == 1:
            record.string = family
        elif record.nameID == 2:
            record.string = "Regular"
        elif record.nameID == 3:
            record.string = postscript + "-subset"
        elif record.nameID == 4:
            record.string = family
        elif record.nameID == 6:
            record.string = postscript
    if "CFF " in font:
        cff = font["CFF "].cff
        cff.fontNames = [postscript]
        top = cff.topDictIndex[0]
        top.FamilyName = family
        top.FullName = family


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--output", required=True)
    parser.add_argument("--family", required=True)
    parser.add_argument("--text-file", action="append", default=[])
    parser.add_argument("fonts", nargs="+", help="candidate collections, best first")
    args = parser.parse_args()

    chars = {chr(c) for c in range(0x20, 0x7F)} | {chr(c) for c in range(0xA0, 0x100)}
    for path in args.text_file:
        with open(path, encoding="utf-8") as text:
            chars |= {c for c in text.read() if c.isprintable()}

    for path in args.fonts:
        try:
            index = face_index(path, "Noto Sans CJK SC")
        except Exception:  # unreadable or missing candidate: try the next one
            continue
        if index is None:
            continue
        options = subset.Options()
        options.font_number = index
        options.layout_features = ["*"]
        options.name_IDs = ["*"]
        options.name_languages = ["*"]
        options.notdef_outline = True
        font = subset.load_font(path, options)
        subsetter = subset.Subsetter(options)
        subsetter.populate(text="".join(sorted(chars)))
        subsetter.subset(font)
        rename(font, args.family)
        font.save(args.output)
        print("font subset of %s (face %d): %d characters" % (path, index, len(chars)))
        return 0
    print("no Noto Sans CJK SC face found in: " + " ".join(args.fonts), file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
