"""What the end-to-end scenarios drive tamsel.exe with, under Wine on the
private Xvfb display that the wine.setup test started.

A scenario is a file e2e/scenarios/test_*.py that defines run(env) and ends
with harness.main(run). CTest gives it, in the environment:
  TAMSEL_EXE         the tamsel.exe to test
  TAMSEL_HELPERS     the directory of the helper programs (e2e/helpers/*.cpp)
  TAMSEL_WINE_STATE  the state file of the Wine environment
  TAMSEL_ARTIFACTS   where logs and screenshots go
main() starts from a known state (no Tamsel running, no settings key), runs
the scenario and always stops every Tamsel copy afterwards, even on failure.

Nothing here sleeps a fixed time: every wait polls a condition with a
deadline (wait_for) and fails with what it was waiting for.
"""
import os
import signal
import subprocess
import sys
import time
import traceback
from collections import namedtuple

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
RES_DIR = os.path.join(os.path.dirname(HERE), "res")
sys.path.insert(0, RES_DIR)
import make_ico  # noqa: E402  (the icons' palette and pixel maps)
import wine_env  # noqa: E402

SETTINGS_KEY = r"HKCU\Software\Tamsel"
MAIN_CLASS = "Tamsel"
TRAY_TITLE = "Wine System Tray"
ANSI = "cp1251"  # the code page of Wine in the ru_RU.UTF-8 locale
OEM = "cp866"  # what console programs such as reg.exe print in
# Deadlines, in seconds; generous, since a loaded machine runs Wine slowly.
START_DEADLINE = 20
EXIT_DEADLINE = 20
COMMAND_DEADLINE = 30
# The system's default double-click time (500 ms), with a margin.
DOUBLE_CLICK_TIME = 0.6

Window = namedtuple("Window", "handle classname visible style exstyle left top right bottom pid title")
WS_EX_TOPMOST = 0x00000008
WS_EX_TOOLWINDOW = 0x00000080


def windows_path(path):
    """A file of ours as the programs under Wine name it."""
    return "Z:" + path.replace("/", "\\")


class ScenarioFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise ScenarioFailure(message)


