"""With the default settings (paste hotkey Alt+Insert, the user's locale
stored with the text), the user copies formatted Russian text, clicks into
an edit control and presses Alt+Insert: the edit control receives the text
once, and the clipboard holds only the single-byte text and its locale.

Then the user copies a password from a password manager, which marks the
copy to be kept out of clipboard history and cloud sync, and presses
Alt+Insert again: the password arrives, and the clipboard keeps the four
markers with their data beside the text and its locale.

Last, the user copies Russian text from a Unicode program while the English
layout is on, which Windows labels English (locale 0x0409, code page 1252,
which has no Cyrillic letters), and presses Alt+Insert: the Cyrillic arrives
as it was, and the "ü" as Windows' nearest match in code page 1251."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import EXIT_DEADLINE, START_DEADLINE, check, wait_for  # noqa: E402
from paste_target import (PASTED, RUSSIAN_LOCALE, PasteTarget, check_converted,  # noqa: E402
                          clipboard_rows)

ALT_INSERT = "1:0x2d"
PASSWORD = "Пароль 42"
MARKERS = {
    "ExcludeClipboardContentFromMonitorProcessing": b"\x01",
    "CanIncludeInClipboardHistory": struct.pack("<I", 0),
    "CanUploadToCloudClipboard": struct.pack("<I", 0),
    "Clipboard Viewer Ignore": b"\x00",
}
# Copied under the English layout, and as it must arrive in code page 1251.
ENGLISH_LAYOUT_COPY = "Привет, Zürich — 42"
ENGLISH_LAYOUT_PASTED = "Привет, Zurich — 42".encode("cp1251")


def paste_english_layout_copy(env, target):
    # Wine gives a Unicode copy the user's locale, not the layout's as
    # Windows does: the copy carries the English locale itself.
    before = target.text()
    env.put_clipboard({"13": ENGLISH_LAYOUT_COPY.encode("utf-16-le") + b"\0\0",
                       "16": struct.pack("<I", 0x0409)})
    code, _ = env.x("xdotool", "key", "alt+Insert")
    check(code == 0, "xdotool could not press Alt+Insert")
    text = wait_for(lambda: target.text() != before and target.text(), START_DEADLINE,
                    "the copy made under the English layout to arrive", interval=0.1)
    check(text == before + ENGLISH_LAYOUT_PASTED,
          f"the edit control holds {text.hex()}, not {(before + ENGLISH_LAYOUT_PASTED).hex()}")
    rows = clipboard_rows(env)
    check([(name, data) for _, name, data in rows[:2]] ==
          [("CF_TEXT", ENGLISH_LAYOUT_PASTED.hex() + "00"), ("CF_LOCALE", RUSSIAN_LOCALE)],
          f"the clipboard holds {rows}")


def paste_password(env, target):
    env.put_clipboard({"13": PASSWORD.encode("utf-16-le") + b"\0\0", **MARKERS})
    code, _ = env.x("xdotool", "key", "alt+Insert")
    check(code == 0, "xdotool could not press Alt+Insert")
    expected = PASTED + PASSWORD.encode("cp1251")
    wait_for(lambda: target.text() == expected, START_DEADLINE, "the password to arrive",
             interval=0.1)
    rows = clipboard_rows(env)
    stored = [(name, data) for _, name, data in rows]
    check(stored[:2] == [("CF_TEXT", PASSWORD.encode("cp1251").hex() + "00"),
                         ("CF_LOCALE", RUSSIAN_LOCALE)], f"the clipboard holds {rows}")
    for name, data in MARKERS.items():
        check((name, data.hex()) in stored, f"the marker {name} is gone: {rows}")
    check(len(rows) == 4 + len(MARKERS), f"the clipboard kept other formats: {rows}")


def run(env):
    tamsel = env.start_tamsel()
    wait_for(env.main_windows, START_DEADLINE, "the main window")
    wait_for(lambda: env.held(ALT_INSERT)[ALT_INSERT], START_DEADLINE, "Alt+Insert to be held")
    target = PasteTarget(env)
    try:
        target.focus()
        env.helper("clipboard_fill")
        code, _ = env.x("xdotool", "key", "alt+Insert")
        check(code == 0, "xdotool could not press Alt+Insert")
        text = target.wait_text("the paste to arrive in the edit control")
        check(text == PASTED, f"the edit control holds {text.hex()}, not {PASTED.hex()}")
        check_converted(env)
        paste_password(env, target)
        paste_english_layout_copy(env, target)
        check(env.run_tamsel("q") == 0, "the start with q failed")
        check(env.wait_exit(tamsel, EXIT_DEADLINE) == 0, "Tamsel did not end with exit code 0")
        check(target.text() == PASTED + PASSWORD.encode("cp1251") + ENGLISH_LAYOUT_PASTED,
              f"the edit control changed to {target.text().hex()}")
    finally:
        target.close()


harness.main(run)
