#!/usr/bin/python3
"""End-to-end test: the looked-up call stays selected when the focus comes back by keyboard.

Runs the real program under Xvfb with openbox, on the harness of vorn_e2e.py. For each way of
taking the focus from the call field with the keyboard (the menu bar, a menu command and its
dialog, the Super key), it looks up the first call, leaves and comes back that way, types the
second call and presses Return: the field must hold the second call alone, read through the
accessibility tree, and show its answers.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vorn_e2e  # noqa: E402
from vorn_e2e import log, xdotool  # noqa: E402

# Keys pressed after the first look-up; a string waits for a window of that name to open
# (and then to close again at the next step).
WAYS_BACK = [
    ("Alt, then Escape", ["alt", "Escape"]),
    ("Alt+S, Escape twice", ["alt+s", "Escape", "Escape"]),
    ("Settings > Background by keyboard, then Escape", ["alt+s", "Return", ": Background$",
                                                        "Escape"]),
    ("About by Alt+A, closed with Return", ["alt+a", "^About Vorn", "Return"]),
    ("Help by F1, closed with Escape", ["F1", ": Help$", "Escape"]),
    ("the Super key", ["super"]),
]


def run(arguments, session):
    window = vorn_e2e.MainWindow(arguments, session)
    first, second = arguments.calls[:2]
    checks = 0
    for name, steps in WAYS_BACK:
        log(f"-- {name}")
        window.look_up(first)
        for step in steps:
            if step[0] in "^:":
                found = xdotool(arguments, "search", "--sync", "--onlyvisible", "--name", step)
                xdotool(arguments, "windowactivate", "--sync", found.split()[0])
            else:
                xdotool(arguments, "key", "--delay", "100", step)
        window.wait_for_focus()
        window.look_up(second)
        checks += 1
    window.choose_exit()
    return checks + 1


if __name__ == "__main__":
    sys.exit(vorn_e2e.main(vorn_e2e.parse_arguments(__doc__), run, __file__))
