#!/usr/bin/env python3
"""Patterns of [Files], [Exclude] and definitions, end to end.

A tree with sub-folders, accented names, a file to exclude at two depths and a
link is packaged with two pattern lines and one [Exclude], and checked:
  - `pack files` lists the payload in its documented order;
  - the same tree created in another order packages to the same bytes, and so
    does pack.exe under Wine;
  - `-D Version=2.1` changes the version strings and the record's name with
    the version, nothing else; `pack verify` takes the same -D;
  - each error names its line (Linux pack, and pack.exe where Wine shows the
    same tree): link loops, names equal but for letter case, a folder letter
    case leaves ambiguous, a pattern inside an excluded folder.
Leaves in WORK the tree, the package and manifest.txt (target, source; code
page 1252) for the Win32 test that installs it.
Usage: patterns_check.py --pack PACK --setup SETUP.exe --work DIR [--pack-exe PACK.exe]
"""
import os
import shutil
import sys
import time


sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import check, finish, run, script_arguments  # noqa: E402
from pe_tree import load_resources_only, read_resources  # noqa: E402

APP = "PatternAtlas"
DESCRIPTION = """[Defines]
Version = 2.0
[Setup]
AppName = PatternAtlas
AppVerName = PatternAtlas {#Version}
Folder = C:\\ct_patterns
SubFolder = Atlas
NoIcons = yes
[Files]
bin/atlas.exe
data/ = Donnees
docs/*.txt
[Exclude]
Thumbs.db
"""

# Path in the tree: content; "->" marks a link to the path given.
TREE = [
    ("bin/atlas.exe", b"MZ programme principal"),
    ("data/sons/cloche.wav", b"RIFF cloche" * 50),
    ("data/sons/\u00c9t\u00e9.wav", b"RIFF ete"),
    ("data/niveaux/n1.dat", b"niveau 1"),
    ("data/niveaux/secrets/N2.dat", b"niveau 2"),
    ("data/Thumbs.db", b"vignettes"),
    ("data/sons/Thumbs.db", b"vignettes aussi"),
    ("data/vide/", None),
    ("data/lisez-moi.txt", "->../docs/lisez-moi.txt"),
    ("docs/lisez-moi.txt", "Lisez-moi de l'atlas, \u00e9t\u00e9 2026.\n".encode("utf-8")),
    ("docs/manuel.pdf", b"%PDF"),
]

# Targets below the install folder, in payload order, with their sources.
EXPECTED = [
    ("atlas.exe", "bin/atlas.exe"),
    ("Donnees\\lisez-moi.txt", "data/lisez-moi.txt"),
    ("Donnees\\niveaux\\n1.dat", "data/niveaux/n1.dat"),
    ("Donnees\\niveaux\\secrets\\N2.dat", "data/niveaux/secrets/N2.dat"),
    ("Donnees\\sons\\cloche.wav", "data/sons/cloche.wav"),
    ("Donnees\\sons\\\u00c9t\u00e9.wav", "data/sons/\u00c9t\u00e9.wav"),
    ("lisez-moi.txt", "docs/lisez-moi.txt"),
]


def make_tree(root, order):
    """The tree, its entries created in the given order (1 or -1)."""
    shutil.rmtree(root, ignore_errors=True)
    for path, content in TREE[::order]:
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        if content is None:
            os.makedirs(full, exist_ok=True)
        elif isinstance(content, str):
            os.symlink(content[2:], full)
        else:
            with open(full, "wb") as f:
                f.write(content)
    with open(os.path.join(root, "atlas.ini"), "w", encoding="utf-8") as f:
        f.write(DESCRIPTION)
    return os.path.join(root, "atlas.ini")


