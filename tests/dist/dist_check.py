#!/usr/bin/env python3
"""The release archives and the installed pack, end to end.

  - make_dist twice gives identical archives, and SHA256SUMS holds their sums;
  - the zip's pack.exe, under Wine, packages the example with the setup.exe
    beside it, and the tarball's pack does the same on Linux: the same bytes;
  - install.sh (make install) with DESTDIR and PREFIX installs cartopia-pack,
    which tells its version and finds its setup.exe in its data folder without
    --setup; uninstall removes what it installed.
Usage: dist_check.py --build BUILD --bin WINDOWS_BIN --work DIR
"""
import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import tarfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import check, finish, run  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOLS = os.path.join(ROOT, "tools", "dist")


def windows(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def make_dist(args, out):
    result = run(["/usr/bin/python3", os.path.join(TOOLS, "make_dist.py"), "--windows-bin", args.bin,
                  "--linux-pack", os.path.join(args.build, "host", "bin", "pack"), "--out", out])
    check(result.returncode == 0, "make_dist writes the archives", result.stdout + result.stderr)
    return {name: open(os.path.join(out, name), "rb").read() for name in sorted(os.listdir(out))}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--bin", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    first = make_dist(args, os.path.join(work, "dist1"))
    second = make_dist(args, os.path.join(work, "dist2"))
    check(first == second and len(first) == 3, "two runs give identical archives", str(sorted(first)))
    zip_name = [n for n in first if n.endswith(".zip")][0]
    tar_name = [n for n in first if n.endswith(".tar.gz")][0]
    sums = first["SHA256SUMS"].decode()
    for name in (zip_name, tar_name):
        check("%s  %s\n" % (hashlib.sha256(first[name]).hexdigest(), name) in sums, "SHA256SUMS holds " + name, sums)

    unzipped = os.path.join(work, "zip")
    with zipfile.ZipFile(os.path.join(work, "dist1", zip_name)) as archive:
        names = archive.namelist()
        archive.extractall(unzipped)
    check({"pack.exe", "setup.exe", "GUIDE.txt", "exemple/exemple.ini", "exemple/bin/Cartopia.exe"} <= set(names),
          "the zip holds pack.exe, setup.exe, the guide and the example", str(names))
    from_zip = os.path.join(work, "from-zip.exe")
    result = run(["wine", windows(os.path.join(unzipped, "pack.exe")), "build",
                  windows(os.path.join(unzipped, "exemple", "exemple.ini")), "-o", windows(from_zip)],
                 env=dict(os.environ, WINEDEBUG="-all"), timeout=120)
    check(result.returncode == 0 and os.path.exists(from_zip), "the zip's pack.exe packages the example",
          result.stdout + result.stderr)

    untarred = os.path.join(work, "tar")
    with tarfile.open(os.path.join(work, "dist1", tar_name)) as archive:
        archive.extractall(untarred)
    top = os.path.join(untarred, tar_name[:-len(".tar.gz")])
    from_tar = os.path.join(work, "from-tar.exe")
    result = run([os.path.join(top, "pack"), "build", os.path.join(top, "exemple", "exemple.ini"), "-o", from_tar])
    check(result.returncode == 0 and os.path.exists(from_tar), "the tarball's pack packages the example",
          result.stdout + result.stderr)
    if os.path.exists(from_zip) and os.path.exists(from_tar):
        check(open(from_zip, "rb").read() == open(from_tar, "rb").read(), "pack.exe and pack write the same bytes")

    # make install DESTDIR=... PREFIX=/usr, then the installed command.
    root = os.path.join(work, "root")
    install = os.path.join(TOOLS, "install.sh")
    result = run([install, "install", args.build, "/usr", root])
    command = os.path.join(root, "usr", "bin", "cartopia-pack")
    check(result.returncode == 0 and os.access(command, os.X_OK) and
          os.path.exists(os.path.join(root, "usr", "share", "cartopia-pack", "setup.exe")),
          "install puts cartopia-pack and its setup.exe under DESTDIR and PREFIX", result.stdout + result.stderr)
    version = open(os.path.join(ROOT, "pack", "VERSION")).read().strip()
    result = run([command, "--version"])
    check(result.returncode == 0 and result.stdout.strip() == "pack " + version, "--version", result.stdout)
    installed = os.path.join(work, "installed.exe")
    result = run([command, "build", os.path.join(top, "exemple", "exemple.ini"), "-o", installed])
    reference = os.path.join(work, "reference.exe")
    run([os.path.join(args.build, "host", "bin", "pack"), "build", os.path.join(top, "exemple", "exemple.ini"),
         "-o", reference, "--setup", os.path.join(args.build, "win", "bin", "setup.exe")])
    check(result.returncode == 0 and os.path.exists(installed) and
          open(installed, "rb").read() == open(reference, "rb").read(),
          "the installed pack finds its setup.exe without --setup", result.stdout + result.stderr)
    result = run([install, "uninstall", args.build, "/usr", root])
    left = [os.path.join(d, f) for d, _, files in os.walk(root) for f in files]
    check(result.returncode == 0 and not left, "uninstall removes every installed file", str(left))
    return finish("release archives and install: every check passed")


if __name__ == "__main__":
    sys.exit(main())
