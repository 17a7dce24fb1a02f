#!/usr/bin/env python3
"""The release of a built tamsel.exe, as a Windows user gets it.

    release_test.py EXE GUIDE LICENSE RC

Two releases of the same inputs, written in other time zones, with other
umasks and from copies with other file times, are the same bytes; the zip
holds the exe unchanged, and the guide and the licence as Notepad reads
them; beside the zip
lie the same exe and SHA256SUMS, which sha256sum -c accepts there.
"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

RELEASE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "release.py")
COMMIT_TIME = 1796774400  # 2026-12-09 00:00 UTC, still the 8th west of UTC


def release(inputs, folder, tz, umask, file_time):
    os.makedirs(folder)
    copies = []
    for path in inputs:
        copy = shutil.copy(path, folder)
        os.chmod(copy, 0o666 & ~umask)  # as a checkout under that umask
        os.utime(copy, (file_time, file_time))
        copies.append(copy)
    out = os.path.join(folder, "release")
    subprocess.run([sys.executable, RELEASE, *copies, "abc1234", str(COMMIT_TIME), out],
                   env=dict(os.environ, TZ=tz), preexec_fn=lambda: os.umask(umask),
                   check=True, stdout=subprocess.DEVNULL)
    return {name: open(os.path.join(out, name), "rb").read() for name in os.listdir(out)}


def windows_text_failures(archive, name, path):
    text = archive.read(name)
    source = open(path, encoding="utf-8").read()
    if not text.startswith(b"\xef\xbb\xbf") or text.count(b"\n") != text.count(b"\r\n"):
        yield f"{name} lacks the byte-order mark or a CRLF line end"
    elif text.decode("utf-8-sig").replace("\r\n", "\n") != source:
        yield f"{name} says other than {os.path.basename(path)}"


def failures(exe, guide, licence, rc, work):
    inputs = [exe, guide, licence, rc]
    first = release(inputs, os.path.join(work, "a"), "UTC0", 0o022, 0)
    second = release(inputs, os.path.join(work, "b"), "WEST+09", 0o077, COMMIT_TIME + 86400)
    if first != second:
        yield "the two releases differ"
    zip_name = "tamsel-4.0.0.0-abc1234-win64.zip"
    check = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=os.path.join(work, "a", "release"),
                           capture_output=True, text=True)
    if check.returncode != 0:
        yield "sha256sum -c SHA256SUMS in the release folder: " + check.stdout + check.stderr
    if sorted(first) != sorted(["SHA256SUMS", "tamsel.exe", zip_name]):
        yield f"release files: {sorted(first)}"
        return
    program = open(exe, "rb").read()
    if first["tamsel.exe"] != program:
        yield "tamsel.exe beside the zip differs from the built one"
    sums = (f"{hashlib.sha256(first[zip_name]).hexdigest()}  {zip_name}\n"
            f"{hashlib.sha256(program).hexdigest()}  tamsel.exe\n")
    if first["SHA256SUMS"] != sums.encode():
        yield "SHA256SUMS: " + first["SHA256SUMS"].decode()
    with zipfile.ZipFile(os.path.join(work, "a", "release", zip_name)) as archive:
        layout = [(e.filename, e.compress_type, e.date_time, e.external_attr >> 16)
                  for e in archive.infolist()]
        if layout != [(name, zipfile.ZIP_STORED, (2026, 12, 9, 0, 0, 0), 0o100644)
                      for name in ("tamsel.exe", "README.txt", "LICENSE.txt")]:
            yield f"zip entries: {layout}"
            return
        if archive.read("tamsel.exe") != program:
            yield "tamsel.exe in the zip differs from the built one"
        yield from windows_text_failures(archive, "README.txt", guide)
        yield from windows_text_failures(archive, "LICENSE.txt", licence)


def main(argv):
    if len(argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory() as work:
        found = list(failures(*argv[1:], work))
    for failure in found:
        print(failure, file=sys.stderr)
    print(f"release: {'failed' if found else 'the same bytes twice, and as a Windows user gets them'}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
