"""The settings page as a user reaches it: from the tray menu, with the mouse
(the page has no keyboard navigation). The page's controls are listed by the
find_control helper."""
from collections import namedtuple

import harness
from harness import START_DEADLINE, check, wait_for

TITLE = "Tamsel - Параметры"

Control = namedtuple(
    "Control", "handle classname visible checked left top right bottom inleft intop hotkey text")


def controls(env):
    """The page's controls as the find_control helper sees them."""
    found = []
    for line in env.helper("find_control", harness.MAIN_CLASS).splitlines():
        fields = line.rstrip("\r").split("\t", 11)
        if len(fields) == 12:
            handle, cls, visible, checked, *numbers, hotkey, text = fields
            found.append(Control(int(handle, 16), cls.lower(), visible == "1", checked == "1",
                                 *map(int, numbers), int(hotkey, 16), text))
    return found


# The 22 controls in the order of creation, as the page lays them out at 96 DPI
# in the window's client area: class, text, left, top, width, height.
CLEAN = "Убрать форматирование в буфере обмена"
LAYOUT = [
    ("button", "Активировать горячие клавиши при загрузке", 320, 13, 305, 20),
    ("button", "Режим работы (поддерживаемые горячие клавиши)", 10, 102, 301, 149),
    ("button", "Alt+V, Alt+Ins - вставить неформатированный текст", 20, 118, 285, 20),
    ("button", "Ctrl+V, Shift+Ins (обычная вставка - Alt+V, Alt+Ins)", 20, 138, 285, 20),
    ("button", "Вставить неформатированный текст", 20, 158, 285, 20),
    ("msctls_hotkey32", "", 120, 178, 180, 22),
    ("button", CLEAN, 20, 198, 285, 20),
    ("msctls_hotkey32", "", 120, 218, 180, 22),
    ("button", "Реакция на клик по иконке", 10, 30, 301, 62),
    ("button", CLEAN, 20, 46, 285, 20),
    ("button", "Активировать / деактивировать горячие клавиши", 20, 66, 285, 20),
    ("button", "Устранение проблем с кодировкой", 320, 103, 301, 148),
    ("button", "Сохранять кодировку Unicode", 330, 119, 285, 20),
    ("button", "Не устанавливать кодировку (Windows 98/ME)", 330, 139, 285, 20),
    ("button", "Определять по языку ввода при копировании", 330, 159, 285, 20),
    ("button", "Определять по языку ввода при вставке / очистке", 330, 179, 285, 20),
    ("button", "Устанавливать кодировку в", 330, 199, 285, 20),
    # Its text is the row shown; of its height (with the list), the closed
    # field shows only what the font needs.
    ("combobox", None, 360, 219, 250, None),
    ("button", "Комбинация клавиш активации - деактивации", 320, 40, 301, 53),
    ("msctls_hotkey32", "", 330, 60, 180, 22),
    ("button", "OK", 230, 264, 80, 24),
    ("button", "Отмена", 320, 264, 80, 24),
]
PAGE_SIZE = (636, 320)


def check_layout(window, page, dpi):
    """The page's window and its 22 controls are the 96-DPI numbers scaled to
    `dpi`: exactly at 96, within a pixel of the scaled number elsewhere (each
    control's own numbers and its group box's are rounded apart)."""
    scale = dpi / 96
    slack = 0 if dpi == 96 else 1

    def near(actual, expected):
        return all(e is None or abs(a - round(e * scale)) <= slack
                   for a, e in zip(actual, expected))

    size = (window.right - window.left, window.bottom - window.top)
    check(near(size, PAGE_SIZE), f"at {dpi} DPI the page is {size[0]} x {size[1]}")
    check(len(page) == len(LAYOUT), f"{len(page)} controls")
    for shown, (classname, text, *rect) in zip(page, LAYOUT):
        check(shown.classname == classname and text in (None, shown.text),
              f"{shown.classname} {shown.text!r} where {classname} {text!r} belongs")
        actual = (shown.inleft, shown.intop, shown.right - shown.left, shown.bottom - shown.top)
        check(near(actual, rect), f"at {dpi} DPI {classname} {shown.text!r} is at {actual}")


def control(env, text):
    matches = [c for c in controls(env) if c.text == text]
    check(len(matches) == 1, f"{len(matches)} controls with the text {text!r}")
    return matches[0]


def click(env, target):
    """Clicks the middle of a control's screen rectangle."""
    x = (target.left + target.right) // 2
    y = (target.top + target.bottom) // 2
    code, _ = env.x("xdotool", "mousemove", str(x), str(y), "click", "1")
    check(code == 0, f"xdotool could not click {target.text!r}")


def page_window(env):
    shown = [w for w in env.main_windows() if w.visible]
    return shown[0] if shown else None


def open_tray_menu(env):
    """Right click on the tray icon; returns the menu's window once it shows."""
    env.click_tray_icon(button=3)
    return wait_for(lambda: [w for w in env.windows("#32768") if w.visible], START_DEADLINE,
                    "the tray menu to open")[0]


def choose_settings(env):
    """Picks the open menu's second item by keyboard (the first Down selects
    "&О программе...", separators are skipped); returns the page's window."""
    code, _ = env.x("xdotool", "key", "Down", "Down", "Return")
    check(code == 0, "xdotool could not pick the menu item")
    return wait_for(lambda: page_window(env), START_DEADLINE, "the settings page to show")


def open_settings(env):
    open_tray_menu(env)
    return choose_settings(env)


def wait_for_page(env):
    """The 22 controls of the page, once they all exist."""
    return wait_for(lambda: (lambda c: c if len(c) == 22 else None)(controls(env)),
                    START_DEADLINE, "the 22 controls")


def wait_closed(env):
    """Waits until the page is hidden and its controls are gone."""
    wait_for(lambda: page_window(env) is None, START_DEADLINE, "the page to hide")
    wait_for(lambda: not controls(env), START_DEADLINE, "the controls to be destroyed")


def hotkey_field(env, word):
    """The hotkey field that shows this hotkey word."""
    fields = [c for c in controls(env) if c.classname == "msctls_hotkey32" and c.hotkey == word]
    check(len(fields) == 1, f"{len(fields)} hotkey fields show {word:#06x}")
    return fields[0]


def press_in_field(env, field, keys, *words):
    """Clicks into a hotkey field, presses the keys (as xdotool names them)
    and waits until the field shows one of the hotkey words they make."""
    click(env, field)
    code, _ = env.x("xdotool", "key", keys)
    check(code == 0, f"xdotool could not press {keys}")
    shown = lambda: [c.hotkey for c in controls(env) if c.handle == field.handle]  # noqa: E731
    try:
        wait_for(lambda: len(shown()) == 1 and shown()[0] in words, START_DEADLINE,
                 f"the field to show {' or '.join(f'{w:#06x}' for w in words)}")
    except harness.ScenarioFailure as failure:
        raise harness.ScenarioFailure(f"{failure}; it shows {[hex(w) for w in shown()]}") from None
