#!/usr/bin/python3
"""Static check of the shipped programs, read with an independent PE reader.

    python3 tests/pe/check_programs.py BIN_DIR [BIN_DIR...]

BIN_DIR is the bin folder of a cross build (for example build/win/bin or
build/win64/bin) holding setup.exe, uninst.exe, Cartopia.exe and pack.exe.
Each program is read with Debian's python3-pefile (not with the Windows
loader nor with MinGW's tools) and checked for what Windows relies on before
any of our code runs: the file format and subsystem, the libraries it makes
the loader find, the uninstaller carried inside setup, the manifests (processor,
common controls, execution level) and the icon groups.

Whether a build is 32-bit or 64-bit is read from the files themselves; a
BIN_DIR whose path ends in win/bin is the i686 build and must be 32-bit.
Exit status: 0 when every check passes, 1 when one fails, 2 on a wrong
command line.
"""

import os
import struct
import sys
import unittest
import xml.etree.ElementTree as ET

import pefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from pe_tree import read_resources  # noqa: E402

# --- What the programs must be ------------------------------------------------

I386, AMD64 = 0x14C, 0x8664
PE32_MAGIC, PE32PLUS_MAGIC = 0x10B, 0x20B
GUI, CONSOLE = 2, 3

# machine -> (bits, optional header magic, processorArchitecture of the manifests)
MACHINES = {
    I386: (32, PE32_MAGIC, "X86"),
    AMD64: (64, PE32PLUS_MAGIC, "amd64"),
}

RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24
LANG_EN_US = 1033

# setup_ids.h: IDR_UNINSTALLER, the uninstaller setup writes into the install folder.
UNINSTALLER_TYPE, UNINSTALLER_ID = "RT_EXECUTABLE", 210

# program -> (subsystem, requestedExecutionLevel or None for no manifest,
#             icon group ids the program loads itself: IDI_SETUP in setup_ids.h,
#             IDI_UNINST in uninst_ids.h, IDI_CARTOPIA in quiz_ids.h)
PROGRAMS = {
    "setup.exe": (GUI, "requireAdministrator", {110}),
    "uninst.exe": (GUI, "requireAdministrator", {101}),
    "Cartopia.exe": (GUI, "asInvoker", {101}),
    "pack.exe": (CONSOLE, None, set()),
}

# Libraries the programs may import. An installer is typically started from a
# downloads folder, and Windows looks for an imported library in the program's
# own folder first, unless the library is one of the "known DLLs" that it
# always maps from the system folder. So only known DLLs are allowed:
#   kernel32, user32, gdi32, advapi32, shell32, shlwapi, ole32 - the Win32 API
#     the programs use (files, windows, drawing, registry, shell links, paths);
#   msvcrt - the C runtime of MinGW-w64 (libstdc++, libgcc and winpthread are
#     linked statically, so their DLLs must never show up here).
# comctl32 is not a known DLL; it is safe only because the manifest's
# dependency on Microsoft.Windows.Common-Controls 6.0.0.0 makes the loader take
# it from the side-by-side store, before the program's folder. It is therefore
# allowed only in a program whose manifest declares that dependency.
# Anything else (version, uxtheme, riched20, dwmapi, libstdc++-6, ...) fails.
KNOWN_SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
    "shlwapi.dll", "ole32.dll", "msvcrt.dll",
}
SIDE_BY_SIDE_DLLS = {"comctl32.dll"}

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMMON_CONTROLS = {
    "type": "win32",
    "name": "Microsoft.Windows.Common-Controls",
    "version": "6.0.0.0",
    "publicKeyToken": "6595b64144ccf1df",
    "language": "*",
}

# --- Reading ------------------------------------------------------------------


def parse_pe(data):
    """Parses PE bytes; raises pefile.PEFormatError when they are not a PE file."""
    pe = pefile.PE(data=data, fast_load=True)
    pe.parse_data_directories(directories=[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"],
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT"],
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"],
    ])
    return pe


def imported_dlls(pe):
    """Names of the libraries imported, directly or delay-loaded."""
    names = []
    for attr in ("DIRECTORY_ENTRY_IMPORT", "DIRECTORY_ENTRY_DELAY_IMPORT"):
        for entry in getattr(pe, attr, []):
            names.append(entry.dll.decode("ascii", "replace"))
    return names


