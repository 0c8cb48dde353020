#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: valid and damaged inputs."""
import os
import struct
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
corpus = os.path.join(root, "tests", "fuzz", "corpus")


def field(text, size=260):
    data = text.encode("cp1252")[: size - 1]
    return data + b"\0" * (size - len(data))


def record(files, token=b"{pf}", flags=(1, 0, 1, 1, 1), run=1, uninst=1, lic=0, info=0):
    out = field("Demo") + field("Demo 1.0") + token.ljust(260, b"\0") + field("Demo")
    out += struct.pack("<i", len(files))
    for name, sub, size in files:
        out += field(name) + field(sub) + struct.pack("<i", size)
    out += struct.pack("<5i", *flags) + field("Demo") + field("") + struct.pack("<iihh", run, uninst, lic, info)
    return out


def log(entries, n=None):
    out = field("Demo") + field("Demo 1.0") + struct.pack("<i", len(entries) if n is None else n)
    for path, kind in entries:
        out += field(path) + struct.pack("<i", kind)
    return out + field("")


def write(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


two = [("demo.exe", "", 100), ("data.bin", "data\\a", 50)]
write("setup_record_fuzz", "empty_list", record([]))
write("setup_record_fuzz", "two_files", record(two))
write("setup_record_fuzz", "cut_in_entry", record(two)[:1044 + 600])
write("setup_record_fuzz", "huge_count", record(two)[:1040] + struct.pack("<i", 0x7FFFFFFF) + record(two)[1044:])
write("setup_record_fuzz", "negative_count", record(two)[:1040] + struct.pack("<i", -1) + record(two)[1044:])
write("setup_record_fuzz", "unterminated", b"A" * 2000)

entries = [("C:\\Demo", 1), ("C:\\Demo\\demo.exe", 0), ("C:\\Demo\\data\\a", 1)]
write("install_log_fuzz", "three", log(entries))
write("install_log_fuzz", "none", log([]))
write("install_log_fuzz", "short", log(entries)[:600])
write("install_log_fuzz", "count_too_big", log(entries, n=1000))
write("install_log_fuzz", "negative", log(entries, n=-5))

# Payload walk: mode 0 = record length, record, payload; mode 1 = payload size, sizes.
def walk(rec, payload):
    return b"\0" + struct.pack("<H", len(rec)) + rec + payload


def sizes(payload_size, values):
    return b"\1" + struct.pack("<I", payload_size) + b"".join(struct.pack("<i", v) for v in values)


write("payload_walk_fuzz", "exact", walk(record(two), b"P" * 150))
write("payload_walk_fuzz", "short_payload", walk(record(two), b"P" * 120))
write("payload_walk_fuzz", "long_payload", walk(record(two), b"P" * 400))
write("payload_walk_fuzz", "negative_size", walk(record([("a", "", -1), ("b", "", 4)]), b"P" * 8))
write("payload_walk_fuzz", "empty_files", walk(record([("a", "", 0), ("b", "", 0)]), b""))
write("payload_walk_fuzz", "wrap", sizes(0xFFFFFFFF, [0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x20]))
write("payload_walk_fuzz", "exact_sizes", sizes(10, [3, 7, 0, 1]))

# Package descriptions: valid, damaged and at the limits.
desc = (
    "; a demo package\r\n[Setup]\r\nAppName = Demo\r\nAppVerName = Demo 1.0\r\nFolder = {pf}\r\n"
    "SubFolder = Demo\r\nGroup = Demo\r\nNoIcons = 0\r\nRunOffered = 1\r\nUninstallIcon = 1\r\n"
    "License = licence.rtf\r\nLicenseFormat = rtf\r\nInfo = info.txt\r\n"
    "[Files]\r\ndemo.exe\r\ndocs/Lisez-moi.txt = Documentation\r\n\"data file.bin\" = \"a b\\c\"\r\n"
)
write("pack_description_fuzz", "valid", desc.encode("cp1252"))
write("pack_description_fuzz", "utf8_bom", b"\xef\xbb\xbf" + desc.replace("Demo 1.0", "Démo 1.0").encode("utf-8"))
write("pack_description_fuzz", "cp1252", desc.replace("Demo 1.0", "Démo 1.0").encode("cp1252"))
write("pack_description_fuzz", "bad_keys", b"[Setup]\nAppNme = x\nNoIcons = maybe\n= \n[Nope]\nx\n[Files]\n\n=\n")
write("pack_description_fuzz", "long_names",
      ("[Setup]\nAppName = %s\nAppVerName = %s\nFolder = C:\\%s\n[Files]\n%s\n%s = %s\n"
       % ("A" * 259, "B" * 300, "C" * 250, "d" * 259, "e" * 10, "f\\" * 140)).encode("ascii"))
write("pack_description_fuzz", "quotes", b"[Setup]\nAppName = \"  Demo = x  \"\nAppVerName = \"unclosed\n[Files]\n\"\"\n")
write("pack_description_fuzz", "bad_utf8", b"\xef\xbb\xbf[Setup]\nAppName = \xc3\x28\xe2\x82\n[Files]\na\xff.exe\n")
# Targets equal but for letter case, accents included (one file on Windows),
# and every form of exclusion: a name, a path, from the top, folders only.
write("pack_description_fuzz", "case_clashes",
      "[Setup]\nAppName = Demo\n[Files]\ndemo.exe\ndata/A.txt = d\ndata/a.txt = d\nun/É.txt = d\ndeux/é.txt = D\n"
      "x/Œuvre.txt\ny/œUVRE.TXT\n".encode("cp1252"))
write("pack_description_fuzz", "exclusion_rules",
      b"[Setup]\nAppName = Demo\n[Files]\ndemo.exe\ndata/\n[Exclude]\nbrouillons/\n/racine\ndata\\vieux\\\n"
      b"docs/**/*.tmp\n**/\n/\n//\n./\na/../b/\n*.pdb\\\n")


# Program files with resources: a minimal PE32 and PE32+, one .rsrc section,
# file alignment 0x200, and damaged variants (a loop in the tree, cut short).
def pe_file(bits, loop=False):
    def name(text):
        units = text.encode("utf-16-le")
        return struct.pack("<H", len(text)) + units

    def directory(named, ids):
        return struct.pack("<IIHHHH", 0, 0, 0, 0, named, ids)

    # Tree: root -> "RT_DATA" -> "5001" -> language 0, and root -> 16 -> 1 -> 0x40C.
    root, t1, t2, n1, n2 = 0, 32, 56, 80, 104
    entries = 128
    names = entries + 32
    data_at = names + 32
    tree = directory(1, 1) + struct.pack("<II", 0x80000000 | names, 0x80000000 | t1)
    tree += struct.pack("<II", 16, 0x80000000 | t2)
    tree += directory(1, 0) + struct.pack("<II", 0x80000000 | (names + 16), 0x80000000 | n1)
    tree += directory(0, 1) + struct.pack("<II", 1, 0x80000000 | (root if loop else n2))
    tree += directory(0, 1) + struct.pack("<II", 0, entries)
    tree += directory(0, 1) + struct.pack("<II", 0x40C, entries + 16)
    tree += struct.pack("<IIII", 0x1000 + data_at, 6, 0, 0) + struct.pack("<IIII", 0x1000 + data_at + 8, 4, 0, 0)
    tree = tree.ljust(names, b"\0") + name("RT_DATA").ljust(16, b"\0") + name("5001").ljust(16, b"\0")
    tree = tree.ljust(data_at, b"\0") + b"record\0\0VERS"
    section = tree.ljust(0x200, b"\0")
    opt_size = 224 if bits == 32 else 240
    dos = b"MZ".ljust(0x3C, b"\0") + struct.pack("<I", 0x40)
    head = b"PE\0\0" + struct.pack("<HHIIIHH", 0x14C if bits == 32 else 0x8664, 1, 0, 0, 0, opt_size, 0x102)
    if bits == 32:
        opt = struct.pack("<HBBIIIIIIII", 0x10B, 2, 30, 0x200, 0x200, 0, 0x1000, 0x1000, 0x1000, 0x400000, 0x1000)
    else:
        opt = struct.pack("<HBBIIIIIQ", 0x20B, 2, 30, 0x200, 0x200, 0, 0x1000, 0x1000, 0x140000000)
        opt += struct.pack("<I", 0x1000)
    opt += struct.pack("<IHHHHHHIIIIHH", 0x200, 4, 0, 0, 0, 4, 0, 0, 0x2000, 0x200, 0, 2, 0)
    opt += struct.pack("<IIII" if bits == 32 else "<QQQQ", 0x100000, 0x1000, 0x100000, 0x1000)
    opt += struct.pack("<II", 0, 16)
    dirs = [b"\0" * 8] * 16
    dirs[2] = struct.pack("<II", 0x1000, data_at + 12)
    opt += b"".join(dirs)
    sect = b".rsrc\0\0\0" + struct.pack("<IIIIIIHHI", 0x200, 0x1000, 0x200, 0x200, 0, 0, 0, 0, 0x40000040)
    headers = (dos + head + opt + sect).ljust(0x200, b"\0")
    return headers + section


write("pe_resources_fuzz", "pe32", pe_file(32))
write("pe_resources_fuzz", "pe64", pe_file(64))
write("pe_resources_fuzz", "loop", pe_file(32, loop=True))
write("pe_resources_fuzz", "cut_short", pe_file(64)[:0x300])
write("pe_resources_fuzz", "not_pe", b"MZ" + b"\0" * 100)


def with_symbols(program):
    """program with a COFF symbol table after its last section and the string
    table a long section name points into: its section is named "/4"."""
    symbols = len(program)
    out = bytearray(program)
    struct.pack_into("<II", out, 0x40 + 4 + 8, symbols, 1)
    out[0x40 + 24 + 224:0x40 + 24 + 224 + 8] = b"/4".ljust(8, b"\0")
    strings = b".rsrc_named_long\0"
    out += b".file\0\0\0" + bytes(10) + struct.pack("<I", 4 + len(strings)) + strings
    return bytes(out)


# Trees listed from the top down, one with a resource listed twice; a program
# whose long section name needs its string table.
sys.path.insert(0, os.path.join(root, "tests", "support"))
import crafted_tree  # noqa: E402

top_down = crafted_tree.program(crafted_tree.tree(150))
write("pe_resources_fuzz", "top_down", top_down)
twice = bytearray(top_down)
struct.pack_into("<I", twice, 0x200 + 24 + 40 + 16 + 8, 64)  # language 63 of name 1 made 64
write("pe_resources_fuzz", "listed_twice", bytes(twice))
write("pe_resources_fuzz", "long_section_name", with_symbols(pe_file(32)))


# zstd frames made by hand: each is one the format forbids beside the nearest
# one it allows (the decoder must refuse the first and decode the second).
M64 = (1 << 64) - 1
P1, P2, P3, P4, P5 = (0x9E3779B185EBCA87, 0xC2B2AE3D27D4EB4F, 0x165667B19E3779F9, 0x85EBCA77C2B2AE63,
                      0x27D4EB2F165667C5)


def rotl(v, n):
    return ((v << n) | (v >> (64 - n))) & M64


def xxh64(data, seed=0):
    def lane(acc, value):
        return rotl((acc + value * P2) & M64, 31) * P1 & M64

    at = 0
    if len(data) >= 32:
        v = [(seed + P1 + P2) & M64, (seed + P2) & M64, seed, (seed - P1) & M64]
        while at + 32 <= len(data):
            v = [lane(v[i], struct.unpack_from("<Q", data, at + 8 * i)[0]) for i in range(4)]
            at += 32
        h = (rotl(v[0], 1) + rotl(v[1], 7) + rotl(v[2], 12) + rotl(v[3], 18)) & M64
        for x in v:
            h = ((h ^ lane(0, x)) * P1 + P4) & M64
    else:
        h = (seed + P5) & M64
    h = (h + len(data)) & M64
    while at + 8 <= len(data):
        h = (rotl(h ^ lane(0, struct.unpack_from("<Q", data, at)[0]), 27) * P1 + P4) & M64
        at += 8
    if at + 4 <= len(data):
        h = (rotl(h ^ (struct.unpack_from("<I", data, at)[0] * P1 & M64), 23) * P2 + P3) & M64
        at += 4
    for b in data[at:]:
        h = rotl(h ^ (b * P5 & M64), 11) * P1 & M64
    h = (h ^ (h >> 33)) * P2 & M64
    h = (h ^ (h >> 29)) * P3 & M64
    return h ^ (h >> 32)


def frame(content, block, checksum=True):
    """A frame with a 1 KB window and one block (type 0 raw, 2 compressed) holding content."""
    kind, body = block
    out = struct.pack("<IBB", 0xFD2FB528, 4 if checksum else 0, 0)
    out += struct.pack("<I", 1 | kind << 1 | len(body) << 3)[:3] + body
    return out + (struct.pack("<I", xxh64(content) & 0xFFFFFFFF) if checksum else b"")


def backward(bits):
    """A backward bit stream whose reader takes bits (0/1) in this order."""
    value = 1
    for b in bits:
        value = value << 1 | b
    return value.to_bytes((value.bit_length() + 7) // 8, "little")


def huffman_codes(weights):
    """Each symbol's code (bits, first read first) for the described weights plus the implied last one."""
    total = sum(1 << w >> 1 for w in weights)
    max_bits = total.bit_length()
    weights = weights + [((1 << max_bits) - total).bit_length()]
    codes, at = {}, 0
    for w in range(1, max_bits + 1):
        for s, sw in enumerate(weights):
            if sw == w:
                length = max_bits + 1 - w
                codes[s] = [at >> (max_bits - 1 - i) & 1 for i in range(length)]
                at += 1 << (w - 1)
    return codes


def fse_coded_weights(weights):
    """A tree description of FSE-coded weights of 0 and 1 (probabilities 16/32 each).

    Each state takes one bit per update, so the stream ends (runs past its
    start) exactly after the last weight. The two states take turns; the bits
    of each update are chosen so that the state lands on the next weight."""
    size, step = 32, 16 + 4 + 3
    table, position = [None] * size, 0
    for symbol in (0, 1):
        for _ in range(16):
            table[position] = symbol
            position = (position + step) % size
    rank, cells = [16, 16], []
    for symbol in table:
        cells.append((symbol, 2 * rank[symbol] - size))  # one state bit: next state = base + bit
        rank[symbol] += 1
    starts, updates = [], []
    for turn in (0, 1):
        wanted = weights[turn::2]
        # Backwards: which states can give wanted[k:] from the state that gives wanted[k].
        good = [s for s in range(size) if cells[s][0] == wanted[-1]]
        choice = []
        for w in reversed(wanted[:-1]):
            pick = {s: b for s in range(size) for b in (0, 1) if cells[s][0] == w and cells[s][1] + b in good}
            good = list(pick)
            choice.append(pick)
        state = good[0]
        starts.append(state)
        path = []
        for pick in reversed(choice):
            path.append(pick[state])
            state = cells[state][1] + pick[state]
        updates.append(path)
    bits = [starts[0] >> (4 - i) & 1 for i in range(5)] + [starts[1] >> (4 - i) & 1 for i in range(5)]
    for k in range(len(weights) - 2):
        bits.append(updates[k % 2][k // 2])
    # Accuracy log 5, then the probabilities 16 and 16 (values 17, written as 17 and 31).
    head = (0 | 17 << 4 | 31 << 9).to_bytes(2, "little")
    body = head + backward(bits)
    return bytes([len(body)]) + body


def huffman_block(symbols, tree, weights, streams, cut=None):
    """A block of Huffman-coded literals only, in one stream or four (10-bit sizes),
    the streams' bytes cut to cut when given."""
    codes = huffman_codes(weights)
    if streams == 1:
        coded = backward([b for c in symbols for b in codes[c]])
    else:
        part = (len(symbols) + 3) // 4
        pieces = [backward([b for c in symbols[i * part:(i + 1) * part] for b in codes[c]]) for i in range(4)]
        coded = b"".join(struct.pack("<H", len(p)) for p in pieces[:3]) + b"".join(pieces)
    compressed = tree + coded[:cut]
    header = 2 | (0 if streams == 1 else 1) << 2 | len(symbols) << 4 | len(compressed) << 14
    return 2, header.to_bytes(3, "little") + compressed + b"\0"


def direct_tree(weights):
    padded = weights + [0] * (len(weights) & 1)
    return bytes([127 + len(weights)] + [padded[i] << 4 | padded[i + 1] for i in range(0, len(padded), 2)])


# 255 FSE-coded weights are the most a tree holds (256 symbols with the implied
# one); 256 are refused. Half of them 1, so that the implied weight is 8.
for count, name in ((255, "huffman_255_weights"), (256, "huffman_256_weights_forbidden")):
    weights = [1, 0] * (count // 2) + [1] * (count & 1)
    symbols = [count, 0, count]  # the implied symbol (255, or a 257th symbol that a byte cannot hold) and 0
    content = bytes(s & 0xFF for s in symbols)
    write("zstd_decoder_fuzz", name,
          b"\0" + frame(content, huffman_block(symbols, fse_coded_weights(weights), weights, 1)))
# Four streams need 6 literals at least, and 6 bytes for their jump table; two
# symbols of one bit each.
for content, cut, name in ((b"\0\1\1\0\1\0", None, "four_streams_6_literals"),
                           (b"\0\1\1\0", None, "four_streams_4_literals_forbidden"),
                           (b"\0\1\1\0\1\0", 5, "four_streams_5_bytes_forbidden")):
    write("zstd_decoder_fuzz", name, b"\0" + frame(content, huffman_block(content, direct_tree([1]), [1], 4, cut)))
# Every frame of a payload carries its checksum.
write("zstd_decoder_fuzz", "raw_checksum", b"\0" + frame(b"abc", (0, b"abc")))
write("zstd_decoder_fuzz", "raw_no_checksum_forbidden", b"\0" + frame(b"abc", (0, b"abc"), checksum=False))
