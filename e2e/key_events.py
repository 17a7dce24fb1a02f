"""The key events that the helper key_watch.exe writes down with its
low-level keyboard hook, and what they leave down."""
import contextlib

from harness import START_DEADLINE, wait_for
from paste_target import PasteTarget

ALT_INSERT = "1:0x2d"

ALT_KEYS = (0x12, 0xA4, 0xA5)  # VK_MENU and its left and right codes
# A keyboard's modifiers show by their side, synthetic ones as sent: a
# generic code, which Tamsel sends without the extended flag, is the left key.
SIDE = {0x10: 0xA0, 0x11: 0xA2, 0x12: 0xA4}


def events(watch):
    """[(virtual key, down, injected)] as the hook saw them."""
    found = []
    for line in watch.lines():
        fields = line.split()
        if len(fields) == 3:
            found.append((int(fields[0], 16), fields[1] == "down", fields[2] == "injected"))
    return found


def left_down(seen):
    """The keys whose last event in `seen` was a press, a modifier by its
    side."""
    state = {}
    for vk, down, _ in seen:
        state[SIDE.get(vk, vk)] = down
    return sorted(vk for vk, down in state.items() if down)


@contextlib.contextmanager
def watched_paste(env, injected_delay_ms=0):
    """Tamsel on its default Alt+Insert, the focus in our paste target, the
    hook watching every key (taking injected_delay_ms over each injected one)
    and text on the clipboard: (target, watch)."""
    env.start_tamsel()
    wait_for(lambda: env.held(ALT_INSERT)[ALT_INSERT], START_DEADLINE, "Alt+Insert to be held")
    target = PasteTarget(env)
    watch = env.start_helper("key_watch", *([str(injected_delay_ms)] if injected_delay_ms else []))
    try:
        target.focus()
        watch.wait_started()
        env.helper("clipboard_fill")
        yield target, watch
    finally:
        watch.close()
        target.close()
