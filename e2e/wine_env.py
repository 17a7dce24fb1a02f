#!/usr/bin/env python3
"""The Wine test environment: a private Xvfb display and a private Wine prefix.

    wine_env.py setup   BUILD_DIR   start both and write BUILD_DIR/wine/state.env
    wine_env.py cleanup BUILD_DIR   stop both and remove the state file
    wine_env.py fonts   PREFIX      give a Wine prefix the fonts that Tamsel's
                                    settings page needs (./run.sh does this)

The prefix lives in BUILD_DIR/wineprefix and is created only when missing
(about 20 s); later runs reuse it. The wineserver is started persistent with
its output in a log file, so that no Wine process started later holds on to
the output pipe of the test that happened to start it; one program of ours
keeps the Wine session up until the cleanup. The state file holds
shell `export` lines that e2e/wine-run and e2e/harness.py read.
"""
import filecmp
import os
import shlex
import shutil
import signal
import subprocess
import sys
import time

SCREEN = "1024x768x24"
LOCALE = "ru_RU.UTF-8"  # Wine takes the ANSI code page 1251 from it
# Wine's own bitmap MS Sans Serif for code page 1251, from Debian's fonts-wine:
# the files that a prefix's Fonts key names for that face, the first at 96
# DPI, the second (large fonts) at 144 DPI. This Wine looks for its own fonts
# in a folder that does not exist, and without the file it draws the settings
# page in a wider face that cuts off the captions.
PAGE_FONTS = ["/usr/share/wine/fonts/sserifer.fon", "/usr/share/wine/fonts/sseriffr.fon"]


def dpi_setting(dpi):
    """The reg command that gives Wine programs started later this system DPI
    (96 is 100 %)."""
    return ["reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
            "/d", str(dpi), "/f"]


def paths(build):
    state_dir = os.path.join(build, "wine")
    return {
        "dir": state_dir,
        "state": os.path.join(state_dir, "state.env"),
        "log": os.path.join(state_dir, "wine.log"),
        "prefix": os.path.join(build, "wineprefix"),
    }


def read_state(path):
    """The variables of a state file, as a dict."""
    values = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            words = shlex.split(line)
            if len(words) == 2 and words[0] == "export" and "=" in words[1]:
                key, value = words[1].split("=", 1)
                values[key] = value
    return values


def write_state(path, values):
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        for key, value in values.items():
            f.write(f"export {key}={shlex.quote(value)}\n")
    os.replace(path + ".tmp", path)


