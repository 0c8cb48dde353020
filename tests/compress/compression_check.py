#!/usr/bin/env python3
"""Compressed packages, end to end, with the pack built for Linux.

Packages real program files (the programs of this build) with Compression =
best, fast and none, and checks:
  - each compressed package is smaller than the plain one, best no larger than
    fast, and `pack inspect` finds its stream decoding to the files' bytes;
  - without the key the package is what it always was (no "5002" resource);
  - two builds are byte-identical, and `pack verify` accepts a compressed one;
  - a package given in the place of the bare setup.exe is refused by build and
    verify; inspect's compression share is right (also pack.exe's);
  - damaged streams (a byte changed in the frame header, in the middle, in the
    checksum; the stream cut short) are reported by `pack inspect`;
  - pack.exe under Wine writes the same bytes as pack for best and fast, and
    for fast on a small payload;
  - the encoder compiled without the x86 vector code (the paths the 32-bit
    pack.exe takes; --novector, a program that compresses one file as pack
    does) writes the payloads pack writes, for windows of 16 KB to 2 MB.
Leaves in WORK the source folder, the compressed package and the damaged ones
for the Win32 test that installs them.
Usage: compression_check.py --pack PACK --setup SETUP.exe --bin BIN --novector PROGRAM --work DIR
                            [--pack-exe PACK.exe]
"""
import os
import re
import shutil
import sys


sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import check, finish, run, script_arguments  # noqa: E402
from pe_tree import key, leaves, load_resources_only  # noqa: E402

APP = "PressedAtlas"
def resource_offset(path, name):
    """File offset and size of RT_DATA NAME of a program file (None, 0 when absent)."""
    pe = load_resources_only(path)
    for rtype, entry, lang in leaves(pe):
        if key(rtype) == "RT_DATA" and key(entry) == name:
            return pe.get_offset_from_rva(lang.data.struct.OffsetToData), lang.data.struct.Size
    return None, 0


def share_is_right(inspected):
    """inspect's "N bytes for M (x.y %)" line says N * 1000 // M tenths of a percent."""
    found = re.search(r"KB: (\d+) bytes for (\d+) \((\d+)\.(\d) %\)", inspected)
    return bool(found) and int(found.group(3)) * 10 + int(found.group(4)) == \
        int(found.group(1)) * 1000 // int(found.group(2))


def make_source(work, binaries):
    """Real program files in two folders, and a text, with their description."""
    source = os.path.join(work, "source")
    os.makedirs(os.path.join(source, "programmes"))
    files = []
    for name in ("setup.exe", "uninst.exe", "Cartopia.exe", "pack.exe"):
        if os.path.exists(os.path.join(binaries, name)):
            shutil.copy(os.path.join(binaries, name), os.path.join(source, "programmes", name))
            files.append("programmes/%s = programmes" % name)
    with open(os.path.join(source, "lisez-moi.txt"), "w") as f:
        f.write("Un atlas compressé.\n" * 500)
    files.append("lisez-moi.txt")
    return source, files


def describe(source, files, compression, folder):
    path = os.path.join(source, "package-%s.ini" % (compression or "plain"))
    with open(path, "w", encoding="utf-8") as f:
        f.write("[Setup]\nAppName = %s\nFolder = %s\nSubFolder =\nNoIcons = yes\n" % (APP, folder))
        if compression:
            f.write("Compression = %s\n" % compression)
        f.write("[Files]\n" + "\n".join(files) + "\n")
    return path


def encoders_agree(args, work, programs):
    """The payload of one file, cut from the programs, as pack writes it and as
    the encoder without vector code writes it: the fast level's match finder
    depends on the window (16 KB to 128 KB differed before it was stated)."""
    folder = os.path.join(work, "novector")
    os.makedirs(folder)
    data = b"".join(open(os.path.join(programs, name), "rb").read() for name in sorted(os.listdir(programs))) * 2
    for size in (20000, 70000, 120000, 2000000):
        part = os.path.join(folder, "part.bin")
        open(part, "wb").write(data[:size])
        for compression in ("fast", "best"):
            package = os.path.join(folder, "package-%d-%s.exe" % (size, compression))
            ini = describe(folder, ["part.bin"], compression, "C:\\ct_compressed\\Part")
            result = run([args.pack, "build", ini, "-o", package, "--setup", args.setup])
            stream = os.path.join(folder, "stream-%d-%s.bin" % (size, compression))
            made = run([args.novector, compression, part, stream])
            if not check(result.returncode == 0 and made.returncode == 0, "both encoders compress %d bytes (%s)" %
                         (size, compression), result.stderr + made.stderr):
                continue
            offset, length = resource_offset(package, "5002")
            written = open(package, "rb").read()[offset:offset + length] if offset is not None else b""
            check(written == open(stream, "rb").read(), "the encoder without vector code writes pack's payload "
                  "(%d bytes, %s)" % (size, compression))


