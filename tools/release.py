#!/usr/bin/env python3
"""Writes a release of Tamsel from a built tamsel.exe (./release.sh runs it).

    release.py EXE GUIDE LICENSE RC COMMIT COMMIT_TIME OUTDIR

Into OUTDIR: tamsel-VERSION-COMMIT-win64.zip, holding EXE as tamsel.exe,
GUIDE as README.txt and LICENSE as LICENSE.txt, with VERSION the version
record's in RC; EXE as tamsel.exe beside it; and SHA256SUMS over the zip and
the exe, which `sha256sum -c SHA256SUMS` checks there. The zip's bytes
depend on these inputs alone: its files are stored uncompressed, in a fixed
order, with a fixed mode and the commit's time (COMMIT_TIME, seconds since
1970, taken as UTC) as their date, never the machine's time zone, umask or
file times.
"""
import hashlib
import os
import re
import sys
import time
import zipfile

ZIP_EARLIEST = (1980, 1, 1, 0, 0, 0)  # a zip's dates start in 1980


def version(rc):
    with open(rc, encoding="utf-8") as f:
        match = re.search(r"^FILEVERSION\s+(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*$", f.read(), re.M)
    if not match:
        sys.exit(f"release: no FILEVERSION in {rc}")
    return ".".join(match.groups())


# Notepad on every Windows shows UTF-8 correctly when it starts with a
# byte-order mark and its lines end in CRLF; the checkout keeps plain LF text.
def windows_text(path):
    with open(path, encoding="utf-8-sig") as f:
        text = f.read()
    return ("\ufeff" + text.replace("\n", "\r\n")).encode("utf-8")


def entry(name, date):
    info = zipfile.ZipInfo(name, date)
    info.compress_type = zipfile.ZIP_STORED
    info.create_system = 3  # Unix, so that the mode below is read as one
    info.external_attr = 0o100644 << 16
    return info


def write_zip(path, files, date):
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in files:
            archive.writestr(entry(name, date), data)


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def main(argv):
    if len(argv) != 8:
        print(__doc__, file=sys.stderr)
        return 2
    exe, guide, licence, rc, commit, commit_time, outdir = argv[1:]
    with open(exe, "rb") as f:
        program = f.read()
    name = f"tamsel-{version(rc)}-{commit}-win64.zip"
    date = max(ZIP_EARLIEST, time.gmtime(int(commit_time))[:6])
    os.makedirs(outdir, exist_ok=True)
    zip_path = os.path.join(outdir, name)
    write_zip(zip_path, [("tamsel.exe", program), ("README.txt", windows_text(guide)),
                         ("LICENSE.txt", windows_text(licence))], date)
    with open(os.path.join(outdir, "tamsel.exe"), "wb") as f:
        f.write(program)
    with open(zip_path, "rb") as f:
        sums = f"{sha256(f.read())}  {name}\n{sha256(program)}  tamsel.exe\n"
    with open(os.path.join(outdir, "SHA256SUMS"), "w", newline="\n") as f:
        f.write(sums)
    print(f"release: {zip_path}\n{sums}", end="")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