# --- Checks: each returns a list of readable problems, empty when all is well ---


def machine_of(pe):
    return MACHINES.get(pe.FILE_HEADER.Machine)


def format_problems(pe, subsystem, must_be_32bit):
    known = machine_of(pe)
    if known is None:
        return [f"machine 0x{pe.FILE_HEADER.Machine:04x} is neither i386 (0x14c) nor x86-64 (0x8664)"]
    bits, magic, _ = known
    problems = []
    if pe.OPTIONAL_HEADER.Magic != magic:
        problems.append(f"optional header magic 0x{pe.OPTIONAL_HEADER.Magic:x} does not match machine "
                        f"0x{pe.FILE_HEADER.Machine:x} (expected 0x{magic:x}, PE32{'+' if bits == 64 else ''})")
    if must_be_32bit and bits != 32:
        problems.append(f"is {bits}-bit (machine 0x{pe.FILE_HEADER.Machine:x}), but this folder holds the i686 build")
    if pe.OPTIONAL_HEADER.Subsystem != subsystem:
        names = {GUI: "GUI (2)", CONSOLE: "console (3)"}
        problems.append(f"subsystem {pe.OPTIONAL_HEADER.Subsystem}, expected {names[subsystem]}")
    return problems


def import_problems(dll_names, side_by_side_declared):
    allowed = KNOWN_SYSTEM_DLLS | (SIDE_BY_SIDE_DLLS if side_by_side_declared else set())
    problems = []
    for name in dll_names:
        low = name.lower()
        if low in allowed:
            continue
        if low in SIDE_BY_SIDE_DLLS:
            problems.append(f"imports {name} without a manifest dependency on the common controls 6.0.0.0, "
                            f"so Windows may load it from the program's folder")
        else:
            problems.append(f"imports {name}, which is not on the allow-list of system libraries")
    return problems


def manifest_problems(manifests, arch, level):
    """manifests: [(name, language, bytes)] of every RT_MANIFEST resource of the program."""
    if len(manifests) != 1:
        return [f"has {len(manifests)} manifests {[m[:2] for m in manifests]}, expected exactly one (id 1)"]
    name, _, data = manifests[0]
    problems = []
    if name != 1:
        problems.append(f"manifest has id {name!r}, expected 1 (the one Windows reads for a program)")
    try:
        root = ET.fromstring(data)
    except ET.ParseError as error:
        return problems + [f"manifest is not well-formed XML: {error}"]
    if root.tag != ASM_V1 + "assembly":
        return problems + [f"manifest root is {root.tag}, expected {ASM_V1}assembly"]

    identity = root.find(ASM_V1 + "assemblyIdentity")
    if identity is None:
        problems.append("manifest has no assemblyIdentity")
    elif identity.get("processorArchitecture") != arch:
        problems.append(f"manifest assemblyIdentity processorArchitecture is "
                        f"{identity.get('processorArchitecture')!r}, expected {arch!r}")

    path = f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity"
    controls = [d for d in root.findall(path) if d.get("name") == COMMON_CONTROLS["name"]]
    if len(controls) != 1:
        problems.append(f"manifest has {len(controls)} dependencies on {COMMON_CONTROLS['name']}, expected one")
    else:
        for key, value in list(COMMON_CONTROLS.items()) + [("processorArchitecture", arch)]:
            if controls[0].get(key) != value:
                problems.append(f"manifest common-controls dependency {key} is {controls[0].get(key)!r}, "
                                f"expected {value!r}")

    path = f"{ASM_V3}trustInfo/{ASM_V3}security/{ASM_V3}requestedPrivileges/{ASM_V3}requestedExecutionLevel"
    levels = root.findall(path)
    if len(levels) != 1:
        problems.append(f"manifest has {len(levels)} requestedExecutionLevel elements in an "
                        f"asm.v3 trustInfo, expected one")
    else:
        if levels[0].get("level") != level:
            problems.append(f"manifest requestedExecutionLevel level is {levels[0].get('level')!r}, expected {level!r}")
        if levels[0].get("uiAccess") != "false":
            problems.append(f"manifest requestedExecutionLevel uiAccess is {levels[0].get('uiAccess')!r}, "
                            f"expected 'false'")
    return problems


