#!/usr/bin/env python3
"""Checks that the built Start.exe can load and run on the oldest systems it is for
(Windows 95 and NT 4.0 on a 486 or Pentium), and that it carries its resources:

- it imports only from KERNEL32, USER32, ADVAPI32 and VERSION, and only functions
  that exist on Windows 95 and NT 4.0 (NT-only ones must be looked up at run time);
- it is a GUI program for subsystem version 4.0;
- its code holds no instruction newer than the Pentium;
- the splash dialog template 102 is the 144-byte extended template, and icon group
  101 holds one 32 x 32, 16-colour image of 744 bytes.

Usage: check_launcher.py Start.exe"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest

OBJDUMP = "i686-w64-mingw32-objdump"
GCC = "i686-w64-mingw32-gcc"

# Every function here exists in the named DLL of both Windows 95 and NT 4.0.
ALLOWED_IMPORTS = {
    "KERNEL32.DLL": {
        "CloseHandle", "CreateEventA", "CreateProcessA", "ExitProcess", "FindClose",
        "FindFirstFileA", "GetCommandLineA", "GetCurrentProcess", "GetExitCodeProcess",
        "GetLocaleInfoA", "GetModuleFileNameA", "GetModuleHandleA", "GetPrivateProfileIntA",
        "GetPrivateProfileStringA", "GetProcAddress", "GetProcessHeap", "GetStartupInfoA",
        "GetSystemDirectoryA", "GetUserDefaultLCID", "GetVersionExA", "HeapAlloc", "HeapFree",
        "IsDBCSLeadByte", "LoadLibraryA", "WaitForSingleObject",
    },
    "USER32.DLL": {
        "CharNextA", "CreateDialogParamA", "DestroyWindow", "DispatchMessageA", "ExitWindowsEx",
        "MessageBoxA", "MsgWaitForMultipleObjects", "PeekMessageA", "SetDlgItemTextA",
        "ShowWindow", "TranslateMessage",
    },
    "ADVAPI32.DLL": {
        "RegCloseKey", "RegCreateKeyExA", "RegOpenKeyExA", "RegQueryValueExA", "RegSetValueExA",
    },
    "VERSION.DLL": {"GetFileVersionInfoA", "GetFileVersionInfoSizeA", "VerQueryValueA"},
}

# Instructions that a Pentium (i586) does not have: the Pentium Pro's conditional
# moves, compares and long NOPs, MMX and SSE, and later additions.
NEWER_MNEMONIC = re.compile(
    r"^(cmov\w*|fcmov\w*|f[u]?comip?|ud2|sysenter|sysexit|nop[wl]|prefetch\w*|movnt\w*|"
    r"[lms]fence|clflush\w*|pause|endbr32|rdpmc|rdtscp|popcnt|lzcnt|tzcnt|movbe|crc32|"
    r"emms|xgetbv|vzero\w*)$")
NEWER_OPERAND = re.compile(r"%[xy]?mm\d|%mm\d")

EXE = None


def objdump(*args):
    return subprocess.run([OBJDUMP] + list(args), check=True, capture_output=True,
                          text=True).stdout


def imports(exe):
    table = {}
    current = None
    for line in objdump("-p", exe).splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            current = table.setdefault(m.group(1).upper(), set())
            continue
        m = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\w+)$", line)
        if current is not None and m:
            current.add(m.group(1))
        elif not line.strip():
            current = None
    return table


def newer_instructions(exe):
    found = []
    for line in objdump("-d", "--no-show-raw-insn", exe).splitlines():
        m = re.match(r"\s*([0-9a-f]+):\s+(?:(?:rep|repz|repnz|lock|data16)\s+)*(\S+)\s*(.*)", line)
        if not m:
            continue
        mnemonic, operands = m.group(2), m.group(3)
        if NEWER_MNEMONIC.match(mnemonic) or NEWER_OPERAND.search(operands):
            found.append(line.strip())
    return found


def instruction_count(exe):
    return sum(1 for line in objdump("-d", exe).splitlines() if re.match(r"\s*[0-9a-f]+:\t", line))


def resources(exe):
    """{(type, name): bytes} of the PE file's resources (first language)."""
    with open(exe, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    rsrc_rva = struct.unpack_from("<I", data, pe + 24 + 112)[0]  # data directory 2
    table = pe + 24 + optional_size
    for i in range(sections):
        _, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, table + i * 40)
        if vaddr <= rsrc_rva < vaddr + max(vsize, rsize):
            base = raw + (rsrc_rva - vaddr)
            delta = vaddr - raw
            break
    else:
        raise AssertionError("no resource section")

    def entries(offset):
        named, ids = struct.unpack_from("<12xHH", data, base + offset)
        for k in range(named + ids):
            ident, target = struct.unpack_from("<II", data, base + offset + 16 + k * 8)
            yield ident, target

    found = {}
    for type_id, type_dir in entries(0):
        for name_id, name_dir in entries(type_dir & 0x7FFFFFFF):
            for _, leaf in entries(name_dir & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                found[(type_id, name_id)] = data[rva - delta: rva - delta + size]
                break
    return found


class LauncherBinary(unittest.TestCase):
    def test_imports_only_what_windows_95_and_nt4_have(self):
        table = imports(EXE)
        self.assertTrue(table, "no import table found")
        for dll, functions in table.items():
            self.assertIn(dll, ALLOWED_IMPORTS, "imports from %s" % dll)
            self.assertEqual(set(), functions - ALLOWED_IMPORTS[dll], "not allowed from %s" % dll)

    def test_gui_program_for_subsystem_4_0(self):
        headers = objdump("-p", EXE)
        self.assertRegex(headers, r"MajorSubsystemVersion\s+4\b")
        self.assertRegex(headers, r"MinorSubsystemVersion\s+0\b")
        self.assertRegex(headers, r"Subsystem\s+00000002")

    def test_no_instruction_newer_than_the_pentium(self):
        self.assertGreater(instruction_count(EXE), 100)
        self.assertEqual([], newer_instructions(EXE))

    def test_the_check_finds_pentium_pro_code(self):
        # Guards the check above: code built for the Pentium Pro must be caught.
        with tempfile.TemporaryDirectory() as tmp:
            source = os.path.join(tmp, "m.c")
            with open(source, "w") as f:
                f.write("int smaller(int a, int b) { return a < b ? a : b; }\n")
            obj = os.path.join(tmp, "m.o")
            subprocess.run([GCC, "-O2", "-march=i686", "-c", source, "-o", obj], check=True)
            self.assertTrue(any("cmov" in line for line in newer_instructions(obj)))

    def test_splash_template_and_icon(self):
        found = resources(EXE)
        RT_ICON, RT_DIALOG, RT_GROUP_ICON = 3, 5, 14
        dialog = found[(RT_DIALOG, 102)]
        self.assertEqual(144, len(dialog))
        version, signature, _help, exstyle, style, controls = struct.unpack_from("<HHIIIH", dialog)
        self.assertEqual((1, 0xFFFF), (version, signature))
        self.assertEqual((0x80, 0x80C008C0, 1), (exstyle, style, controls))
        self.assertIn("Tarvello".encode("utf-16-le"), dialog)
        self.assertIn("MS Sans Serif".encode("utf-16-le"), dialog)
        group = found[(RT_GROUP_ICON, 101)]
        reserved, kind, count = struct.unpack_from("<HHH", group)
        self.assertEqual((0, 1, 1), (reserved, kind, count))
        width, height, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6)
        self.assertEqual((32, 32, 16, 1, 4, 744), (width, height, colours, planes, bits, size))
        self.assertEqual(744, len(found[(RT_ICON, icon_id)]))


if __name__ == "__main__":
    EXE = sys.argv.pop(1)
    unittest.main(verbosity=2)
