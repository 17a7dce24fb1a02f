"""The application that the paste scenarios paste into: paste_target.exe (see
e2e/helpers/paste_target.cpp), a window with a multi-line edit control that
writes its state to a file ten times a second.

Xvfb runs no window manager, so the window is given the keyboard focus with
`xdotool windowfocus` (windowactivate needs one); Wine then makes it the
foreground window. Wine delivers global hotkeys only while one of its windows
has the focus, which is also where the synthetic Ctrl+V goes.
"""
from harness import START_DEADLINE, check, wait_for

NAME = "paste_target"

# "Привет, мир ok" as clipboard_fill copies it, in Windows-1251: as an ANSI
# edit control gives it back, and as the clipboard holds it with terminator.
PASTED = bytes.fromhex("cff0e8e2e5f22c20ece8f0206f6b")
CP1251_TEXT = PASTED.hex() + "00"
RUSSIAN_LOCALE = "19040000"


def clipboard_rows(env):
    """[(format number, name, hex bytes)] in the order the clipboard lists
    them: the stored formats first, then the ones the system derives."""
    rows = []
    for line in env.helper("clipboard_dump").splitlines():
        fields = line.rstrip("\r").split("\t")
        if len(fields) == 4:
            rows.append((int(fields[0]), fields[1], fields[3]))
    return rows


def check_converted(env):
    """The clipboard holds only the single-byte text and its Russian locale
    stored (and what the system derives from them)."""
    rows = clipboard_rows(env)
    check([(name, data) for _, name, data in rows[:2]] ==
          [("CF_TEXT", CP1251_TEXT), ("CF_LOCALE", RUSSIAN_LOCALE)], f"the clipboard holds {rows}")
    check(sorted(number for number, _, _ in rows) == [1, 7, 13, 16],
          f"the clipboard kept other formats: {rows}")


class PasteTarget:
    def __init__(self, env, lifetime=None):
        """Starts the target; it ends by itself after `lifetime` seconds
        (two minutes when None), should nobody close it."""
        self.env = env
        self.helper = env.start_helper(NAME, *([str(lifetime)] if lifetime else []))

    def read(self):
        """(foreground, focused, text bytes), or None before the first write."""
        try:
            with open(self.helper.state, encoding="ascii") as f:
                fields = f.read().split()
        except OSError:
            return None
        if len(fields) not in (2, 3):
            return None
        return fields[0] == "1", fields[1] == "1", bytes.fromhex(fields[2] if len(fields) == 3 else "")

    def focus(self):
        """Gives the target's window the keyboard focus and waits until Wine
        has made it the foreground window with the edit control focused."""
        window = wait_for(lambda: self.env.x_windows_named(NAME), START_DEADLINE,
                          "the target's X window")[0]
        wait_for(self.read, START_DEADLINE, "the target to write its state")

        def focused():
            code, _ = self.env.x("xdotool", "windowfocus", str(window))
            state = self.read()
            return code == 0 and state and state[0] and state[1]

        wait_for(focused, START_DEADLINE, "the target to have the keyboard focus", interval=0.2)

    def text(self):
        state = self.read()
        return state[2] if state else b""

    def wait_text(self, what):
        """The edit control's text, once it is not empty."""
        return wait_for(self.text, START_DEADLINE, what, interval=0.1)

    def close(self):
        self.helper.close()
