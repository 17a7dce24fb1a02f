"""With the settings page open, Tamsel's own hotkeys rest, so that a hotkey
field can take one of them: the user who has copied formatted text opens
the page, clicks into the field of the own paste key, presses Ctrl+Alt+A and
then Alt+Insert again; the field shows each in turn, and the clipboard keeps
its formatting. «Отмена» closes the page, and Alt+Insert pastes plain text
into an edit control again.

Once the settings page is closed, its buttons are gone: another program
that posts the main window a command naming the old OK button (wParam 0,
lParam the button's handle) changes nothing. The user who opens the page
again sees the settings as they were, the registry keeps them, and the
hotkeys rest again."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import START_DEADLINE, check, wait_for  # noqa: E402
from paste_target import PASTED, PasteTarget, check_converted, clipboard_rows  # noqa: E402
from settings_page import (click, control, hotkey_field, open_settings,  # noqa: E402
                           press_in_field, wait_closed, wait_for_page)

ALT_INS = "0x1:0x2d"
ALT_INS_WORD = 0x0C2D  # Insert with Alt, and the flag of an extended key
# What the field shows for Alt+Insert under Wine in Xvfb: the extended-key
# flag is missing; the hotkey registered from either word is the same.
ALT_INS_WINE_WORD = 0x042D
CTRL_ALT_A_WORD = 0x0641
WM_COMMAND = 0x111
SETTINGS_COMMAND = 2
DEFAULTS = dict(active=1, hookkey=5, codepage=4, iconclick=1, usercodepage=0x419, activekey=0,
                keycp=0x0C2D, keycc=0x0244)
DEFAULTS_CHECKED = sorted(["Активировать горячие клавиши при загрузке",
                           "Вставить неформатированный текст",
                           "Активировать / деактивировать горячие клавиши",
                           "Устанавливать кодировку в"])
COPIED = ["Rich Text Format", "HTML Format", "CF_UNICODETEXT", "CF_LOCALE"]


def copied_formats(env):
    return [name for _, name, _ in clipboard_rows(env)][:len(COPIED)]


def press_own_paste_key_in_its_field(env):
    check(not env.held(ALT_INS)[ALT_INS], "Tamsel holds Alt+Insert while the page is open")
    field = hotkey_field(env, ALT_INS_WORD)
    press_in_field(env, field, "ctrl+alt+a", CTRL_ALT_A_WORD)
    press_in_field(env, field, "alt+Insert", ALT_INS_WORD, ALT_INS_WINE_WORD)
    check(copied_formats(env) == COPIED, f"the clipboard was converted: {clipboard_rows(env)}")


def paste_after_cancel(env):
    wait_for(lambda: env.held(ALT_INS)[ALT_INS], START_DEADLINE, "Tamsel to hold Alt+Insert again")
    target = PasteTarget(env)
    try:
        target.focus()
        code, _ = env.x("xdotool", "key", "alt+Insert")
        check(code == 0, "xdotool could not press Alt+Insert")
        text = target.wait_text("the paste to arrive in the edit control")
        check(text == PASTED, f"the edit control holds {text.hex()}, not {PASTED.hex()}")
        check_converted(env)
    finally:
        target.close()


def run(env):
    env.start_tamsel()
    wait_for(lambda: env.held(ALT_INS)[ALT_INS], START_DEADLINE, "Tamsel to hold Alt+Insert")
    check(env.dwords() == DEFAULTS, f"stored at first: {env.dwords()}")
    env.helper("clipboard_fill")
    check(copied_formats(env) == COPIED, f"the filler's clipboard: {clipboard_rows(env)}")
    open_settings(env)
    wait_for_page(env)
    press_own_paste_key_in_its_field(env)
    ok = control(env, "OK").handle
    click(env, control(env, "Отмена"))
    wait_closed(env)
    paste_after_cancel(env)

    # The command with the stale handle, then the Settings command: the page
    # shows once the first has been handled.
    env.helper("post_message", harness.MAIN_CLASS, hex(WM_COMMAND), "0", hex(ok),
               hex(WM_COMMAND), str(SETTINGS_COMMAND), "0")
    page = wait_for_page(env)
    checked = sorted(c.text for c in page if c.checked)
    check(checked == DEFAULTS_CHECKED, f"the page shows {checked}")
    check(env.dwords() == DEFAULTS, f"stored after the stale command: {env.dwords()}")
    check(not env.held(ALT_INS)[ALT_INS], "Tamsel holds Alt+Insert while the page is open")


harness.main(run)
