#!/usr/bin/env python3
"""Per-user packages (Privileges = user), end to end, with the pack built for
Linux, read back with an independent PE reader (pefile).

Checks:
  - without the key, and with Privileges = admin, the package is the same
    bytes, with no scope resource, and setup's and the carried uninstaller's
    manifests as setup.exe has them;
  - with Privileges = user, both manifests (setup.exe's, and the one of the
    uninst.exe inside RT_EXECUTABLE 210) ask for asInvoker and differ from the
    originals in that word only; RT_DATA "5003" says "user"; every other
    resource of the package, and of the carried uninstaller, is unchanged;
  - the per-user package is reproducible (two builds, and pack.exe under Wine,
    write the same bytes) and signable (our own verifier accepts it);
  - `pack inspect` shows the level, the token and where the package registers;
    `pack verify` accepts the per-user package and tells it from the admin one.
Usage: per_user_check.py --pack PACK --setup SETUP.exe --work DIR [--pack-exe PACK.exe]
"""
import os
import shutil
import sys

import pefile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "sign"))
import authenticode  # noqa: E402
from checks import check, finish, run, script_arguments  # noqa: E402
from pe_tree import file_offset, load_resources_only, read_resources  # noqa: E402

APP = "AtlasPerso"
MANIFEST = 24
UNINSTALLER = ("RT_EXECUTABLE", 210, 1033)
ADMIN_LEVEL = b'level="requireAdministrator"'
USER_LEVEL = b'level="asInvoker"'


def resources_of(data):
    resources, problems = read_resources(load_resources_only(data=data))
    check(not problems, "the resource tree lies in the file", "; ".join(problems))
    return resources


def manifests(resources):
    return {k: v for k, v in resources.items() if k[0] == MANIFEST}


def write_description(source, name, privileges, folder):
    """The same package for each level; folder "" leaves the level's default."""
    path = os.path.join(source, name)
    with open(path, "w", encoding="utf-8") as f:
        f.write("[Setup]\nAppName = %s\nAppVerName = %s 1.0\nUninstallIcon = yes\n" % (APP, APP))
        if privileges:
            f.write("Privileges = %s\n" % privileges)
        if folder:
            f.write("Folder = %s\n" % folder)
        f.write("[Files]\natlas.exe\ncartes/nord.dat = cartes\n")
    return path


def build(pack, setup, description, output, *options):
    result = run([pack, "build", description, "-o", output, "--setup", setup] + list(options))
    check(result.returncode == 0, "pack build " + os.path.basename(description), result.stderr)
    return open(output, "rb").read() if result.returncode == 0 else b""


def admin_packages_unchanged(setup_data, plain, admin):
    check(plain == admin, "Privileges = admin writes the bytes a description without the key writes")
    ours, package = resources_of(setup_data), resources_of(plain)
    check(("RT_DATA", "5003", 0) not in package, "no scope resource in an administrator's package")
    check(manifests(package) == manifests(ours) and package[UNINSTALLER] == ours[UNINSTALLER],
          "an administrator's package keeps setup.exe's manifest and uninstaller as they are")


def per_user_manifests(admin, user):
    original, package = resources_of(admin), resources_of(user)
    check(package.get(("RT_DATA", "5003", 0)) == b"user", "RT_DATA 5003 says user")
    changed = sorted(str(k) for k in set(original) | set(package) if original.get(k) != package.get(k))
    expected = sorted(str(k) for k in list(manifests(original)) + [UNINSTALLER, ("RT_DATA", "5003", 0)])
    check(changed == expected, "only the manifests, the uninstaller and the scope differ from the admin package",
          "%s != %s" % (changed, expected))
    pairs = [("setup.exe", manifests(original), manifests(package))]
    if check(UNINSTALLER in package, "the package carries the uninstaller"):
        inner_before, inner_after = resources_of(original[UNINSTALLER]), resources_of(package[UNINSTALLER])
        pairs.append(("uninst.exe", manifests(inner_before), manifests(inner_after)))
        others = [k for k in set(inner_before) | set(inner_after) if k[0] != MANIFEST]
        check(all(inner_before.get(k) == inner_after.get(k) for k in others),
              "the carried uninstaller keeps every other resource")
        pe = pefile.PE(data=package[UNINSTALLER])
        check(pe.OPTIONAL_HEADER.CheckSum == pe.generate_checksum(), "the carried uninstaller's checksum holds")
    for name, before, after in pairs:
        check(len(after) == 1 and set(after) == set(before), name + " has its one manifest", str(list(after)))
        for k in after:
            text = after[k]
            check(USER_LEVEL in text and b"requireAdministrator" not in text, name + "'s manifest asks for asInvoker",
                  text.decode("utf-8", "replace"))
            check(before[k].replace(ADMIN_LEVEL, USER_LEVEL) == text, name + "'s manifest differs in the level only")


