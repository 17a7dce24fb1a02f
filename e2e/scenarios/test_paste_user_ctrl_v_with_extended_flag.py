"""A paste key stored by hand as 0x0A56 (Ctrl+V with the extended-key flag)
registers plain Ctrl+V. Pressing it pastes plain text once, like the same key
stored as 0x0256: the program lets go of its own Ctrl+V for its synthetic V
instead of catching it for ever. Afterwards it still holds Ctrl+V, and the
quit switch ends it."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import EXIT_DEADLINE, START_DEADLINE, check, wait_for  # noqa: E402
from paste_target import PASTED, PasteTarget, check_converted  # noqa: E402

CTRL_V = "2:0x56"


def run(env):
    env.set_setting("keycp", 0x0A56)
    tamsel = env.start_tamsel()
    wait_for(lambda: env.held(CTRL_V)[CTRL_V], START_DEADLINE, "Ctrl+V to be held")
    target = PasteTarget(env)
    try:
        target.focus()
        env.helper("clipboard_fill")
        code, _ = env.x("xdotool", "key", "ctrl+v")
        check(code == 0, "xdotool could not press Ctrl+V")
        text = target.wait_text("the paste to arrive in the edit control")
        check(text == PASTED, f"the edit control holds {text.hex()}, not {PASTED.hex()}")
        check_converted(env)
        check(env.held(CTRL_V)[CTRL_V], "Tamsel does not hold Ctrl+V again after the paste")
        check(env.run_tamsel("q") == 0, "the start with q failed")
        check(env.wait_exit(tamsel, EXIT_DEADLINE) == 0, "Tamsel did not end with exit code 0")
        check(target.text() == PASTED, f"the edit control changed to {target.text().hex()}")
    finally:
        target.close()


harness.main(run)
