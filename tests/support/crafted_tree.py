#!/usr/bin/env python3
"""A program file whose resource tree lists COUNT resources in descending order.

Every directory lists its entries from the largest id down (the order a sorted
insertion handles worst); all resources share one data entry of 4 bytes, so a
file of 32 MB holds about 4 million of them. The file is a minimal PE32 with
one section, .rsrc: enough for a resource reader, not a program that runs.
Usage: crafted_tree.py COUNT OUTPUT    (COUNT 0: as many as 32 MB hold)

With --long-names, a file of SIZE bytes whose one type lists as many named
entries as fit, each with a name of up to 65,535 characters: "nested" names
all lie in one run of 65,536 units (the name at unit j is 65,535 - j long and
ends where the run ends), so that they are all different and a reader that
copies each name holds gigabytes; "shared" names are one name of 65,535
characters named by every entry (a name listed twice: damaged); "repeated"
names are equal names of 65,535 characters, each at a place of its own in a
longer run (damaged too, and slow to sort for a reader that compares them
whole however often).
Usage: crafted_tree.py --long-names nested|shared|repeated SIZE OUTPUT
"""
import struct
import sys

LANGUAGES = 64       # languages of each name
NAMES = 65535        # names of each type, at most (ids 1..65535)
FILE_ALIGN = 0x200
RVA = 0x1000


def tree(count):
    """The resource section for count resources, laid out at RVA."""
    names_total = (count + LANGUAGES - 1) // LANGUAGES
    types = (names_total + NAMES - 1) // NAMES
    plan = []  # per type: the number of languages of each of its names
    left = count
    for _ in range(types):
        names = []
        while left and len(names) < NAMES:
            names.append(min(LANGUAGES, left))
            left -= names[-1]
        plan.append(names)
    # Offsets: root, type directories, language directories, one data entry, data.
    root_size = 16 + 8 * types
    type_offsets, at = [], root_size
    for names in plan:
        type_offsets.append(at)
        at += 16 + 8 * len(names)
    lang_offsets = []
    for names in plan:
        offsets = []
        for languages in names:
            offsets.append(at)
            at += 16 + 8 * languages
        lang_offsets.append(offsets)
    data_entry = at
    data = data_entry + 16
    out = bytearray(data + 4)

    def directory(offset, entries):
        struct.pack_into("<IIHHHH", out, offset, 0, 0, 0, 0, 0, len(entries))
        for i, (name, target) in enumerate(entries):
            struct.pack_into("<II", out, offset + 16 + 8 * i, name, target)

    # Types 1..types, names 1..n, languages 1..l: every list from the top down.
    directory(0, [(t + 1, 0x80000000 | type_offsets[t]) for t in reversed(range(types))])
    for t, names in enumerate(plan):
        directory(type_offsets[t], [(n + 1, 0x80000000 | lang_offsets[t][n]) for n in reversed(range(len(names)))])
        for n, languages in enumerate(names):
            directory(lang_offsets[t][n], [(l + 1, data_entry) for l in reversed(range(languages))])
    struct.pack_into("<IIII", out, data_entry, RVA + data, 4, 0, 0)
    out[data:data + 4] = b"DATA"
    return bytes(out)


def long_names(kind, size):
    """The resource section of the --long-names file, about size bytes."""
    count = min(65535, (size - 24 - 2 * 65536 - 1024) // (8 + 24 + 2))
    run = 65536 + (count if kind == "repeated" else 0)
    names_at = 16 + 8
    languages_at = names_at + 2 * run
    entries_at = languages_at + 24 * count
    data_entry = entries_at + 16 + 8 * count
    out = bytearray(data_entry + 16 + 4)
    struct.pack_into("<IIHHHH", out, 0, 0, 0, 0, 0, 0, 1)
    struct.pack_into("<II", out, 16, 10, 0x80000000 | entries_at)  # RT_RCDATA
    for j in range(run):
        struct.pack_into("<H", out, names_at + 2 * j, run - 1 - j if kind == "nested" else 0xFFFF)
    struct.pack_into("<IIHHHH", out, entries_at, 0, 0, 0, 0, count, 0)
    for i in range(count):
        name = names_at + (0 if kind == "shared" else 2 * i)
        language = languages_at + 24 * i
        struct.pack_into("<II", out, entries_at + 16 + 8 * i, 0x80000000 | name, 0x80000000 | language)
        struct.pack_into("<IIHHHHII", out, language, 0, 0, 0, 0, 0, 1, 0, data_entry)
    struct.pack_into("<IIII", out, data_entry, RVA + data_entry + 16, 4, 0, 0)
    out[data_entry + 16:] = b"DATA"
    return bytes(out)


def program(section):
    """A PE32 file whose one section, .rsrc, holds section (at RVA)."""
    raw_size = (len(section) + FILE_ALIGN - 1) // FILE_ALIGN * FILE_ALIGN
    headers = bytearray(FILE_ALIGN)
    headers[0:2] = b"MZ"
    struct.pack_into("<I", headers, 0x3C, 0x40)
    headers[0x40:0x44] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", headers, 0x44, 0x14C, 1, 0, 0, 0, 224, 0x0102)
    optional = 0x58
    struct.pack_into("<H", headers, optional, 0x10B)
    struct.pack_into("<II", headers, optional + 32, 0x1000, FILE_ALIGN)
    image = RVA + (len(section) + 0xFFF) // 0x1000 * 0x1000
    struct.pack_into("<II", headers, optional + 56, image, FILE_ALIGN)
    struct.pack_into("<H", headers, optional + 68, 2)          # subsystem: GUI
    struct.pack_into("<I", headers, optional + 92, 16)
    struct.pack_into("<II", headers, optional + 96 + 8 * 2, RVA, len(section))
    table = optional + 224
    struct.pack_into("<8sIIII", headers, table, b".rsrc", len(section), RVA, raw_size, FILE_ALIGN)
    struct.pack_into("<I", headers, table + 36, 0x40000040)
    return bytes(headers) + section + bytes(raw_size - len(section))


def main():
    if sys.argv[1] == "--long-names":
        with open(sys.argv[4], "wb") as f:
            f.write(program(long_names(sys.argv[2], int(sys.argv[3]))))
        return 0
    count, output = int(sys.argv[1]), sys.argv[2]
    if count == 0:
        count = (32 << 20) * LANGUAGES // (8 * LANGUAGES + 24 + 8)
    with open(output, "wb") as f:
        f.write(program(tree(count)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