def declares_common_controls(manifests):
    for _, _, data in manifests:
        try:
            root = ET.fromstring(data)
        except ET.ParseError:
            continue
        path = f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity"
        if any(d.get("name") == COMMON_CONTROLS["name"] and d.get("version") == COMMON_CONTROLS["version"]
               for d in root.findall(path)):
            return True
    return False


def icon_problems(resources, required_groups):
    """Every icon group lists only icons that exist, with their sizes; required groups exist."""
    groups = {(n, lang): data for (t, n, lang), data in resources.items() if t == RT_GROUP_ICON}
    icons = {}
    for (t, n, _), data in resources.items():
        if t == RT_ICON:
            icons.setdefault(n, len(data))
    problems = []
    if not groups:
        problems.append("has no icon group (RT_GROUP_ICON)")
    for missing in sorted(required_groups - {n for n, _ in groups}):
        problems.append(f"has no icon group {missing}")
    for (name, lang), data in sorted(groups.items(), key=str):
        if len(data) < 6:
            problems.append(f"icon group {name!r} has {len(data)} bytes, shorter than its 6-byte header")
            continue
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        if reserved != 0 or kind != 1 or count == 0:
            problems.append(f"icon group {name!r} header is (reserved {reserved}, type {kind}, count {count}), "
                            f"expected (0, 1, at least 1)")
            continue
        if len(data) != 6 + 14 * count:
            problems.append(f"icon group {name!r} has {len(data)} bytes for {count} entries, "
                            f"expected {6 + 14 * count}")
            continue
        for i in range(count):
            size, icon_id = struct.unpack_from("<IH", data, 6 + 14 * i + 8)
            if icon_id not in icons:
                problems.append(f"icon group {name!r} entry {i} points to icon {icon_id}, which does not exist")
            elif icons[icon_id] != size:
                problems.append(f"icon group {name!r} entry {i} says icon {icon_id} has {size} bytes, "
                                f"it has {icons[icon_id]}")
    return problems


def embedded_uninstaller_problems(resources, uninst_bytes, machine):
    """setup carries exactly the uninst.exe beside it, as RT_EXECUTABLE 210 in US English."""
    carried = {(n, lang): data for (t, n, lang), data in resources.items() if t == UNINSTALLER_TYPE}
    wanted = (UNINSTALLER_ID, LANG_EN_US)
    if set(carried) != {wanted}:
        return [f"resources of type {UNINSTALLER_TYPE!r} are {sorted(carried, key=str)}, expected only {wanted}"]
    data = carried[wanted]
    problems = []
    if data != uninst_bytes:
        differ = next((i for i, (a, b) in enumerate(zip(data, uninst_bytes)) if a != b),
                      min(len(data), len(uninst_bytes)))
        problems.append(f"the carried uninstaller ({len(data)} bytes) differs from uninst.exe "
                        f"({len(uninst_bytes)} bytes) from offset {differ}")
    try:
        inner = parse_pe(data)
    except pefile.PEFormatError as error:
        return problems + [f"the carried uninstaller is not a PE file: {error}"]
    if inner.FILE_HEADER.Machine != machine:
        problems.append(f"the carried uninstaller has machine 0x{inner.FILE_HEADER.Machine:x}, "
                        f"setup has 0x{machine:x}")
    problems += [f"the carried uninstaller: {p}" for p in format_problems(inner, GUI, False)]
    return problems


# --- The checks as tests, one class per BIN_DIR ----------------------------------


