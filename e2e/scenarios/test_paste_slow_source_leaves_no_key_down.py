"""The program the text was copied from renders it only when asked, and takes
300 ms. The user presses Alt+Insert and lets go of both keys at once, before
the conversion is done: the paste arrives, and no key is left logically down,
so the letters typed next arrive as letters."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import START_DEADLINE, check, wait_for  # noqa: E402
from paste_target import PASTED, PasteTarget  # noqa: E402

ALT_INSERT = "1:0x2d"
RENDER_DELAY_MS = 300


def run(env):
    env.start_tamsel()
    wait_for(lambda: env.held(ALT_INSERT)[ALT_INSERT], START_DEADLINE, "Alt+Insert to be held")
    target = PasteTarget(env)
    source = env.start_helper("slow_clipboard", str(RENDER_DELAY_MS))
    try:
        target.focus()
        source.wait_started()
        code, _ = env.x("xdotool", "key", "alt+Insert")
        check(code == 0, "xdotool could not press Alt+Insert")
        text = target.wait_text("the paste to arrive in the edit control")
        check(text == PASTED, f"the edit control holds {text.hex()}, not {PASTED.hex()}")
        check(any(line.startswith("rendered") for line in source.lines()),
              "the text was not rendered on demand")
        code, _ = env.x("xdotool", "type", "abc")
        check(code == 0, "xdotool could not type")
        typed = wait_for(lambda: len(target.text()) >= len(PASTED) + 3 and target.text(),
                         START_DEADLINE, "the typed letters to arrive", interval=0.1)
        check(typed == PASTED + b"abc", f"the edit control holds {typed!r}")
    finally:
        source.close()
        target.close()


harness.main(run)