def wait_for(predicate, timeout, what, interval=0.05):
    """Polls predicate until it gives something true and returns that; fails
    naming `what` when the deadline passes first."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= end:
            raise ScenarioFailure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


class Environment:
    def __init__(self):
        self.exe = os.environ["TAMSEL_EXE"]
        self.helpers = os.environ["TAMSEL_HELPERS"]
        self.artifacts = os.environ["TAMSEL_ARTIFACTS"]
        os.makedirs(self.artifacts, exist_ok=True)
        self.state = wine_env.read_state(os.environ["TAMSEL_WINE_STATE"])
        self.env = dict(os.environ, **self.state)
        self.started = []  # every tamsel.exe process this scenario started
        self.last_click = -DOUBLE_CLICK_TIME
        self.log = open(os.path.join(self.artifacts, "wine.log"), "a", encoding="utf-8")

    # --- Processes under Wine

    def wine(self, args, timeout=COMMAND_DEADLINE, encoding=ANSI):
        """Runs a Windows program to its end; returns (exit code, output)."""
        result = subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=timeout, check=False)
        self.log.write(result.stderr.decode(encoding, "replace"))
        return result.returncode, result.stdout.decode(encoding, "replace")

    def start_tamsel(self, *args):
        """Starts tamsel.exe in the background with these arguments."""
        self.log.write(f"--- start tamsel.exe {' '.join(args)}\n")
        self.log.flush()
        process = subprocess.Popen(["wine", self.exe, *args], env=self.env,
                                   stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        self.started.append(process)
        return process

    def wait_exit(self, process, timeout=EXIT_DEADLINE, what="tamsel.exe to end"):
        """The exit code of the process, once it has ended."""
        wait_for(lambda: process.poll() is not None, timeout, what)
        return process.returncode

    def run_tamsel(self, *args, timeout=EXIT_DEADLINE):
        """Starts tamsel.exe and returns its exit code once it has ended."""
        process = self.start_tamsel(*args)
        return self.wait_exit(process, timeout, f"tamsel.exe {' '.join(args)} to end")

    def helper(self, name, *args, timeout=COMMAND_DEADLINE):
        """Runs one of our helper programs; returns its output, failing on a
        non-zero exit code."""
        code, output = self.wine([os.path.join(self.helpers, name + ".exe"), *args], timeout)
        check(code == 0, f"helper {name} {' '.join(args)} ended with {code}")
        return output

    def put_clipboard(self, formats):
        """Puts {format: bytes} on the clipboard at once, as a program that
        copies does (our clipboard_put helper): a format is a standard
        format's number ("13") or a registered format's name."""
        folder = os.path.join(self.artifacts, "clipboard")
        os.makedirs(folder, exist_ok=True)
        args = []
        for number, (name, data) in enumerate(formats.items()):
            path = os.path.join(folder, f"format{number}.bin")
            with open(path, "wb") as f:
                f.write(data)
            args.append(f"{name}={windows_path(path)}")
        self.helper("clipboard_put", *args)

    def start_helper(self, name, *args):
        """Starts one of our helper programs that runs in the background with
        a state file; see BackgroundHelper."""
        return BackgroundHelper(self, name, *args)

    # --- Windows, as the programs under Wine see them

    def windows(self, classname=None):
        """The top-level windows, optionally of one class only."""
        output = self.helper("list_windows", *([classname] if classname else []))
        found = []
        for line in output.splitlines():
            fields = line.rstrip("\r").split("\t", 10)
            if len(fields) != 11:
                continue
            handle, cls, visible, style, exstyle, *numbers, title = fields
            found.append(Window(int(handle, 16), cls, visible == "1", int(style, 16),
                                int(exstyle, 16), *map(int, numbers), title))
        return found

    def main_windows(self):
        return self.windows(MAIN_CLASS)

    # --- The X display

    def x(self, *args, timeout=COMMAND_DEADLINE):
        """Runs an X client on the private display; returns (exit code, output)."""
        result = subprocess.run(list(args), env=self.env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=timeout, check=False)
        return result.returncode, result.stdout

    def x_windows_named(self, name):
        code, output = self.x("xdotool", "search", "--name", f"^{name}$")
        return [int(w) for w in output.split()] if code == 0 else []

    def x_geometry(self, window):
        """Absolute position, size and whether it is mapped, or None when the
        window is gone."""
        code, output = self.x("xwininfo", "-id", str(window))
        if code != 0:
            return None
        info = {}
        for line in output.splitlines():
            key, _, value = line.strip().partition(":")
            info[key] = value.strip()
        try:
            return {"x": int(info["Absolute upper-left X"]), "y": int(info["Absolute upper-left Y"]),
                    "width": int(info["Width"]), "height": int(info["Height"]),
                    "viewable": info.get("Map State") == "IsViewable"}
        except (KeyError, ValueError):
            return None

    def tray(self):
        """The geometry of the shown "Wine System Tray" window, or None. Wine
        shows it only while it holds an icon."""
        for window in self.x_windows_named(TRAY_TITLE):
            geometry = self.x_geometry(window)
            if geometry and geometry["viewable"]:
                return geometry
        return None

    def click_tray_icon(self, button=1, index=0):
        """Clicks the index-th icon of the tray; Wine passes it on to the
        icon's window as a tray notification. A click that follows the last
        one within the double-click time would arrive as a double click, so
        it waits that long after the last click first."""
        tray = wait_for(self.tray, START_DEADLINE, "the tray to show an icon")
        wait_for(lambda: time.monotonic() - self.last_click > DOUBLE_CLICK_TIME,
                 DOUBLE_CLICK_TIME + 1, "the double-click time to pass")
        cell = tray["height"]
        x = tray["x"] + index * cell + cell // 2
        y = tray["y"] + cell // 2
        code, _ = self.x("xdotool", "mousemove", str(x), str(y), "click", str(button))
        check(code == 0, "xdotool could not click the tray icon")
        self.last_click = time.monotonic()

    def screenshot(self, name, area=None):
        """Saves the screen as <name>.png. An area of interest (left, top,
        right, bottom) goes beside it as <name>.area, for the README's
        pictures (tools/pictures.sh)."""
        path = os.path.join(self.artifacts, name + ".png")
        code, _ = self.x("import", "-window", "root", path)
        check(code == 0, "imagemagick could not take a screenshot")
        if area:
            with open(os.path.join(self.artifacts, name + ".area"), "w", encoding="utf-8") as f:
                f.write(" ".join(map(str, area)) + "\n")
        return path

    def screen_pixels(self, path, left, top, width, height):
        """The RGB colours of an area of a screenshot, row by row."""
        result = subprocess.run(["convert", path, "-crop", f"{width}x{height}+{left}+{top}",
                                 "+repage", "-depth", "8", "rgb:-"],
                                capture_output=True, timeout=COMMAND_DEADLINE, check=True)
        data = result.stdout
        check(len(data) == 3 * width * height, "the screenshot does not cover the area")
        return [[tuple(data[3 * (y * width + x):3 * (y * width + x) + 3]) for x in range(width)]
                for y in range(height)]

    def tray_icon_area(self):
        """The first tray icon's square cell as (left, top, right, bottom)."""
        tray = self.tray()
        check(tray is not None, "no tray icon is shown")
        cell = tray["height"]
        return tray["x"], tray["y"], tray["x"] + cell, tray["y"] + cell

    def tray_icon_shows(self, icon, screenshot):
        """True when the first tray icon in the screenshot is the icon drawn in
        res/<icon>.txt: every opaque pixel in its colour."""
        left, top, right, _ = self.tray_icon_area()
        cell = right - left
        area = self.screen_pixels(screenshot, left, top, cell, cell)
        expected = make_ico.read_map(os.path.join(RES_DIR, icon + ".txt"))
        for dy in range(cell - make_ico.SIZE + 1):
            for dx in range(cell - make_ico.SIZE + 1):
                if all(p is make_ico.TRANSPARENT
                       or area[dy + y][dx + x] == tuple(reversed(make_ico.PALETTE[p]))
                       for y, row in enumerate(expected) for x, p in enumerate(row)):
                    return True
        return False

    # --- Registry

    def reg(self, *args):
        return self.wine(["reg", *args], encoding=OEM)

    def set_dpi(self, dpi):
        """The system DPI of the Wine programs started from now on (96 is 100 %)."""
        code, _ = self.wine(wine_env.dpi_setting(dpi), encoding=OEM)
        check(code == 0, f"reg add LogPixels={dpi} failed")

    def delete_settings(self):
        self.reg("delete", SETTINGS_KEY, "/f")
        check(self.settings() is None, "the settings key is still there after deleting it")

    def settings(self):
        """The values under the settings key as {name: (type, text)}, or None
        when the key does not exist."""
        code, output = self.reg("query", SETTINGS_KEY)
        if code != 0:
            return None
        values = {}
        for line in output.splitlines():
            fields = line.split()
            if len(fields) == 3 and fields[1].startswith("REG_"):
                values[fields[0]] = (fields[1], fields[2])
        return values

    def set_setting(self, name, value):
        code, _ = self.reg("add", SETTINGS_KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")
        check(code == 0, f"reg add {name}={value} failed")

    def dwords(self):
        """The settings as {name: number}; fails on a value of another type."""
        values = self.settings() or {}
        for name, (kind, _) in values.items():
            check(kind == "REG_DWORD", f"{name} is stored as {kind}")
        return {name: int(text, 16) for name, (_, text) in values.items()}

    # --- Global hotkeys

    def held(self, *combinations):
        """{combination: whether some program holds it}, from the hotkey_probe
        helper; a combination is written MODS:VK as the helper takes it."""
        output = self.helper("hotkey_probe", *combinations)
        return {c: state == "held" for c, state in (line.split() for line in output.splitlines())}

    # --- Ending every copy

    def stop_all_tamsel(self):
        """Ends every running copy: the quit switch first, then taskkill, then
        the processes this scenario started, by id. Returns what it had to
        force, empty when the quit switch did it."""
        forced = []
        if self.main_windows():
            self.run_tamsel("q")
            try:
                wait_for(lambda: not self.main_windows(), EXIT_DEADLINE, "Tamsel to quit")
            except ScenarioFailure as failure:
                forced.append(f"the quit switch did not end Tamsel ({failure})")
                self.wine(["taskkill", "/f", "/im", "tamsel.exe"], encoding=OEM)
        for process in self.started:
            try:
                process.wait(timeout=EXIT_DEADLINE)
            except subprocess.TimeoutExpired:
                forced.append(f"process {process.pid} did not end; killed")
                os.kill(process.pid, signal.SIGKILL)
                process.wait(timeout=EXIT_DEADLINE)
        return forced


class BackgroundHelper:
    """A helper program that runs until told to stop: it is given the
    Windows path of its state file (in the artifacts) as its last argument
    and ends by itself once STATEFILE.stop exists."""

    def __init__(self, env, name, *args):
        self.env = env
        self.name = name
        self.state = os.path.join(env.artifacts, name + ".state")
        self.stop = self.state + ".stop"
        for path in (self.state, self.stop):
            if os.path.exists(path):
                os.remove(path)
        exe = os.path.join(env.helpers, name + ".exe")
        state = windows_path(self.state)
        env.log.write(f"--- start {name}.exe {' '.join(args)} {state}\n")
        env.log.flush()
        self.process = subprocess.Popen(["wine", exe, *args, state], env=env.env,
                                        stdin=subprocess.DEVNULL, stdout=env.log, stderr=env.log)

    def lines(self):
        """The lines of the state file so far (none before it exists)."""
        try:
            with open(self.state, encoding="ascii") as f:
                return f.read().splitlines()
        except OSError:
            return []

    def wait_started(self):
        """Waits until the helper has created its state file."""
        wait_for(lambda: os.path.exists(self.state) or self.process.poll() is not None,
                 START_DEADLINE, f"{self.name} to start")
        check(self.process.poll() is None, f"{self.name}.exe ended with {self.process.returncode}")

    def close(self):
        """Ends the helper: it ends by itself when the stop file appears;
        killed by its id only if it does not."""
        if self.process.poll() is None:
            with open(self.stop, "w", encoding="ascii"):
                pass
            try:
                self.process.wait(timeout=EXIT_DEADLINE)
            except subprocess.TimeoutExpired:
                os.kill(self.process.pid, signal.SIGKILL)
                self.process.wait(timeout=EXIT_DEADLINE)
                check(False, f"{self.name}.exe did not end by itself; killed")
        check(self.process.returncode == 0, f"{self.name}.exe ended with {self.process.returncode}")


def main(run):
    """Runs one scenario from a known state and always cleans up after it."""
    name = os.path.splitext(os.path.basename(sys.modules["__main__"].__file__))[0]
    env = Environment()
    started = time.monotonic()
    failed = False
    try:
        leftover = env.stop_all_tamsel()
        check(not leftover, f"could not end a copy left from before: {leftover}")
        env.delete_settings()
        run(env)
    except Exception:  # every failure, also an unexpected one, is reported
        failed = True
        traceback.print_exc()
    finally:
        forced = env.stop_all_tamsel()
        if forced and not failed:
            failed = True
            print(f"cleanup had to force: {forced}", file=sys.stderr)
        env.log.close()
    print(f"{name}: {'FAILED' if failed else 'passed'} in {time.monotonic() - started:.1f} s "
          f"(logs in {env.artifacts})")
    sys.exit(1 if failed else 0)
