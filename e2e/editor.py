"""The editors that the soak and the scenarios paste into, as a user uses
them: our paste target or Wine's Notepad, looked at and emptied through
edit_text.exe (e2e/helpers/edit_text.cpp), focused with a click."""
import os
import subprocess
import time

import harness
from harness import START_DEADLINE, ScenarioFailure, check, wait_for, windows_path

# A user whose click did not take clicks again after this long.
REFOCUS_TIME = 3
NOTEPAD_KEY = r"HKCU\Software\Microsoft\Notepad"
# Side by side, apart from the tray in the top left corner.
NOTEPAD_PLACE = dict(iWindowPosX=520, iWindowPosY=100, iWindowPosDX=480, iWindowPosDY=300)


def click(env, x, y):
    """A left click at a screen point, never so soon after the last one that
    it makes a double click."""
    wait_for(lambda: time.monotonic() - env.last_click > harness.DOUBLE_CLICK_TIME,
             harness.DOUBLE_CLICK_TIME + 1, "the double-click time to pass")
    code, _ = env.x("xdotool", "mousemove", str(x), str(y), "click", "1")
    check(code == 0, f"xdotool could not click at {x},{y}")
    env.last_click = time.monotonic()


class Editor:
    """A window with an edit control that the user pastes into."""

    def __init__(self, env, name, classname):
        self.env, self.name, self.classname = env, name, classname
        self.middle = None
        self.misses = 0

    def ask(self, *args):
        """Runs edit_text on the editor; its output, or None when it found no
        edit control or did not run: under load Wine now and then ends a
        program with exit code 1 before it runs. The callers poll, and those
        misses are counted."""
        code, output = self.env.wine([os.path.join(self.env.helpers, "edit_text.exe"),
                                      self.classname, *args])
        if code == 1:
            self.misses += 1
        if code in (1, 3):
            return None
        check(code == 0, f"edit_text {self.classname} {' '.join(args)} ended with {code}")
        return output

    def state(self):
        """(foreground, focused, text length, in a menu), or None while it has
        no window."""
        fields = (self.ask("state") or "").split()
        if len(fields) != 4:
            return None
        return fields[0] == "1", fields[1] == "1", int(fields[3]), fields[2] == "1"

    def length(self):
        state = self.state()
        return state[2] if state else None

    def clear(self):
        wait_for(lambda: self.ask("clear") is not None and self.length() == 0, START_DEADLINE,
                 f"{self.name} to be empty")

    def focus(self):
        """Clicks into the edit control, as the user does, until it is the
        foreground window's focus."""
        if not self.middle:
            edit = [line.split("\t") for line in
                    self.env.helper("find_control", self.classname).splitlines()
                    if line.split("\t")[1:2] == ["Edit"]][0]
            left, top, right, bottom = map(int, edit[4:8])
            self.middle = ((left + right) // 2, (top + bottom) // 2)
        def clicked_in():
            click(self.env, *self.middle)
            try:
                return wait_for(lambda: (lambda s: s and s[0] and s[1])(self.state()),
                                REFOCUS_TIME, "the focus")
            except ScenarioFailure:
                return False  # the click only closed another window's menu

        wait_for(clicked_in, START_DEADLINE, f"{self.name} to have the keyboard focus")

    def text(self, folder):
        path = os.path.join(folder, "pasted.bin")
        wait_for(lambda: self.ask("read", windows_path(path)) is not None, START_DEADLINE,
                 f"the text of {self.name}")
        with open(path, "rb") as f:
            return f.read()

    def close(self):
        """Closes the window as its close box does, emptied first so that it
        asks nothing."""
        self.clear()
        wait_for(lambda: self.ask("close") is not None, START_DEADLINE, f"{self.name} to close")


def start_notepad(env):
    for name, value in NOTEPAD_PLACE.items():
        code, _ = env.reg("add", NOTEPAD_KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")
        check(code == 0, f"reg add {name} failed")
    process = subprocess.Popen(["wine", "notepad"], env=env.env, stdin=subprocess.DEVNULL,
                               stdout=env.log, stderr=env.log)
    notepad = Editor(env, "Notepad", "Notepad")
    wait_for(notepad.state, START_DEADLINE, "Notepad's window")
    return process, notepad
