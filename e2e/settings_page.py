"""The settings page as a user reaches it: from the tray menu, with the mouse
(the page has no keyboard navigation). The page's controls are listed by the
find_control helper."""
from collections import namedtuple

import harness
from harness import START_DEADLINE, check, wait_for

TITLE = "Tamsel - Параметры"

Control = namedtuple("Control",
                     "handle classname visible checked left top right bottom hotkey text")


def controls(env):
    """The page's controls as the find_control helper sees them."""
    found = []
    for line in env.helper("find_control", harness.MAIN_CLASS).splitlines():
        fields = line.rstrip("\r").split("\t", 9)
        if len(fields) == 10:
            handle, cls, visible, checked, *numbers, hotkey, text = fields
            found.append(Control(int(handle, 16), cls.lower(), visible == "1", checked == "1",
                                 *map(int, numbers), int(hotkey, 16), text))
    return found


def layout(window, page):
    """The page's outer size, then each control's place from the first one's
    and its size; a closed drop-down list is as high as its font needs."""
    rects = [(c.left - page[0].left, c.top - page[0].top, c.right - c.left, c.bottom - c.top)
             for c in page]
    return [(window.right - window.left, window.bottom - window.top)] + [
        r[:3] if c.classname == "combobox" else r for c, r in zip(page, rects)]


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
