"""What the tests of the real program under X share: a private Xvfb display, waiting for a
condition, and the failure they report."""

import os
import subprocess
import time


class Failure(Exception):
    """A check that did not hold; the message says what was expected and what was seen."""


def wait_for(what, condition, timeout=20.0, interval=0.1):
    """Polls condition() until it gives something true, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def start_xvfb(xvfb, *options):
    """Starts Xvfb at 1024x768 on a display it picks itself, and gives the process and the
    display (":N") once the server is ready for clients."""
    read_end, write_end = os.pipe()
    # -displayfd: Xvfb picks a free display itself and writes its number when ready.
    process = subprocess.Popen(
        [xvfb, "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
         *options],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as reader:
        while not number.endswith(b"\n"):
            chunk = reader.read(1)
            if not chunk:
                break
            number += chunk
    if not number.strip():
        process.kill()
        process.wait()
        raise Failure("Xvfb did not start")
    return process, ":" + number.decode().strip()
