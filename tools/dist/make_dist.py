#!/usr/bin/env python3
"""The release archives of pack, written reproducibly: the same sources and
programs give the same bytes (every entry's time is the last commit's, or
SOURCE_DATE_EPOCH; entries sorted; owners and modes fixed; gzip without a name
or time).

  cartopia-pack-VERSION-windows.zip        pack.exe, setup.exe, GUIDE.txt, exemple/
  cartopia-pack-VERSION-linux-MACHINE.tar.gz  pack, setup.exe, GUIDE.txt, exemple/
  SHA256SUMS                               the SHA-256 of both

The example's program is the Cartopia quiz of the Windows build.
Usage: make_dist.py --windows-bin DIR --linux-pack PACK --out DIR
"""
import argparse
import gzip
import hashlib
import io
import os
import platform
import subprocess
import sys
import tarfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def release_time():
    """Seconds since 1970 every entry carries."""
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    result = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], capture_output=True, text=True)
    return int(result.stdout.strip()) if result.returncode == 0 and result.stdout.strip() else 315532800


def entries(windows_bin, linux_pack, windows):
    """(name in the archive, bytes, executable) sorted by name."""
    def read(path):
        with open(path, "rb") as f:
            return f.read()
    items = [("setup.exe", read(os.path.join(windows_bin, "setup.exe")), False),
             ("GUIDE.txt", read(os.path.join(HERE, "GUIDE.txt")), False),
             ("exemple/bin/Cartopia.exe", read(os.path.join(windows_bin, "Cartopia.exe")), False)]
    items.append(("pack.exe", read(os.path.join(windows_bin, "pack.exe")), False) if windows
                 else ("pack", read(linux_pack), True))
    example = os.path.join(HERE, "exemple")
    for folder, _, files in os.walk(example):
        for name in files:
            path = os.path.join(folder, name)
            items.append(("exemple/" + os.path.relpath(path, example).replace(os.sep, "/"), read(path), False))
    return sorted(items)


def write_zip(path, items, when):
    stamp = max(when, 315532800)  # zip times start in 1980
    import time
    date_time = time.gmtime(stamp)[:6]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data, _ in items:
            info = zipfile.ZipInfo(name, date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            info.create_system = 0
            archive.writestr(info, data, compresslevel=9)


def write_tarball(path, top, items, when):
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.USTAR_FORMAT) as archive:
        folders = sorted({top + "/" + "/".join(name.split("/")[:i])
                          for name, _, _ in items for i in range(1, name.count("/") + 1)} | {top})
        for folder in folders:
            info = tarfile.TarInfo(folder)
            info.type, info.mode, info.mtime = tarfile.DIRTYPE, 0o755, when
            archive.addfile(info)
        for name, data, executable in items:
            info = tarfile.TarInfo(top + "/" + name)
            info.size, info.mode, info.mtime = len(data), 0o755 if executable else 0o644, when
            archive.addfile(info, io.BytesIO(data))
    with open(path, "wb") as out:
        with gzip.GzipFile(filename="", mode="wb", fileobj=out, compresslevel=9, mtime=0) as packed:
            packed.write(raw.getvalue())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--windows-bin", required=True)
    parser.add_argument("--linux-pack", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    version = open(os.path.join(ROOT, "pack", "VERSION")).read().strip()
    when = release_time()
    os.makedirs(args.out, exist_ok=True)
    zip_name = "cartopia-pack-%s-windows.zip" % version
    top = "cartopia-pack-%s-linux-%s" % (version, platform.machine())
    tar_name = top + ".tar.gz"
    write_zip(os.path.join(args.out, zip_name), entries(args.windows_bin, args.linux_pack, True), when)
    write_tarball(os.path.join(args.out, tar_name), top, entries(args.windows_bin, args.linux_pack, False), when)
    with open(os.path.join(args.out, "SHA256SUMS"), "w") as sums:
        for name in (tar_name, zip_name):
            with open(os.path.join(args.out, name), "rb") as f:
                sums.write("%s  %s\n" % (hashlib.sha256(f.read()).hexdigest(), name))
    print("wrote %s, %s and SHA256SUMS in %s" % (zip_name, tar_name, args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
