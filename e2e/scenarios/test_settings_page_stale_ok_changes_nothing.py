"""Once the settings page is closed, its buttons are gone: another program
that posts the main window a command naming the old OK button (wParam 0,
lParam the button's handle) changes nothing. The user who opens the page
again sees the settings as they were, and the registry keeps them."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import START_DEADLINE, check, wait_for  # noqa: E402
from settings_page import click, control, open_settings, wait_closed, wait_for_page  # noqa: E402

ALT_INS = "0x1:0x2d"
WM_COMMAND = 0x111
SETTINGS_COMMAND = 2
DEFAULTS = dict(active=1, hookkey=5, codepage=4, iconclick=1, usercodepage=0x419, activekey=0,
                keycp=0x0C2D, keycc=0x0244)
DEFAULTS_CHECKED = sorted(["Активировать горячие клавиши при загрузке",
                           "Вставить неформатированный текст",
                           "Активировать / деактивировать горячие клавиши",
                           "Устанавливать кодировку в"])


def run(env):
    env.start_tamsel()
    wait_for(lambda: env.held(ALT_INS)[ALT_INS], START_DEADLINE, "Tamsel to hold Alt+Insert")
    check(env.dwords() == DEFAULTS, f"stored at first: {env.dwords()}")
    open_settings(env)
    wait_for_page(env)
    ok = control(env, "OK").handle
    click(env, control(env, "Отмена"))
    wait_closed(env)

    # The command with the stale handle, then the Settings command: the page
    # shows once the first has been handled.
    env.helper("post_message", harness.MAIN_CLASS, hex(WM_COMMAND), "0", hex(ok),
               hex(WM_COMMAND), str(SETTINGS_COMMAND), "0")
    page = wait_for_page(env)
    checked = sorted(c.text for c in page if c.checked)
    check(checked == DEFAULTS_CHECKED, f"the page shows {checked}")
    check(env.dwords() == DEFAULTS, f"stored after the stale command: {env.dwords()}")
    check(env.held(ALT_INS)[ALT_INS], "Tamsel no longer holds Alt+Insert")


harness.main(run)
