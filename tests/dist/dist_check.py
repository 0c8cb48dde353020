#!/usr/bin/env python3
"""The release archives and the installed pack, end to end.

  - make_dist twice gives identical archives, and SHA256SUMS holds their sums;
  - the zip's pack.exe, under Wine, packages the example with the setup.exe
    beside it, and the tarball's pack does the same on Linux: the same bytes;
  - the tarball's pack needs nothing of the distribution but the C library
    (its needed libraries, the newest C library version it asks for), and
    runs with an empty environment and in a root that holds nothing else,
    where it compresses the example to the bytes it writes outside;
  - install.sh (make install) with DESTDIR and PREFIX installs cartopia-pack,
    which tells its version and finds its setup.exe in its data folder without
    --setup; uninstall removes what it installed.
Usage: dist_check.py --build BUILD --bin WINDOWS_BIN --work DIR
"""
import argparse
import hashlib
import os
import re
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


# What the tarball's pack may need of the system: the C library and the
# libraries that come with it, and no newer C library than README promises.
C_LIBRARY = {"libc.so.6", "libm.so.6", "libpthread.so.0", "libdl.so.2", "librt.so.1", "ld-linux-x86-64.so.2"}
OLDEST_C_LIBRARY = (2, 36)


def needed_libraries(program):
    result = run(["readelf", "-d", program])
    return [line.split("[")[1].rstrip("]") for line in result.stdout.splitlines() if "(NEEDED)" in line]


def newest_c_library(program):
    """The newest GLIBC_x.y version among the symbols program imports."""
    found = re.findall(r"GLIBC_(\d+)\.(\d+)", run(["objdump", "-T", program]).stdout)
    return max((int(a), int(b)) for a, b in found) if found else (0, 0)


def bare_root(root, program):
    """A root folder holding only what program needs to start: its loader and
    the libraries it names, each where the system has it."""
    interpreter = re.search(r"program interpreter: ([^\]]+)\]", run(["readelf", "-l", program]).stdout)
    paths = [interpreter.group(1)] if interpreter else []
    known = dict(re.findall(r"^\s*(\S+) \(libc6,x86-64[^)]*\) => (\S+)$", run(["/sbin/ldconfig", "-p"]).stdout, re.M))
    paths += [known[name] for name in needed_libraries(program) if name in known]
    for path in paths:
        os.makedirs(os.path.dirname(root + path), exist_ok=True)
        shutil.copy(path, root + path)
    os.makedirs(os.path.join(root, "tmp"))


def pack_needs_only_the_c_library(work, top):
    pack = os.path.join(top, "pack")
    needed = needed_libraries(pack)
    check(needed and set(needed) <= C_LIBRARY, "the tarball's pack needs only the C library", str(needed))
    newest = newest_c_library(pack)
    check(newest <= OLDEST_C_LIBRARY, "the tarball's pack asks for the C library %d.%d at most" % OLDEST_C_LIBRARY,
          "%d.%d" % newest)
    result = run(["env", "-i", "LD_LIBRARY_PATH=", pack, "--version"])
    check(result.returncode == 0 and result.stdout.startswith("pack "), "pack runs with an empty environment",
          result.stdout + result.stderr)

    # The example compressed, in a root where the C library is all there is.
    root = os.path.join(work, "bare-root")
    bare_root(root, pack)
    shutil.copytree(top, os.path.join(root, "cartopia"))
    ini = os.path.join(root, "cartopia", "exemple", "compresse.ini")
    text = open(os.path.join(top, "exemple", "exemple.ini"), encoding="utf-8").read()
    open(ini, "w", encoding="utf-8").write(text.replace("[Setup]\n", "[Setup]\nCompression = fast\n", 1))
    outside = os.path.join(work, "compressed-outside.exe")
    result = run([pack, "build", ini, "-o", outside])
    check(result.returncode == 0, "the tarball's pack compresses the example", result.stderr)
    chroot = ["chroot"] if os.geteuid() == 0 else ["unshare", "-r", "chroot"]
    inside = chroot + [root, "/cartopia/pack"]
    result = run(inside + ["--version"])
    check(result.returncode == 0 and result.stdout.startswith("pack "),
          "pack starts in a root holding only the C library (%s)" % " ".join(chroot), result.stdout + result.stderr)
    # No /proc there: pack cannot find itself, so it is given its setup.exe.
    result = run(inside + ["build", "/cartopia/exemple/compresse.ini", "-o", "/compresse.exe",
                           "--setup", "/cartopia/setup.exe"])
    made = os.path.join(root, "compresse.exe")
    check(result.returncode == 0 and os.path.exists(made) and os.path.exists(outside) and
          open(made, "rb").read() == open(outside, "rb").read(),
          "there it compresses the example to the same bytes", result.stdout + result.stderr)


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
    pack_needs_only_the_c_library(work, top)

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
