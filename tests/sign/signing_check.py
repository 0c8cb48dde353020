#!/usr/bin/env python3
"""Signed and reproducible packages, end to end, with the pack built for Linux.

Makes a throw-away certificate authority with openssl, builds packages with
and without --sign, and checks:
  - a signed package verifies with our own Authenticode verifier and with
    `pack inspect`, which names the signer;
  - a byte changed anywhere in it fails both, and inspect says what changed;
  - a wrong password, a missing or mismatched key, a missing signing tool and
    an unreachable timestamp server give a clear error and leave no output
    (an older package of that name stays as it was);
  - files with accented names (UTF-8 on disk) are packaged under their names;
  - `pack verify` accepts the signed release rebuilt from its description
    and names the first difference of a changed one;
  - two builds of the same inputs, written under other names, are byte-identical, pack writes no
    uninitialised byte (valgrind), and pack.exe under Wine writes the same
    bytes as the Linux pack.
Leaves the signed package in WORK/signed for the wizard test that installs it.
Usage: signing_check.py --pack PACK --setup SETUP.exe --work DIR [--pack-exe PACK.exe]
"""
import os
import shutil
import sys

import authenticode

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import check, finish, run, script_arguments  # noqa: E402

APP = "SignedAtlas"
PASSWORD = "Motdepasse d'essai"
ACCENTED_FOLDER = "Données"
ACCENTED_FILE = "Résumé d'été ç œ € ß è.txt"


def openssl(*args):
    result = run(["openssl"] + list(args))
    if result.returncode != 0:
        sys.exit("openssl %s failed: %s" % (args[0], result.stderr))


class Workspace:
    def __init__(self, work, pack, setup):
        self.work, self.pack, self.setup = work, pack, setup
        shutil.rmtree(work, ignore_errors=True)
        self.source = os.path.join(work, "source")
        self.keys = os.path.join(work, "keys")
        os.makedirs(os.path.join(self.source, "cartes"))
        os.makedirs(self.keys)
        with open(os.path.join(self.source, "atlas.exe"), "wb") as f:
            f.write(bytes(range(256)) * 64)
        with open(os.path.join(self.source, "cartes", "nord.dat"), "wb") as f:
            f.write(b"carte du nord\n")
        # Accented file and folder names: UTF-8 on this disk, code page 1252 in the package.
        os.makedirs(os.path.join(self.source, ACCENTED_FOLDER))
        with open(os.path.join(self.source, ACCENTED_FOLDER, ACCENTED_FILE), "wb") as f:
            f.write(b"r\xe9sum\xe9\n")
        with open(os.path.join(self.source, "licence.txt"), "w", encoding="utf-8") as f:
            f.write("Licence d'essai : à lire.\n")
        with open(self.description, "w", encoding="utf-8") as f:
            f.write("[Setup]\nAppName = %s\nAppVerName = %s 3.1\nFolder = C:\\ct_signed\nSubFolder = Atlas\n"
                    "License = licence.txt\nAppVersion = 3.1.0.7\nPublisher = Éditions d'essai\n"
                    "[Files]\natlas.exe\ncartes/nord.dat = cartes\n%s/%s = %s\n"
                    % (APP, APP, ACCENTED_FOLDER, ACCENTED_FILE, ACCENTED_FOLDER))

    @property
    def description(self):
        return os.path.join(self.source, "package.ini")

    def key(self, name):
        return os.path.join(self.keys, name)

    def make_certificates(self):
        """A publisher certificate issued by a test authority, as PKCS#12 with
        a password and as PEM with its key apart, and an unrelated key."""
        k = self.key
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30", "-subj", "/CN=Autorite d'essai",
                "-keyout", k("ca.key"), "-out", k("ca.pem"))
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=Éditions d'essai/O=Atlas SA/C=FR", "-utf8",
                "-keyout", k("publisher.key"), "-out", k("publisher.csr"))
        with open(k("ext.cnf"), "w") as f:
            f.write("extendedKeyUsage=codeSigning\nkeyUsage=digitalSignature\n")
        openssl("x509", "-req", "-in", k("publisher.csr"), "-CA", k("ca.pem"), "-CAkey", k("ca.key"),
                "-CAcreateserial", "-days", "30", "-extfile", k("ext.cnf"), "-out", k("publisher.pem"))
        with open(k("password"), "w") as f:
            f.write(PASSWORD + "\n")
        with open(k("wrong-password"), "w") as f:
            f.write("pas le bon\n")
        openssl("pkcs12", "-export", "-in", k("publisher.pem"), "-inkey", k("publisher.key"), "-certfile",
                k("ca.pem"), "-out", k("publisher.p12"), "-passout", "file:" + k("password"))
        openssl("genrsa", "-out", k("other.key"), "2048")

    def build(self, output, *options, env=None):
        return run([self.pack, "build", self.description, "-o", output, "--setup", self.setup] + list(options),
                   env=env)

    def inspect(self, path, trust=True):
        return run([self.pack, "inspect", path] + (["--trust", self.key("ca.pem")] if trust else []))


