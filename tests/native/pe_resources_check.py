#!/usr/bin/python3
"""Second opinion on a program file, with pefile (an independent PE reader).

Prints one line per resource, "type<TAB>name<TAB>language<TAB>size<TAB>crc32",
types and names as "#id" or the string, then "checksum ok|bad" and
"layout ok" or "layout: <problem>". Exit status 1 when pefile refuses the file.
"""
import os
import sys
import zlib

import pefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import pe_tree  # noqa: E402


def key(entry):
    value = pe_tree.key(entry)
    return value if isinstance(value, str) else "#%d" % value


def main(path):
    try:
        pe = pefile.PE(path, fast_load=False)
    except pefile.PEFormatError as error:
        print("pefile: %s" % error)
        return 1
    data = pe.__data__
    for t, n, l in pe_tree.leaves(pe):
        d = l.data.struct
        start = pe.get_offset_from_rva(d.OffsetToData)
        blob = bytes(data[start:start + d.Size])
        print("%s\t%s\t%d\t%d\t%d" % (key(t), key(n), l.id, d.Size, zlib.crc32(blob)))
    print("checksum %s" % ("ok" if pe.verify_checksum() else "bad"))
    oh = pe.OPTIONAL_HEADER
    problems = []
    end = 0
    for s in pe.sections:
        if s.SizeOfRawData and s.PointerToRawData % oh.FileAlignment:
            problems.append("%s not on the file alignment" % s.Name)
        if s.VirtualAddress % oh.SectionAlignment:
            problems.append("%s not on the section alignment" % s.Name)
        if s.SizeOfRawData and (s.PointerToRawData - s.VirtualAddress) % 0x1000:
            problems.append("%s not mappable from the file" % s.Name)
        if s.PointerToRawData + s.SizeOfRawData > len(data):
            problems.append("%s past the end of the file" % s.Name)
        end = max(end, s.VirtualAddress + max(s.Misc_VirtualSize, s.SizeOfRawData))
    align = oh.SectionAlignment
    if oh.SizeOfImage != (end + align - 1) // align * align:
        problems.append("SizeOfImage %#x, sections end at %#x" % (oh.SizeOfImage, end))
    rsrc = oh.DATA_DIRECTORY[2]
    home = [s for s in pe.sections if s.contains_rva(rsrc.VirtualAddress)]
    if rsrc.VirtualAddress and (not home or home[0].VirtualAddress + home[0].Misc_VirtualSize <
                                rsrc.VirtualAddress + rsrc.Size):
        problems.append("resource directory outside its section")
    # Left out: pefile's remarks on content (one byte value making up most of a file,
    # as in files aligned on pages; the tests' made-up version blocks), not on structure.
    warnings = [w for w in pe.get_warnings()
                if "checksum" not in w.lower() and " makes up " not in w and "VS_VERSION_INFO" not in w]
    problems += warnings
    print("layout " + ("ok" if not problems else "; ".join(problems)))
    return 0


sys.exit(main(sys.argv[1]))
