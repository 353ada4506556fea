#!/usr/bin/env python3
"""Checks of the release archive.

    release_check.py archive ZIP BIN_DIR
        The archive holds exactly the five files, in order; SHA256SUMS lists the
        other four with their true sums; the program and library in it are the ones
        in BIN_DIR; the text files have Windows line ends; the executables carry no
        time stamp, no build folder and the version the archive is named after, and
        their header flags (PE_FLAGS) with a true checksum.

    release_check.py rebuild SOURCE_DIR ZIP
        Copies the source tree into two new folders of different depth, builds the
        release in each (the two deliverables and the archive only) and checks that
        both give the bytes of ZIP and of each other.
"""

import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake"))
from pe_flags import checksum  # noqa: E402  (the build's, which gives ld's own sums)

NAMES = ["Treskcolor.exe", "Treskhook.dll", "README.txt", "LICENSE.txt", "SHA256SUMS"]
DELIVERABLES = ["Treskcolor.exe", "Treskhook.dll"]
# Libraries every Windows has: the deliverables are linked statically and must import
# nothing else (a thread or C++ runtime library would be missing beside the program).
SYSTEM_DLLS = {"comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"}
# (Characteristics, DllCharacteristics) bits: the library runs from swap on removable
# and network media and has no SEH handlers; the program is terminal-server aware.
PE_FLAGS = {"Treskcolor.exe": (0, 0x8000), "Treskhook.dll": (0x0400 | 0x0800, 0x0400)}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def pe_time_stamps(data):
    """(where, value) of every time stamp field of a PE image: the file header's, and
    those of the export, resource and debug directories."""
    check(data[:2] == b"MZ", "not an MZ executable")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    check(data[pe:pe + 4] == b"PE\0\0", "no PE signature")
    machine, sections, stamp = struct.unpack_from("<HHI", data, pe + 4)
    check(machine == 0x14C, f"machine {machine:#x} is not i386")
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    check(struct.unpack_from("<H", data, optional)[0] == 0x10B, "not a PE32 image")
    stamps = [("file header", stamp)]
    section_table = optional + optional_size
    layout = []
    for index in range(sections):
        _, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data,
                                                         section_table + 40 * index)
        layout.append((vaddr, max(vsize, rsize), raw))

    def offset(rva):
        for vaddr, size, raw in layout:
            if vaddr <= rva < vaddr + size:
                return raw + rva - vaddr
        raise Failure(f"address {rva:#x} lies in no section")

    directories = optional + 96
    for index, name, field in ((0, "export directory", 4), (2, "resource directory", 4)):
        rva, size = struct.unpack_from("<II", data, directories + 8 * index)
        if size:
            stamps.append((name, struct.unpack_from("<I", data, offset(rva) + field)[0]))
    rva, size = struct.unpack_from("<II", data, directories + 8 * 6)
    for entry in range(size // 28 if size else 0):
        stamps.append((f"debug entry {entry}",
                       struct.unpack_from("<I", data, offset(rva) + 28 * entry + 4)[0]))
    return stamps


def check_pe_flags(name, data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    optional = pe + 24
    characteristics = struct.unpack_from("<H", data, pe + 22)[0]
    dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
    wanted, wanted_dll = PE_FLAGS[name]
    check(characteristics & wanted == wanted,
          f"{name}: file header characteristics {characteristics:#06x} lack {wanted:#06x}")
    check(dll_characteristics & wanted_dll == wanted_dll,
          f"{name}: DllCharacteristics {dll_characteristics:#06x} lack {wanted_dll:#06x}")
    stored = struct.unpack_from("<I", data, optional + 64)[0]
    check(stored == 0 or stored == checksum(data, optional + 64),
          f"{name}: the header checksum {stored:#x} is not the image's")


def imported_dlls(path):
    listing = subprocess.run(["i686-w64-mingw32-objdump", "-p", path], check=True,
                             capture_output=True, text=True).stdout
    return {line.split(":", 1)[1].strip().lower() for line in listing.splitlines()
            if line.strip().startswith("DLL Name:")}


def version_text(version):
    """3.0.4 as the version resource writes it: 3.00.0004."""
    major, minor, revision = (int(part) for part in version.split("."))
    return f"{major}.{minor:02d}.{revision:04d}"


def check_archive(zip_path, bin_dir):
    match = re.fullmatch(r"TreskColor-(\d+\.\d+\.\d+)-win32\.zip", os.path.basename(zip_path))
    check(match, f"unexpected archive name {os.path.basename(zip_path)}")
    with zipfile.ZipFile(zip_path) as archive:
        check(archive.testzip() is None, "an entry of the archive is damaged")
        infos = archive.infolist()
        check([info.filename for info in infos] == NAMES,
              f"entries {[info.filename for info in infos]}, expected {NAMES}")
        content = {info.filename: archive.read(info) for info in infos}

    sums = {}
    for line in content["SHA256SUMS"].decode("ascii").splitlines():
        digest, name = line.split("  ", 1)
        sums[name] = digest
    check(sorted(sums) == sorted(NAMES[:-1]), f"SHA256SUMS lists {sorted(sums)}")
    for name, digest in sums.items():
        check(hashlib.sha256(content[name]).hexdigest() == digest,
              f"SHA256SUMS is wrong for {name}")

    for name in DELIVERABLES:
        with open(os.path.join(bin_dir, name), "rb") as stream:
            built = stream.read()
        check(hashlib.sha256(built).hexdigest() == sums[name],
              f"{name} in the archive is not the one in {bin_dir}")
        imports = imported_dlls(os.path.join(bin_dir, name))
        check(imports and imports <= SYSTEM_DLLS,
              f"{name} imports {sorted(imports - SYSTEM_DLLS)}, not a system library")
        check_pe_flags(name, content[name])
        for where, value in pe_time_stamps(content[name]):
            check(value == 0, f"{name}: {where} carries the time stamp {value:#x}")
        source_dir = os.path.dirname(os.path.dirname(os.path.abspath(bin_dir)))
        check(source_dir.encode() not in content[name],
              f"{name} names the folder it was built in, {source_dir}")

    for name in ("README.txt", "LICENSE.txt"):
        text = content[name]
        check(text.count(b"\n") > 3 and text.count(b"\n") == text.count(b"\r\n"),
              f"{name} does not have Windows line ends throughout")
    check(b"Permission is hereby granted, free of charge" in content["LICENSE.txt"],
          "LICENSE.txt is not the MIT licence")
    # The program's own words, so that the notes keep up with the program.
    check(b'"File not found: Treskhook.dll"' in content["README.txt"],
          "README.txt does not name the box the program shows without its library")
    check(b'"Can\'t load Treskhook.dll: ' in content["README.txt"],
          "README.txt does not name the box the program shows for a library it cannot load")

    wanted = version_text(match.group(1)).encode("utf-16-le")
    check(wanted in content["Treskcolor.exe"],
          f"Treskcolor.exe's version block does not read {version_text(match.group(1))}")
    print(f"{os.path.basename(zip_path)}: {len(NAMES)} entries, sums right, "
          f"executables are the built ones, no time stamps, flags set")


def source_files(source_dir):
    """The tree's files as a clone would have them, plus files not yet committed."""
    listing = subprocess.run(
        ["git", "-C", source_dir, "ls-files", "-z", "--cached", "--others",
         "--exclude-standard"], check=True, capture_output=True).stdout
    names = [name for name in listing.decode().split("\0") if name]
    return [name for name in names if os.path.isfile(os.path.join(source_dir, name))]


def build_copy(source_dir, names, target):
    for name in names:
        os.makedirs(os.path.join(target, os.path.dirname(name)), exist_ok=True)
        shutil.copy2(os.path.join(source_dir, name), os.path.join(target, name))
    for command in (["cmake", "--preset", "win", "-DTRESK_TESTS=OFF"],
                    ["cmake", "--build", "--preset", "win", "--target", "dist"]):
        result = subprocess.run(command, cwd=target, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True)
        if result.returncode != 0:
            raise Failure(f"{' '.join(command)} failed in {target}:\n{result.stdout[-4000:]}")


def check_rebuild(source_dir, zip_path):
    names = source_files(source_dir)
    zip_name = os.path.basename(zip_path)
    outputs = {"bin/" + name: os.path.join(os.path.dirname(zip_path), "..", "bin", name)
               for name in DELIVERABLES}
    outputs["dist/" + zip_name] = zip_path
    with tempfile.TemporaryDirectory(prefix="tresk-rebuild-") as scratch:
        copies = [os.path.join(scratch, "a"), os.path.join(scratch, "second", "copy", "b")]
        for copy in copies:
            build_copy(source_dir, names, copy)
        for output, original in outputs.items():
            with open(original, "rb") as stream:
                expected = stream.read()
            for copy in copies:
                with open(os.path.join(copy, "build", output), "rb") as stream:
                    rebuilt = stream.read()
                check(rebuilt == expected, f"{output} built in {copy} differs from {original}")
    print(f"two more builds in other folders give the same bytes: {', '.join(outputs)}")


def main(argv):
    try:
        if len(argv) == 3 and argv[0] == "archive":
            check_archive(argv[1], argv[2])
        elif len(argv) == 3 and argv[0] == "rebuild":
            check_rebuild(argv[1], argv[2])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
