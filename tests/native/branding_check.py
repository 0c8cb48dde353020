#!/usr/bin/python3
"""Second opinion on the branding of a setup package, with pefile and PIL.

Prints "version A.B.C.D type T", "translation 0xLLLL 0xCCCC", one
"string TABLE NAME=VALUE" line per version string (UTF-8), one
"icon WxH bits SIZE" line per entry of icon group 110 (with "missing" when
its RT_ICON is not there), and "bitmap ID WxH MODE" for bitmaps 200 and 201
as PIL decodes them.
"""
import io
import os
import struct
import sys

import pefile
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import pe_tree  # noqa: E402


def resources(pe):
    """{(type, name): {language: bytes}}."""
    found = {}
    for (rtype, name, language), data in pe_tree.read_resources(pe)[0].items():
        found.setdefault((rtype, name), {})[language] = data
    return found


def main(path):
    pe = pefile.PE(path)
    fixed = pe.VS_FIXEDFILEINFO[0]
    print("version %d.%d.%d.%d type %d signature %#x" % (
        fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16,
        fixed.FileVersionLS & 0xFFFF, fixed.FileType, fixed.Signature))
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                for name, value in table.entries.items():
                    print("string %s %s=%s" % (table.LangID.decode(), name.decode(), value.decode()))
        elif info.Key == b"VarFileInfo":
            for var in info.Var:
                for name, value in var.entry.items():
                    print("translation %s" % value)
    found = resources(pe)
    for language, group in sorted(found.get((14, 110), {}).items()):
        count = struct.unpack_from("<H", group, 4)[0]
        for i in range(count):
            w, h, _, _, _, bits, size, ident = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            image = found.get((3, ident), {}).get(language)
            state = "missing" if image is None else ("ok" if len(image) == size else "size-mismatch")
            print("icon %dx%d %d %s lang %d" % (w or 256, h or 256, bits, state, language))
    for ident in (200, 201):
        for language, dib in found.get((2, ident), {}).items():
            header = struct.unpack_from("<I", dib)[0]
            bits = struct.unpack_from("<H", dib, 14)[0]
            colours = struct.unpack_from("<I", dib, 32)[0] or (1 << bits if bits <= 8 else 0)
            offset = 14 + header + 4 * colours
            bmp = b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, offset) + dib
            image = Image.open(io.BytesIO(bmp))
            image.load()
            print("bitmap %d %dx%d %s pixel00 %s" % (ident, image.width, image.height, image.mode,
                                                    image.convert("RGB").getpixel((0, 0))))
    return 0


sys.exit(main(sys.argv[1]))