def signed_package_verifies(ws):
    out = os.path.join(ws.work, "signed", "setup-signe.exe")
    os.makedirs(os.path.dirname(out))
    result = ws.build(out, "--sign", ws.key("publisher.p12"), "--password-file", ws.key("password"))
    if not check(result.returncode == 0, "pack build --sign with a PKCS#12 file", result.stderr):
        return None
    check("signed" in result.stdout, "the summary says the package is signed", result.stdout)
    data = open(out, "rb").read()
    try:
        signer = authenticode.verify(data)
        check("Éditions d'essai" in signer.subject.rfc4514_string(), "the signer is the publisher",
              signer.subject.rfc4514_string())
    except authenticode.Invalid as error:
        check(False, "our verifier accepts the signed package", str(error))
    shown = ws.inspect(out)
    check(shown.returncode == 0, "inspect of the signed package finds no problem", shown.stdout + shown.stderr)
    for expected in ("Signed            yes", "Signer            CN=Éditions d'essai, O=Atlas SA, C=FR",
                     "Issued by         CN=Autorite d'essai", "Content           as signed",
                     "Verified          yes"):
        check(expected in shown.stdout, "inspect shows: " + expected, shown.stdout)
    # Without the test authority among the trusted ones the signature is still
    # intact, but not trusted.
    shown = ws.inspect(out, trust=False)
    check("not trusted here" in shown.stdout and shown.returncode == 0,
          "inspect without the authority: intact but not trusted", shown.stdout)

    # Without the tool, inspect still sees the signature and the checksum.
    no_tool = dict(os.environ, PACK_OSSLSIGNCODE=os.path.join(ws.work, "no-such-tool"))
    shown = run([ws.pack, "inspect", out], env=no_tool)
    check(shown.returncode == 0 and "Signed            yes" in shown.stdout and "not checked" in shown.stdout,
          "inspect without the signing tool: signed, not checked", shown.stdout + shown.stderr)

    # The PEM form, with the key in its own file, signs too.
    pem_out = os.path.join(ws.work, "pem", "setup-signe.exe")
    os.makedirs(os.path.dirname(pem_out))
    result = ws.build(pem_out, "--sign", ws.key("publisher.pem"), "--key", ws.key("publisher.key"))
    if check(result.returncode == 0, "pack build --sign with a PEM certificate and --key", result.stderr):
        try:
            authenticode.verify(open(pem_out, "rb").read())
        except authenticode.Invalid as error:
            check(False, "our verifier accepts the PEM-signed package", str(error))
    return data