def windows(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine(pack_exe, arguments):
    return run(["wine", windows(pack_exe)] + arguments, env=dict(os.environ, WINEDEBUG="-all"), timeout=120)


def error_cases():
    """(what, description lines after [Files], tree entries, line, message, Wine shows it too)."""
    head = "[Setup]\nAppName = Erreurs\nNoIcons = yes\n[Files]\n"  # files from line 5
    main = [("a.exe", b"a")]
    return head, [
        ("pattern first", "data/\na.exe\n", main + [("data/x", b"x")], 5, "the first line of [Files] names the main program", True),
        ("nothing found", "a.exe\ndata/*.wav\n", main + [("data/x", b"x")], 6, "'data/*.wav' finds no file", True),
        ("no folder", "a.exe\nvide/\n", main, 6, "'vide/' finds no file: there is no folder 'vide'", True),
        ("broken link", "a.exe\ndata/\n", main + [("data/x", b"x"), ("data/casse", "->nulle-part")], 6,
         "broken link: 'data/casse' leads to nothing", False),
        ("link loop", "a.exe\ndata/\n", main + [("data/x", b"x"), ("data/sous/haut", "->..")], 6,
         "link loop: 'data/sous/haut' leads back to a folder above it", True),
        # Two links back to the folder above: a walk without folder identities
        # doubles its work at every pass (Wine shows them as reparse points).
        ("two link loops", "a.exe\ndata/\n", main + [("data/x", b"x"), ("data/a/haut", "->.."), ("data/b/haut", "->..")],
         6, "link loop: 'data/a/haut' leads back to a folder above it", True),
        ("no code page 1252 form", "a.exe\ndata/\n", main + [("data/\u2603.txt", b"x")], 6,
         "the name of 'data/?.txt' has no code page 1252 form", True),
        ("undefined name", "a.exe\nbin/{#Config}/b.exe\n", main, 6, "{#Config} is not defined", True),
        ("same target, two sources", "a.exe\nun/\ndeux/\n", main + [("un/x.txt", b"1"), ("deux/X.TXT", b"2")], 7,
         "installs X.TXT again (already on line 6): from 'un/x.txt' and from 'deux/X.TXT'", True),
        # Names that differ only by letter case: two files here (and in a folder
        # Wine shows as it is on Linux), one on Windows; neither left out.
        ("names equal but for letter case", "a.exe\ndata/*.TXT\ndata/a.txt\n",
         main + [("data/A.txt", b"A"), ("data/a.txt", b"a")], 6,
         "installs a.txt again (already on line 6): from 'data/A.txt' and from 'data/a.txt'", True),
        ("accented names equal but for letter case", "a.exe\ndata/*.txt = d\nautre/\u00e9.txt = d\n",
         main + [("data/\u00c9.txt", b"1"), ("autre/\u00e9.txt", b"2")], 7,
         "installs d\\\u00e9.txt again (already on line 6): from 'data/\u00c9.txt' and from 'autre/\u00e9.txt'", True),
        ("two folders for one name", "a.exe\nDATA/**\n", main + [("Data/x", b"x"), ("data/y", b"y")], 6,
         "'DATA/**' names two folders, 'Data' and 'data'", False),
        ("pattern inside an excluded folder", "a.exe\ndata/brouillons/**\n[Exclude]\nbrouillons/\n",
         main + [("data/brouillons/n9.dat", b"9")], 6, "'data/brouillons/**' finds no file (after [Exclude])", True),
    ]


def check_errors(args, work):
    head, cases = error_cases()
    for what, lines, entries, line, message, on_wine in cases:
        root = os.path.join(work, "errors", what.replace(" ", "-"))
        shutil.rmtree(root, ignore_errors=True)
        for path, content in entries:
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            if isinstance(content, str):
                os.symlink(content[2:], full)
            else:
                open(full, "wb").write(content)
        description = os.path.join(root, "e.ini")
        open(description, "w", encoding="utf-8").write(head + lines)
        out = os.path.join(root, "e.exe")
        expected = "e.ini:%d: error: " % line
        result = run([args.pack, "build", description, "-o", out, "--setup", args.setup])
        check(result.returncode == 1 and expected in result.stderr and message in result.stderr and
              not os.path.exists(out), "pack: %s, on line %d" % (what, line), result.stderr)
        if on_wine and args.pack_exe:
            started = time.monotonic()
            result = wine(args.pack_exe, ["build", windows(description), "-o", windows(out), "--setup", windows(args.setup)])
            seconds = time.monotonic() - started
            check(result.returncode == 1 and expected in result.stderr and message in result.stderr and
                  not os.path.exists(out), "pack.exe: %s, on line %d" % (what, line), result.stderr)
            # Wine's start included: the walk itself ends at once.
            check(seconds < 20, "pack.exe: %s, in %.1f s" % (what, seconds))


def resources(path):
    return read_resources(load_resources_only(path))[0]


def main():
    args = script_arguments()
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    description = make_tree(os.path.join(work, "source"), 1)
    package = os.path.join(work, "patterns.exe")
    result = run([args.pack, "build", description, "-o", package, "--setup", args.setup])
    check(result.returncode == 0 and "7 file(s)" in result.stdout, "pack build with two patterns and [Exclude]",
          result.stdout + result.stderr)

    listed = run([args.pack, "files", description])
    rows = [line.split("\t") for line in listed.stdout.splitlines() if "\t" in line]
    check(listed.returncode == 0 and [(r[1], os.path.relpath(r[3], os.path.dirname(description))) for r in rows] ==
          EXPECTED, "pack files lists the payload in its order", listed.stdout + listed.stderr)
    check(listed.stdout.rstrip().endswith("(number, target in the install folder, size in bytes, source)") and
          "pack: 7 file(s)" in listed.stdout, "pack files ends with the totals", listed.stdout)

    other = make_tree(os.path.join(work, "source-reversed"), -1)
    again = os.path.join(work, "reversed.exe")
    result = run([args.pack, "build", other, "-o", again, "--setup", args.setup])
    check(result.returncode == 0 and open(again, "rb").read() == open(package, "rb").read(),
          "the tree created in another order gives the same bytes", result.stderr)

    if args.pack_exe:
        from_exe = os.path.join(work, "from-pack-exe.exe")
        result = wine(args.pack_exe, ["build", windows(description), "-o", windows(from_exe), "--setup",
                                      windows(args.setup)])
        check(result.returncode == 0 and os.path.exists(from_exe) and
              open(from_exe, "rb").read() == open(package, "rb").read(),
              "pack.exe under Wine writes the same bytes", result.stdout + result.stderr)

    versioned = os.path.join(work, "version-2.1.exe")
    result = run([args.pack, "build", description, "-D", "Version=2.1", "-o", versioned, "--setup", args.setup])
    if check(result.returncode == 0, "pack build -D Version=2.1", result.stderr):
        before, after = resources(package), resources(versioned)
        changed = sorted(str(k) for k in set(before) | set(after) if before.get(k) != after.get(k))
        check(len(changed) == 2 and all("'RT_DATA', '5001'" in k or k.startswith("(16,") for k in changed),
              "-D changes the version information and the record only", str(changed))
        version = [v for k, v in after.items() if k[0] == 16]
        check(version and "2.1".encode("utf-16-le") in version[0] and b"P\0a\0t\0t\0e\0r\0n\0A\0t\0l\0a\0s\0" in version[0],
              "the version strings say 2.1")
        record = after[("RT_DATA", "5001", 0)]
        check(b"PatternAtlas 2.1\0" in record and b"PatternAtlas 2.0" not in record, "AppVerName is PatternAtlas 2.1")
        same = run([args.pack, "verify", versioned, description, "-D", "Version=2.1", "--setup", args.setup])
        check(same.returncode == 0, "pack verify -D Version=2.1 accepts it", same.stdout + same.stderr)
        differs = run([args.pack, "verify", versioned, description, "--setup", args.setup])
        check(differs.returncode == 1, "pack verify without -D finds it different", differs.stdout + differs.stderr)

    check_errors(args, work)

    with open(os.path.join(work, "manifest.txt"), "wb") as f:
        for target, source in EXPECTED:
            f.write(("%s|%s\r\n" % (target, source.replace("/", "\\"))).encode("cp1252"))
    return finish("patterns: every check passed")


if __name__ == "__main__":
    sys.exit(main())
