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