def changed_bytes_are_caught(ws, signed):
    """Flips one byte at places spread over the file: headers, the checksum
    field (left out of the digest by design), code, the payload, the
    signature, the last byte."""
    checksum_at, security_at = authenticode.pe_layout(signed)
    table = int.from_bytes(signed[security_at:security_at + 4], "little")
    places = {"DOS header": 2, "PE checksum field": checksum_at, "certificate table entry": security_at + 4,
              "code": 0x1010, "payload": (table * 2) // 3, "signature": table + 200, "last byte": len(signed) - 1}
    for name, offset in places.items():
        changed = bytearray(signed)
        changed[offset] ^= 0x04
        path = os.path.join(ws.work, "changed.exe")
        with open(path, "wb") as f:
            f.write(changed)
        try:
            authenticode.verify(bytes(changed))
            check(False, "our verifier refuses a change in the " + name)
        except authenticode.Invalid:
            pass
        shown = ws.inspect(path)
        check(shown.returncode == 1 and "<- problem" in shown.stdout,
              "inspect reports a change in the " + name, shown.stdout[-900:] + shown.stderr)


def failures_leave_nothing(ws):
    out_dir = os.path.join(ws.work, "failures")
    os.makedirs(out_dir)
    out = os.path.join(out_dir, "setup-signe.exe")
    with open(out, "wb") as f:
        f.write(b"an older package")
    k = ws.key
    missing_tool = dict(os.environ, PACK_OSSLSIGNCODE=os.path.join(ws.work, "no-such-tool"))
    cases = [
        ("a wrong password", ["--sign", k("publisher.p12"), "--password-file", k("wrong-password")], None,
         "does not open"),
        ("no password for the PKCS#12 file", ["--sign", k("publisher.p12")], None, "does not open"),
        ("a PEM certificate without its key", ["--sign", k("publisher.pem")], None, "holds no private key"),
        ("a missing key file", ["--sign", k("publisher.pem"), "--key", k("absent.key")], None, "not found"),
        ("a key that is not the certificate's", ["--sign", k("publisher.pem"), "--key", k("other.key")], None,
         "signing failed"),
        ("a missing certificate", ["--sign", k("absent.p12")], None, "not found"),
        ("no signing tool", ["--sign", k("publisher.p12"), "--password-file", k("password")], missing_tool,
         "osslsigncode"),
        ("an unreachable timestamp server",
         ["--sign", k("publisher.p12"), "--password-file", k("password"), "--timestamp", "http://127.0.0.1:9/"],
         None, "timestamp"),
    ]
    for name, options, env, phrase in cases:
        result = ws.build(out, *options, env=env)
        check(result.returncode == 1 and phrase in result.stderr and "nothing written" in result.stderr,
              name + ": a clear error", result.stderr)
        check(open(out, "rb").read() == b"an older package" and os.listdir(out_dir) == ["setup-signe.exe"],
              name + ": nothing written, nothing left", str(os.listdir(out_dir)))


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def packages_are_reproducible(ws, pack_exe):
    # Each build has a name of its own: the bytes depend on the description
    # and the files only, never on where the package is written.
    paths = [os.path.join(ws.work, "repro", n, n + "-setup.exe") for n in ("one", "two", "valgrind", "wine")]
    for path in paths:
        os.makedirs(os.path.dirname(path))
    for path in paths[:2]:
        result = ws.build(path)
        check(result.returncode == 0, "unsigned build", result.stderr)
    check(open(paths[0], "rb").read() == open(paths[1], "rb").read(),
          "two builds of the same inputs, written under other names, are identical")
    listing = run([ws.pack, "inspect", paths[0]]).stdout
    check("%s\\%s" % (ACCENTED_FOLDER, ACCENTED_FILE) in listing and "OriginalFilename SignedAtlasSetup.exe" in listing,
          "accented names found on disk and listed; the original file name from the description", listing)
    if shutil.which("valgrind"):
        result = run(["valgrind", "-q", "--error-exitcode=99", ws.pack, "build", ws.description, "-o", paths[2],
                      "--setup", ws.setup])
        check(result.returncode == 0, "pack under valgrind: no uninitialised or invalid byte", result.stderr[-2000:])
        check(os.path.exists(paths[2]) and open(paths[2], "rb").read() == open(paths[0], "rb").read(),
              "the build under valgrind is identical")
    else:
        check(False, "valgrind is installed (tools/deps/deps.sh)")
    if pack_exe:
        env = dict(os.environ, WINEDEBUG="-all")
        result = run(["wine", windows_path(pack_exe), "build", windows_path(ws.description), "-o",
                      windows_path(paths[3]), "--setup", windows_path(ws.setup)], env=env, timeout=120)
        if check(result.returncode == 0, "pack.exe under Wine builds the package", result.stderr):
            check(open(paths[3], "rb").read() == open(paths[0], "rb").read(),
                  "pack.exe on Windows and pack on Linux write the same bytes")


def verify_compares_with_the_description(ws, signed):
    """pack verify: a signed release is the package its description builds,
    signature aside; a changed file, a changed text or a foreign package is
    named as the first difference."""
    def verify(package, *extra):
        return run([ws.pack, "verify", package, ws.description, "--setup", ws.setup] + list(extra))

    result = verify(signed)
    check(result.returncode == 0 and "signature aside" in result.stdout, "verify accepts the signed release",
          result.stdout + result.stderr)
    nord = os.path.join(ws.source, "cartes", "nord.dat")
    licence = os.path.join(ws.source, "licence.txt")
    cases = [
        (nord, b"carte du nord, revue\n", "first file that differs: cartes\\nord.dat"),
        (licence, "Licence changée.\n".encode("utf-8"), "resource RT_DATA 5010 (the licence) differs"),
    ]
    for path, changed, named in cases:
        kept = open(path, "rb").read()
        with open(path, "wb") as f:
            f.write(changed)
        result = verify(signed)
        with open(path, "wb") as f:
            f.write(kept)
        check(result.returncode == 1 and named in result.stdout, "verify names the change: " + named,
              result.stdout + result.stderr)
    result = verify(ws.setup)
    check(result.returncode == 1 and "missing from the package" in result.stdout,
          "verify of a bare setup.exe says what it lacks", result.stdout + result.stderr)
    for arguments in ([signed], [signed, ws.description, "extra"], [signed, ws.description, "--nope"]):
        result = run([ws.pack, "verify"] + arguments)
        check(result.returncode == 2 and "usage" in result.stderr, "verify usage error: %s" % arguments[1:],
              result.stderr)


def main():
    args = script_arguments()
    ws = Workspace(os.path.abspath(args.work), os.path.abspath(args.pack), os.path.abspath(args.setup))
    ws.make_certificates()
    signed = signed_package_verifies(ws)
    if signed:
        changed_bytes_are_caught(ws, signed)
        verify_compares_with_the_description(ws, os.path.join(ws.work, "signed", "setup-signe.exe"))
    failures_leave_nothing(ws)
    packages_are_reproducible(ws, args.pack_exe)
    return finish("signing and reproducibility: every check passed")


if __name__ == "__main__":
    sys.exit(main())
