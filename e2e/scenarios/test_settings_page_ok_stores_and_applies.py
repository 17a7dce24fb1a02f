"""The settings page opened from the tray menu shows the current settings in
two columns; a changed mode confirmed with OK is stored and takes effect at
once:
- the tray menu's "&Параметры..." shows the window "Tamsel - Параметры" with
  its 22 controls, the default mode 5 and code-page mode 4 checked;
- a click on "Alt+V, Alt+Ins - вставить неформатированный текст" checks it
  and unchecks mode 5;
- OK hides the window and removes the controls, the registry holds
  hookkey 1, and Tamsel holds Alt+V and Alt+Ins instead of its own paste
  hotkey (Alt+Insert stays: it is mode 1's too).
The page is 636 x 320 at 100 % (96 DPI); on a display scaled to 150 %
(144 DPI), Tamsel started again lays it out one and a half times as large,
window and controls, so that every caption fits."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import START_DEADLINE, check, wait_for  # noqa: E402
from settings_page import (TITLE, choose_settings, click, control, layout,  # noqa: E402
                           open_settings, open_tray_menu, wait_closed, wait_for_page)

ALT_V = "0x1:0x56"
ALT_INS = "0x1:0x2d"
ALT_MODE = "Alt+V, Alt+Ins - вставить неформатированный текст"
USER_PASTE_MODE = "Вставить неформатированный текст"


def screenshot_menu(env, menu):
    """Saves the open menu beside the tray icon, once Wine has drawn it (it
    shows before it is drawn): then its area holds more than two colours."""
    icon = env.tray_icon_area()
    area = (min(icon[0], menu.left), min(icon[1], menu.top), max(icon[2], menu.right),
            max(icon[3], menu.bottom))

    def drawn():
        path = env.screenshot("tray-menu", area)
        pixels = env.screen_pixels(path, menu.left, menu.top, menu.right - menu.left,
                                   menu.bottom - menu.top)
        return len({p for row in pixels for p in row}) > 2

    wait_for(drawn, START_DEADLINE, "the tray menu to be drawn", interval=0.2)


def run(env):
    env.start_tamsel()
    wait_for(lambda: env.held(ALT_INS)[ALT_INS], START_DEADLINE, "Tamsel to hold Alt+Insert")
    check(not env.held(ALT_V)[ALT_V], "Alt+V is held before the mode changed")

    screenshot_menu(env, open_tray_menu(env))
    window = choose_settings(env)
    check(window.title == TITLE, f"the page's title is {window.title!r}")
    page = wait_for_page(env)
    check(all(c.visible for c in page), "a control is hidden")
    at100 = layout(window, page)
    check(at100[0] == (636, 320), f"the page is {at100[0]} at 96 DPI")
    checked = sorted(c.text for c in page if c.checked)
    check(checked == sorted(["Активировать горячие клавиши при загрузке", USER_PASTE_MODE,
                             "Активировать / деактивировать горячие клавиши",
                             "Устанавливать кодировку в"]),
          f"checked at first: {checked}")
    env.screenshot("settings-page", (window.left, window.top, window.right, window.bottom))

    click(env, control(env, ALT_MODE))
    wait_for(lambda: control(env, ALT_MODE).checked, START_DEADLINE, "the Alt mode to be checked")
    check(not control(env, USER_PASTE_MODE).checked, "mode 5 stayed checked")
    env.screenshot("settings-page-changed")

    click(env, control(env, "OK"))
    wait_closed(env)
    wait_for(lambda: env.dwords().get("hookkey") == 1, START_DEADLINE, "hookkey 1 in the registry")
    values = env.dwords()
    check(values == dict(active=1, hookkey=1, codepage=4, iconclick=1, usercodepage=0x419,
                         activekey=0, keycp=0x0C2D, keycc=0x0244),
          f"stored: {values}")
    state = wait_for(lambda: (lambda h: h if all(h.values()) else None)(env.held(ALT_V, ALT_INS)),
                     START_DEADLINE, "Tamsel to hold Alt+V and Alt+Insert")
    check(state == {ALT_V: True, ALT_INS: True}, f"held after OK: {state}")

    env.set_dpi(144)
    try:
        check(env.run_tamsel("q") == 0, "the quit request failed")
        wait_for(lambda: not env.main_windows(), START_DEADLINE, "Tamsel to quit")
        env.delete_settings()  # the defaults, as in the first picture
        env.start_tamsel()
        window = open_settings(env)
        at150 = layout(window, wait_for_page(env))
        # Within a pixel: a control's numbers and its group box's are rounded apart.
        for before, after in zip(at100, at150):
            check(all(abs(a - 1.5 * b) <= 1 for a, b in zip(after, before)),
                  f"at 96 DPI {before}, at 144 DPI {after}")
        env.screenshot("settings-page-150", (window.left, window.top, window.right, window.bottom))
    finally:
        env.set_dpi(96)


harness.main(run)