class Program:
    """One program file: its bytes, parsed headers and resources."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = f.read()
        self.pe = parse_pe(self.data)
        self.resources, self.resource_problems = read_resources(self.pe)

    def manifests(self):
        return [(n, lang, d) for (t, n, lang), d in self.resources.items() if t == RT_MANIFEST]


class ProgramsCheck(unittest.TestCase):
    bin_dir = None  # set on the class made for each BIN_DIR
    _programs = None

    @classmethod
    def setUpClass(cls):
        cls._programs = {}
        for name in PROGRAMS:
            path = os.path.join(cls.bin_dir, name)
            try:
                cls._programs[name] = Program(path)
            except (OSError, pefile.PEFormatError) as error:
                cls._programs[name] = error

    def program(self, name):
        found = self._programs[name]
        if not isinstance(found, Program):
            self.fail(f"{os.path.join(self.bin_dir, name)}: cannot be read as a PE file: {found}")
        return found

    def assertNoProblems(self, program, problems):
        if problems:
            self.fail(f"{program.path}:\n  " + "\n  ".join(problems))

    def must_be_32bit(self):
        parts = os.path.normpath(os.path.abspath(self.bin_dir)).split(os.sep)
        return parts[-2:] == ["win", "bin"]

    def arch(self):
        """The manifests' processor name, from setup.exe's machine."""
        known = machine_of(self.program("setup.exe").pe)
        if known is None:
            self.fail(f"{self.bin_dir}/setup.exe: unknown machine, see the format check")
        return known[2]

    def test_format_and_subsystem(self):
        setup_machine = self.program("setup.exe").pe.FILE_HEADER.Machine
        for name, (subsystem, _, _) in PROGRAMS.items():
            with self.subTest(program=name):
                program = self.program(name)
                problems = format_problems(program.pe, subsystem, self.must_be_32bit())
                if program.pe.FILE_HEADER.Machine != setup_machine:
                    problems.append(f"machine 0x{program.pe.FILE_HEADER.Machine:x} differs from setup.exe's "
                                    f"0x{setup_machine:x}: one folder, one build")
                self.assertNoProblems(program, problems + program.resource_problems)

    def test_imports_only_system_libraries(self):
        for name in PROGRAMS:
            with self.subTest(program=name):
                program = self.program(name)
                self.assertNoProblems(program, import_problems(imported_dlls(program.pe),
                                                               declares_common_controls(program.manifests())))

    def test_setup_carries_uninstaller(self):
        setup = self.program("setup.exe")
        uninst = self.program("uninst.exe")
        self.assertNoProblems(setup, embedded_uninstaller_problems(setup.resources, uninst.data,
                                                                   setup.pe.FILE_HEADER.Machine))

    def test_manifests(self):
        arch = self.arch()
        for name, (_, level, _) in PROGRAMS.items():
            if level is None:
                continue
            with self.subTest(program=name):
                program = self.program(name)
                self.assertNoProblems(program, manifest_problems(program.manifests(), arch, level))

    def test_icons(self):
        for name, (subsystem, _, groups) in PROGRAMS.items():
            if subsystem != GUI:
                continue
            with self.subTest(program=name):
                program = self.program(name)
                self.assertNoProblems(program, icon_problems(program.resources, groups))


class CheckersCatchFaults(ProgramsCheck):
    """Each checker, fed a damaged copy of this build's programs, reports the damage."""

    # Only the fault cases run here, not the checks inherited for reading files.
    test_format_and_subsystem = test_imports_only_system_libraries = None
    test_setup_carries_uninstaller = test_manifests = test_icons = None

    def assertReports(self, problems, *fragments):
        text = "\n".join(problems)
        for fragment in fragments:
            self.assertIn(fragment, text, f"expected a problem mentioning {fragment!r}, got: {problems}")

    def test_manifest_faults(self):
        arch = self.arch()
        other = "amd64" if arch == "X86" else "X86"
        good = self.program("Cartopia.exe").manifests()
        if manifest_problems(good, arch, "asInvoker"):
            self.skipTest("Cartopia.exe's own manifest is wrong (see test_manifests); nothing sound to damage")
        name, lang, data = good[0]
        text = data.decode("utf-8")
        cases = {
            # the manifest of the other build: Windows refuses the common controls 6
            "other processor": (text.replace(f'"{arch}"', f'"{other}"'),
                                ["assemblyIdentity processorArchitecture", "dependency processorArchitecture"]),
            "elevation asked": (text.replace('"asInvoker"', '"requireAdministrator"'), ["level is"]),
            "no trustInfo": (text[:text.index("<trustInfo")] + "</assembly>\n", ["0 requestedExecutionLevel"]),
            "trustInfo in asm.v1": (text.replace("asm.v3", "asm.v1"), ["0 requestedExecutionLevel"]),
            "uiAccess true": (text.replace('uiAccess="false"', 'uiAccess="true"'), ["uiAccess"]),
            "old controls": (text.replace('version="6.0.0.0"', 'version="5.8.0.0"'), ["version is '5.8.0.0'"]),
            "cut short": (text[: len(text) // 2], ["not well-formed XML"]),
        }
        for case, (broken, fragments) in cases.items():
            with self.subTest(case=case):
                self.assertReports(manifest_problems([(name, lang, broken.encode())], arch, "asInvoker"),
                                   *fragments)
        with self.subTest(case="two manifests"):
            self.assertReports(manifest_problems(good + [(2, lang, data)], arch, "asInvoker"), "2 manifests")
        with self.subTest(case="wrong id"):
            self.assertReports(manifest_problems([(2, lang, data)], arch, "asInvoker"), "id 2")

    def test_import_faults(self):
        setup = self.program("setup.exe")
        names = imported_dlls(setup.pe)
        self.assertReports(import_problems(names + ["VERSION.dll"], True), "imports VERSION.dll")
        self.assertReports(import_problems(names + ["libstdc++-6.dll"], True), "imports libstdc++-6.dll")
        self.assertReports(import_problems(names, False), "without a manifest dependency")

    def test_format_faults(self):
        setup = self.program("setup.exe")
        header = setup.pe.DOS_HEADER.e_lfanew + 4
        machine = setup.pe.FILE_HEADER.Machine
        swapped = AMD64 if machine == I386 else I386
        patched = bytearray(setup.data)
        struct.pack_into("<H", patched, header, swapped)
        self.assertReports(format_problems(parse_pe(bytes(patched)), GUI, False), "optional header magic")
        self.assertReports(format_problems(setup.pe, CONSOLE, False), "subsystem 2")
        if machine == AMD64:
            self.assertReports(format_problems(setup.pe, GUI, True), "i686 build")

    def test_uninstaller_faults(self):
        setup, uninst = self.program("setup.exe"), self.program("uninst.exe")
        machine = setup.pe.FILE_HEADER.Machine
        flipped = bytearray(uninst.data)
        flipped[len(flipped) // 2] ^= 0x01
        self.assertReports(embedded_uninstaller_problems(setup.resources, bytes(flipped), machine),
                           f"from offset {len(flipped) // 2}")
        renamed = {(t, 211 if n == UNINSTALLER_ID else n, lang): d for (t, n, lang), d in setup.resources.items()}
        self.assertReports(embedded_uninstaller_problems(renamed, uninst.data, machine), "expected only (210, 1033)")
        not_pe = {k: (b"XX" + d[2:] if k[0] == UNINSTALLER_TYPE else d) for k, d in setup.resources.items()}
        self.assertReports(embedded_uninstaller_problems(not_pe, b"XX" + uninst.data[2:], machine), "not a PE file")

    def test_icon_faults(self):
        resources = dict(self.program("setup.exe").resources)
        group_key = next(k for k in resources if k[0] == RT_GROUP_ICON)
        group = bytearray(resources[group_key])
        struct.pack_into("<H", group, 6 + 12, 999)  # first entry's icon id
        resources[group_key] = bytes(group)
        self.assertReports(icon_problems(resources, {110}), "points to icon 999")
        self.assertReports(icon_problems(self.program("setup.exe").resources, {111}), "no icon group 111")


def main(argv):
    bin_dirs = argv[1:]
    if not bin_dirs or any(a.startswith("-") for a in bin_dirs):
        print("usage: " + __doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    suite = unittest.TestSuite()
    loader = unittest.TestLoader()
    for bin_dir in bin_dirs:
        for base in (ProgramsCheck, CheckersCatchFaults):
            # One class per folder, named after it, so each failure says which build it is.
            cls = type(f"{base.__name__}[{bin_dir}]", (base,), {"bin_dir": bin_dir})
            suite.addTests(loader.loadTestsFromTestCase(cls))
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