def main():
    args = script_arguments("--bin", "--novector")
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    source, files = make_source(work, args.bin)
    folder = "C:\\ct_compressed\\Atlas"

    sizes = {}
    for compression in ("best", "fast", None):
        label = compression or "plain"
        out = os.path.join(work, "%s.exe" % label)
        result = run([args.pack, "build", describe(source, files, compression, folder), "-o", out, "--setup", args.setup])
        if not check(result.returncode == 0, "pack build, compression %s" % label, result.stderr):
            continue
        sizes[label] = os.path.getsize(out)
        shown = run([args.pack, "inspect", out])
        if compression:
            check(shown.returncode == 0 and "the stream decodes to the files' bytes" in shown.stdout,
                  "inspect checks the %s stream" % label, shown.stdout + shown.stderr)
            check(resource_offset(out, "5000")[0] is None, "no plain payload beside the compressed one (%s)" % label)
        else:
            check(resource_offset(out, "5002")[0] is None and resource_offset(out, "5000")[0] is not None,
                  "without Compression the payload is stored as it is")
    if len(sizes) == 3:
        check(sizes["best"] <= sizes["fast"] < sizes["plain"], "best <= fast < plain", str(sizes))

    best = os.path.join(work, "best.exe")
    again = os.path.join(work, "best-again.exe")
    result = run([args.pack, "build", describe(source, files, "best", folder), "-o", again, "--setup", args.setup])
    check(result.returncode == 0 and open(again, "rb").read() == open(best, "rb").read(),
          "two compressed builds are identical", result.stderr)
    result = run([args.pack, "verify", best, describe(source, files, "best", folder), "--setup", args.setup])
    check(result.returncode == 0, "pack verify accepts the compressed package", result.stdout + result.stderr)
    shown = run([args.pack, "inspect", best])
    check(share_is_right(shown.stdout), "inspect's compression share", shown.stdout)

    # A package in the place of the bare setup.exe: build and verify refuse it
    # and name what it carries; nothing is written.
    for base, found in (("plain.exe", "RT_DATA 5000 (payload)"), ("best.exe", "RT_DATA 5002 (compressed payload)")):
        out = os.path.join(work, "on-a-package.exe")
        base = os.path.join(work, base)
        result = run([args.pack, "build", describe(source, files, "best", folder), "-o", out, "--setup", base])
        check(result.returncode == 1 and "already carries a package (" in result.stderr and found in result.stderr
              and "RT_DATA 5001 (setup record)" in result.stderr and "the bare setup.exe" in result.stderr
              and not os.path.exists(out), "pack build refuses %s as its setup program" % os.path.basename(base),
              result.stderr)
        result = run([args.pack, "verify", best, describe(source, files, "best", folder), "--setup", base])
        check(result.returncode == 2 and "already carries a package" in result.stderr and not result.stdout,
              "pack verify refuses %s as its setup program" % os.path.basename(base), result.stdout + result.stderr)

    # Damaged copies for the installer, each reported by inspect.
    offset, size = resource_offset(best, "5002")
    data = open(best, "rb").read()
    damages = {
        "frame-header": offset + 16 + 4,      # the frame header descriptor, after the zstd magic
        "middle": offset + size // 2,
        "checksum": offset + size - 2,        # in the content checksum at the end of the frame
    }
    for name, at in damages.items():
        changed = bytearray(data)
        changed[at] ^= 0x5A
        path = os.path.join(work, "damaged-%s.exe" % name)
        open(path, "wb").write(changed)
        shown = run([args.pack, "inspect", path])
        check(shown.returncode == 1 and "<- problem" in shown.stdout, "inspect reports a damaged stream (%s)" % name,
              shown.stdout[-600:])
    # The stream cut short: the resource keeps its size, its last quarter zeros.
    cut = bytearray(data)
    cut[offset + size * 3 // 4:offset + size] = bytes(size - size * 3 // 4)
    open(os.path.join(work, "damaged-cut.exe"), "wb").write(cut)

    encoders_agree(args, work, os.path.join(source, "programmes"))
    if args.pack_exe:
        windows = lambda p: "Z:" + os.path.abspath(p).replace("/", "\\")
        # The programs (windows of megabytes), and 70,000 bytes with fast (a
        # 128 KB window, where the match finder once depended on the build).
        small = os.path.join(work, "novector", "package-fast.ini")
        open(os.path.join(work, "novector", "part.bin"), "wb").write(open(best, "rb").read()[:70000])
        builds = [("best", describe(source, files, "best", folder), os.path.join(work, "best.exe")),
                  ("fast", describe(source, files, "fast", folder), os.path.join(work, "fast.exe")),
                  ("fast, 70,000 bytes", small, os.path.join(work, "novector", "small.exe"))]
        result = run([args.pack, "build", small, "-o", builds[2][2], "--setup", args.setup])
        check(result.returncode == 0, "pack compresses 70,000 bytes", result.stderr)
        for label, ini, reference in builds:
            out = os.path.join(work, "from-pack-exe.exe")
            result = run(["wine", windows(args.pack_exe), "build", windows(ini), "-o", windows(out), "--setup",
                          windows(args.setup)], env=dict(os.environ, WINEDEBUG="-all"), timeout=240)
            if check(result.returncode == 0 and os.path.exists(out), "pack.exe compresses (%s)" % label, result.stderr):
                check(open(out, "rb").read() == open(reference, "rb").read(),
                      "pack.exe on Windows and pack on Linux write the same compressed bytes (%s)" % label)
        shown = run(["wine", windows(args.pack_exe), "inspect", windows(best)],
                    env=dict(os.environ, WINEDEBUG="-all"), timeout=120)
        check(share_is_right(shown.stdout), "pack.exe's compression share", shown.stdout)
    return finish("compressed packages: every check passed (%s)" % ", ".join("%s %d" % kv for kv in sorted(sizes.items())))


if __name__ == "__main__":
    sys.exit(main())
