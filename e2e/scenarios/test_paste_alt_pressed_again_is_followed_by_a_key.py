"""Windows opens the focused window's menu bar when Alt goes down and up with
no other key pressed between. The user holds Alt, presses Insert, and lets go
of Alt once the text has arrived: a low-level keyboard hook sees every event,
and after each Alt press that Tamsel injects some key goes down before Alt
comes up, so no menu bar opens."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import START_DEADLINE, check, wait_for  # noqa: E402
from key_events import ALT_KEYS, events, watched_paste  # noqa: E402
from paste_target import PASTED  # noqa: E402


def lone_alt_presses(seen):
    """The injected Alt presses followed by an Alt release with no key
    pressed between."""
    lone, pending = [], None
    for index, (vk, down, injected) in enumerate(seen):
        if down:
            pending = index if vk in ALT_KEYS and injected else None
        elif vk in ALT_KEYS and pending is not None:
            lone.append(pending)
            pending = None
    return lone


def run(env):
    with watched_paste(env) as (target, watch):
        code, _ = env.x("xdotool", "keydown", "alt", "key", "Insert")
        check(code == 0, "xdotool could not press Alt+Insert")
        text = target.wait_text("the paste to arrive in the edit control")
        check(text == PASTED, f"the edit control holds {text.hex()}, not {PASTED.hex()}")
        code, _ = env.x("xdotool", "keyup", "alt")
        check(code == 0, "xdotool could not let go of Alt")
        seen = wait_for(lambda: (lambda e: e if e and e[-1][0] in ALT_KEYS and not e[-1][1]
                                 and not e[-1][2] else None)(events(watch)),
                        START_DEADLINE, "the user's Alt release in the hook")
        check(any(vk in ALT_KEYS and down and injected for vk, down, injected in seen),
              f"the hook saw no Alt press of Tamsel's: {seen}")
        lone = lone_alt_presses(seen)
        check(not lone, f"Alt pressed by Tamsel and let go with no key between, at {lone}: {seen}")


harness.main(run)