def reproducible_and_signable(ws, description, user, pack_exe):
    again = build(ws.pack, ws.setup, description, os.path.join(ws.work, "again", "autre-nom.exe"))
    check(again == user, "two builds of a per-user package are identical")
    if pack_exe:
        def windows(path):
            return "Z:" + os.path.abspath(path).replace("/", "\\")
        out = os.path.join(ws.work, "wine", "setup.exe")
        result = run(["wine", windows(pack_exe), "build", windows(description), "-o", windows(out), "--setup",
                      windows(ws.setup)], env=dict(os.environ, WINEDEBUG="-all"), timeout=120)
        if check(result.returncode == 0, "pack.exe under Wine builds the per-user package", result.stderr):
            check(open(out, "rb").read() == user, "pack.exe and the Linux pack write the same per-user package")
    keys = os.path.join(ws.work, "keys")
    run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30", "-subj", "/CN=Editeur perso",
         "-addext", "extendedKeyUsage=codeSigning", "-keyout", os.path.join(keys, "key.pem"), "-out",
         os.path.join(keys, "cert.pem")])
    signed = build(ws.pack, ws.setup, description, os.path.join(ws.work, "signed", "setup.exe"), "--sign",
                   os.path.join(keys, "cert.pem"), "--key", os.path.join(keys, "key.pem"))
    try:
        authenticode.verify(signed)
    except authenticode.Invalid as error:
        check(False, "our verifier accepts the signed per-user package", str(error))
    check(resources_of(signed)[UNINSTALLER] == resources_of(user)[UNINSTALLER],
          "signing keeps the rewritten uninstaller")


def inspect_shows_the_scope(ws, package, expected):
    result = run([ws.pack, "inspect", package])
    check(result.returncode == 0, "inspect finds no problem in " + os.path.basename(package), result.stdout + result.stderr)
    for line in expected:
        check(line in result.stdout, "inspect shows: " + line, result.stdout)


def inspect_says_what_a_damaged_scope_does(ws, package):
    """Setup takes any "5003" for a per-user package (and writes a sound one
    into its uninstaller): inspect says so, as a problem."""
    data = bytearray(open(package, "rb").read())
    at, size = file_offset(load_resources_only(package), "RT_DATA", "5003")
    data[at:at + size] = b"USER"
    damaged = os.path.join(ws.work, "setup-damaged-scope.exe")
    open(damaged, "wb").write(bytes(data))
    result = run([ws.pack, "inspect", damaged])
    key = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + APP
    check(result.returncode == 1 and "setup still installs for the user who runs it" in result.stdout and
          "Registers under   " + key in result.stdout and "<- problem" in result.stdout,
          "inspect of a damaged 5003 says setup installs per user", result.stdout + result.stderr)


def verify_tells_the_levels_apart(ws, descriptions):
    def verify(package, level):
        return run([ws.pack, "verify", os.path.join(ws.work, package), descriptions[level], "--setup", ws.setup])
    result = verify("setup-user.exe", "user")
    check(result.returncode == 0, "verify accepts the per-user package", result.stdout + result.stderr)
    result = verify("setup-admin.exe", "user")
    check(result.returncode == 1 and "RT_DATA 5003" in result.stdout,
          "verify of the admin package against the per-user description names the scope", result.stdout)


class Workspace:
    def __init__(self, work, pack, setup):
        self.work, self.pack, self.setup = work, pack, setup
        shutil.rmtree(work, ignore_errors=True)
        for sub in ("source/cartes", "again", "wine", "keys", "signed"):
            os.makedirs(os.path.join(work, sub))
        self.source = os.path.join(work, "source")
        with open(os.path.join(self.source, "atlas.exe"), "wb") as f:
            f.write(b"MZ not really a program")
        with open(os.path.join(self.source, "cartes", "nord.dat"), "wb") as f:
            f.write(b"carte du nord\n")


def main():
    args = script_arguments()
    ws = Workspace(os.path.abspath(args.work), os.path.abspath(args.pack), os.path.abspath(args.setup))
    setup_data = open(ws.setup, "rb").read()
    # {app}: a folder both levels may use, so that the packages differ by the level alone.
    descriptions = {p: write_description(ws.source, "package-%s.ini" % (p or "plain"), p, "{app}")
                    for p in ("", "admin", "user")}
    descriptions["default"] = write_description(ws.source, "package-default.ini", "user", "")
    packages = {p: build(ws.pack, ws.setup, d, os.path.join(ws.work, "setup-%s.exe" % (p or "plain")))
                for p, d in descriptions.items()}
    admin_packages_unchanged(setup_data, packages[""], packages["admin"])
    per_user_manifests(packages["admin"], packages["user"])
    reproducible_and_signable(ws, descriptions["user"], packages["user"], args.pack_exe)
    verify_tells_the_levels_apart(ws, descriptions)
    key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + APP
    inspect_shows_the_scope(ws, os.path.join(ws.work, "setup-default.exe"),
                            ["Folder            {userpf}", "SubFolder         " + APP,
                             "Privileges        user (for the user who runs it, no rights asked); "
                             "setup.exe asInvoker, uninstaller asInvoker",
                             "Registers under   HKEY_CURRENT_USER\\" + key])
    inspect_shows_the_scope(ws, os.path.join(ws.work, "setup-admin.exe"),
                            ["Privileges        admin (for every user, with administrator rights); "
                             "setup.exe requireAdministrator, uninstaller requireAdministrator",
                             "Registers under   HKEY_LOCAL_MACHINE\\" + key])
    inspect_says_what_a_damaged_scope_does(ws, os.path.join(ws.work, "setup-default.exe"))
    return finish("per-user packages: every check passed")


if __name__ == "__main__":
    sys.exit(main())
