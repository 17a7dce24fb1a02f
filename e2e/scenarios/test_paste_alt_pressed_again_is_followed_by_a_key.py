"""Windows opens the focused window's menu bar when Alt goes down and up with
no other key pressed between. The user holds Alt, presses Insert, and lets go
of Alt once the text has arrived: a low-level keyboard hook sees every event,
and after each Alt press that Tamsel injects some key goes down before Alt
comes up, so no menu bar opens.

Then the user does the same with the right-hand Alt, as many do for Insert
on the right of the keyboard (xdotool's Alt_R reaches Wine as the left Alt
and then the right one): the text arrives once more, typing goes on after it,
no menu bar opens, and no key of either side is left down."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import START_DEADLINE, check, wait_for  # noqa: E402
from key_events import ALT_KEYS, events, left_down, watched_paste  # noqa: E402
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


def user_alt_up(seen):
    """`seen` once it ends with the user's Alt release, else None."""
    vk, down, injected = seen[-1] if seen else (0, True, True)
    return seen if vk in ALT_KEYS and not down and not injected else None


def paste_holding(env, target, watch, alt, expected):
    """The user holds `alt`, presses Insert and lets go of `alt` once the
    edit control holds `expected`; the hook's events of this paste."""
    mark = len(events(watch))
    code, _ = env.x("xdotool", "keydown", alt, "key", "Insert")
    check(code == 0, f"xdotool could not press {alt}+Insert")
    wait_for(lambda: target.text() == expected, START_DEADLINE, f"the paste with {alt}",
             interval=0.1)
    code, _ = env.x("xdotool", "keyup", alt)
    check(code == 0, f"xdotool could not let go of {alt}")
    seen = wait_for(lambda: user_alt_up(events(watch)[mark:]), START_DEADLINE,
                    f"the user's {alt} release in the hook")
    check(any(vk in ALT_KEYS and down and injected for vk, down, injected in seen),
          f"the hook saw no Alt press of Tamsel's: {seen}")
    lone = lone_alt_presses(seen)
    check(not lone, f"Alt pressed by Tamsel and let go with no key between, at {lone}: {seen}")
    return seen


def run(env):
    with watched_paste(env) as (target, watch):
        paste_holding(env, target, watch, "alt", PASTED)
        paste_holding(env, target, watch, "Alt_R", PASTED * 2)
        wait_for(lambda: not left_down(events(watch)), START_DEADLINE,
                 "every key of the right-Alt paste to be up")
        code, _ = env.x("xdotool", "key", "a")
        check(code == 0, "xdotool could not type a")
        wait_for(lambda: target.text() != PASTED * 2, START_DEADLINE, "the typed a")
        check(target.text() == PASTED * 2 + b"a",
              f"the edit control holds {target.text().hex()} after the typed a")
        still = [line for line in env.helper("keys_down").splitlines() if line.strip()]
        check(not still, f"the system's key state shows down: {still}")


harness.main(run)
