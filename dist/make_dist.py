#!/usr/bin/env python3
"""Writes the release archive TreskColor-<version>-win32.zip.

The archive holds, in this order: Treskcolor.exe, Treskhook.dll, README.txt and
LICENSE.txt (both with Windows line ends) and SHA256SUMS (the SHA-256 of each of the
other four, in the format `sha256sum -c` reads).

The same inputs always give the same bytes: every entry has the same date (the
release date from CHANGELOG.md, whose newest entry must be this version), the same
permissions and a fixed order.  Standard library only.
"""

import argparse
import hashlib
import io
import os
import re
import sys
import zipfile

# The newest release heading, e.g. "## 3.0.4 (3.00.0004) - 2026-12-07".
RELEASE_HEADING = re.compile(r"^## (\d+\.\d+\.\d+)\b.*?(\d{4})-(\d{2})-(\d{2})\s*$")

# Entries as Windows' own unzip shows them: plain files, readable by everyone.
ENTRY_MODE = 0o100644


class DistError(Exception):
    pass


def release_date(changelog_text, version):
    """The date of the newest release in the change log, which must be `version`."""
    for line in changelog_text.splitlines():
        match = RELEASE_HEADING.match(line)
        if match:
            if match.group(1) != version:
                raise DistError(
                    f"the newest release in CHANGELOG.md is {match.group(1)}, not {version}")
            year, month, day = (int(part) for part in match.groups()[1:])
            if year < 1980:
                raise DistError("a zip archive cannot hold dates before 1980")
            return (year, month, day, 0, 0, 0)
    raise DistError("CHANGELOG.md has no release heading (## <version> ... YYYY-MM-DD)")


def windows_text(data):
    """The text with CRLF line ends (Notepad on older Windows shows bare LF as one line)."""
    text = data.decode("utf-8")
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def sha256_sums(entries):
    lines = [f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in entries]
    return "".join(lines).encode("ascii")


def archive_bytes(entries, date):
    """The zip archive of `entries` ((name, bytes) in order), all dated `date`."""

    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=date)
            info.create_system = 3
            info.external_attr = ENTRY_MODE << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)
    return buffer.getvalue()


def build_entries(exe, dll, readme, license_text):
    files = [
        ("Treskcolor.exe", exe),
        ("Treskhook.dll", dll),
        ("README.txt", windows_text(readme)),
        ("LICENSE.txt", windows_text(license_text)),
    ]
    return files + [("SHA256SUMS", sha256_sums(files))]


def read(path):
    with open(path, "rb") as stream:
        return stream.read()


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--version", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--dll", required=True)
    parser.add_argument("--readme", required=True)
    parser.add_argument("--license", required=True)
    parser.add_argument("--changelog", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args(argv)
    try:
        date = release_date(read(args.changelog).decode("utf-8"), args.version)
        entries = build_entries(read(args.exe), read(args.dll), read(args.readme),
                                read(args.license))
        data = archive_bytes(entries, date)
    except (DistError, OSError, UnicodeDecodeError) as error:
        print(f"make_dist.py: {error}", file=sys.stderr)
        return 1
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    partial = args.output + ".part"
    with open(partial, "wb") as stream:
        stream.write(data)
    os.replace(partial, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