def is_our_xvfb(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return b"Xvfb" in f.read()
    except OSError:
        return False


def stop_xvfb(pid, deadline=10.0):
    if not is_our_xvfb(pid):
        return
    os.kill(pid, signal.SIGTERM)
    end = time.monotonic() + deadline
    while is_our_xvfb(pid) and time.monotonic() < end:
        time.sleep(0.05)
    if is_our_xvfb(pid):
        os.kill(pid, signal.SIGKILL)


def start_xvfb(log, timeout=20.0):
    """Starts Xvfb on a free display that it picks itself; returns (display, pid)."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN, "-nolisten", "tcp"],
        stdin=subprocess.DEVNULL, stdout=log, stderr=log, pass_fds=(write_end,),
        start_new_session=True)
    os.close(write_end)
    number = b""
    end = time.monotonic() + timeout
    os.set_blocking(read_end, False)
    while not number.endswith(b"\n") and time.monotonic() < end and xvfb.poll() is None:
        try:
            chunk = os.read(read_end, 16)
        except BlockingIOError:
            time.sleep(0.05)
            continue
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip().isdigit():
        stop_xvfb(xvfb.pid)
        sys.exit("wine_env: Xvfb did not report a display number (see the log)")
    return ":" + number.strip().decode(), xvfb.pid


def run(command, env, log, timeout):
    result = subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                            timeout=timeout, check=False)
    return result.returncode


def install_fonts(prefix):
    """Puts the page fonts where the prefix's Fonts key expects them, in
    C:\\windows\\Fonts, replacing older copies; Wine reads them at each start."""
    for font in PAGE_FONTS:
        if not os.path.isfile(font):
            sys.exit(f"wine_env: {font} is missing (Debian's fonts-wine; tools/setup.sh installs it)")
        target = os.path.join(prefix, "drive_c", "windows", "Fonts", os.path.basename(font))
        if not os.path.isfile(target) or not filecmp.cmp(font, target, shallow=False):
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(font, target)


def keep_session(helpers, env, log):
    """Starts our keep_session helper, which holds the Wine session up until
    the cleanup ends it: Wine winds the session down whenever its last
    program ends, and a program started meanwhile can hang for good."""
    keeper = os.path.join(helpers, "keep_session.exe")
    if not os.path.exists(keeper):
        sys.exit(f"wine_env: {keeper} is missing (build the windows preset first)")
    subprocess.Popen(["wine", keeper], env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                     start_new_session=True)


def setup(build, helpers=None, locale=LOCALE):
    """`helpers`: where the helper programs are, when not in BUILD_DIR;
    `locale`: the Unix locale, from which Wine takes its code pages."""
    p = paths(build)
    os.makedirs(p["dir"], exist_ok=True)
    if os.path.exists(p["state"]):
        cleanup(build)  # an earlier run that ended without its cleanup
    log = open(p["log"], "a", encoding="utf-8")
    started = time.monotonic()
    display, xvfb_pid = start_xvfb(log)
    values = {
        "DISPLAY": display,
        "WINEPREFIX": p["prefix"],
        # No Mono or Gecko to install; no debugger, so a crash ends the test
        # at once instead of waiting for its timeout.
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winedbg.exe=d",
        "WINEDEBUG": "-all",
        "LANG": locale,
        "LC_ALL": locale,
        "TAMSEL_XVFB_PID": str(xvfb_pid),
    }
    env = dict(os.environ, **values)
    if not os.path.isdir(os.path.join(p["prefix"], "drive_c")):
        print(f"wine_env: creating the Wine prefix {p['prefix']}")
        if run(["wineboot", "-i"], env, log, 300) != 0:
            sys.exit("wine_env: wineboot -i failed (see the log)")
        run(["wineserver", "-w"], env, log, 120)
    install_fonts(p["prefix"])
    # A persistent server that outlives every test until the cleanup.
    if run(["wineserver", "-p"], env, log, 60) != 0:
        sys.exit("wine_env: wineserver -p failed (see the log)")
    # Start the prefix's own processes (services, the desktop with its tray)
    # from here, with the log as their output.
    run(["wineboot"], env, log, 120)
    # 100 %, whatever a scenario that was stopped half-way left behind.
    run(["wine", *dpi_setting(96)], env, log, 60)
    keep_session(helpers or os.path.join(build, "e2e-helpers"), env, log)
    write_state(p["state"], values)
    print(f"wine_env: display {display}, prefix {p['prefix']}, "
          f"ready after {time.monotonic() - started:.1f} s")


def cleanup(build):
    p = paths(build)
    if not os.path.exists(p["state"]):
        return
    values = read_state(p["state"])
    env = dict(os.environ, **values)
    subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60, check=False)
    subprocess.run(["wineserver", "-w"], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60, check=False)
    if values.get("TAMSEL_XVFB_PID", "").isdigit():
        stop_xvfb(int(values["TAMSEL_XVFB_PID"]))
    os.remove(p["state"])
    print(f"wine_env: stopped Wine and the display {values.get('DISPLAY')}")


def main(argv):
    verbs = {"setup": setup, "cleanup": cleanup, "fonts": install_fonts}
    if len(argv) != 3 or argv[1] not in verbs:
        print(__doc__, file=sys.stderr)
        return 2
    verbs[argv[1]](os.path.abspath(argv[2]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
