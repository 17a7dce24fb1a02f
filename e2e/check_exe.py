#!/usr/bin/env python3
"""Checks of the built tamsel.exe that need no Wine.

    check_exe.py imports OBJDUMP EXE   every imported DLL is a system DLL
    check_exe.py size EXE LIMIT        the file is at most LIMIT bytes
    check_exe.py paths EXE DIR...      no DIR is named in the file

A static link must leave nothing but DLLs that every Windows has; a
libwinpthread-1.dll or libstdc++-6.dll import means a runtime slipped in.
The common controls are not imported either (see SYSTEM_DLLS). A folder of
the build machine in the file would make its bytes depend on where it was
built, and tell the machine to whoever runs it.
"""
import os
import subprocess
import sys

# Not comctl32.dll: imported, it costs about 1.9 MiB of memory from the start,
# though only the settings page needs it; the page loads it when opened.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "shell32.dll", "advapi32.dll", "gdi32.dll",
               "msvcrt.dll"}


def imported_dlls(objdump, exe):
    output = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    return [line.split("DLL Name:", 1)[1].strip()
            for line in output.splitlines() if "DLL Name:" in line]


def check_imports(objdump, exe):
    dlls = imported_dlls(objdump, exe)
    print(f"{exe} imports: {', '.join(dlls) if dlls else 'nothing'}")
    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    if foreign:
        print(f"not system DLLs: {', '.join(foreign)}", file=sys.stderr)
        return 1
    if not dlls:
        print("no imports found: objdump did not read a program", file=sys.stderr)
        return 1
    return 0


def check_size(exe, limit):
    size = os.path.getsize(exe)
    print(f"{exe}: {size} bytes ({size / 1024:.1f} KiB), budget {limit} bytes")
    if size > limit:
        print(f"over the budget by {size - limit} bytes", file=sys.stderr)
        return 1
    return 0


def check_paths(exe, dirs):
    with open(exe, "rb") as f:
        data = f.read()
    found = [d for d in dirs
             if d.encode() in data or d.encode("utf-16-le") in data]
    print(f"{exe} names {', '.join(found) if found else 'none'} of {', '.join(dirs)}")
    return 1 if found else 0


def main(argv):
    if len(argv) == 4 and argv[1] == "imports":
        return check_imports(argv[2], argv[3])
    if len(argv) == 4 and argv[1] == "size":
        return check_size(argv[2], int(argv[3]))
    if len(argv) >= 4 and argv[1] == "paths":
        return check_paths(argv[2], argv[3:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
