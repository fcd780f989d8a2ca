#!/usr/bin/python3
"""One Vorn per data folder, with real processes under a window manager on a private display.

1. Vorn A starts on a data folder and holds it (vorn.lock).
2. A's main window is minimised; Vorn B, started on the same folder without arguments, ends at
   once and A's main window is shown and active again.
3. Vorn C, started by the launcher from a folder of logs with two log names relative to it (as a
   file manager's double-click or a shell does), ends at once; A opens each log in a Sort log
   window of its own.
   Later starts with ten logs and with eleven each open ten more windows; the eleventh log is
   named in a message instead.
4. Vorn D on another data folder runs beside A with its own main window.
5. A is killed with SIGKILL; Vorn E on its folder starts normally on the lock A left, and ends
   normally on SIGTERM.

Exit status 0 when every check held.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from xsession import Failure, start_xvfb, wait_for

MAIN_WINDOW = "^Vorn v[0-9.]+$"
LOG = (b"<ADIF_VER:5>3.1.4<EOH>\r\n<CALL:6>DL1ABC<QSL_SENT:1>Q<EOR>\r\n"
       b"<CALL:4>W1AW<QSL_SENT:1>Q<EOR>\r\n")
ADX = (b'<?xml version="1.0"?><ADX><HEADER/><RECORDS><RECORD><CALL>VK2ABC</CALL>'
       b"</RECORD></RECORDS></ADX>\n")



def log(message):
    print(f"[two starts] {message}", flush=True)


class Desktop:
    """Xvfb and openbox, each ended again by its own process id."""

    def __init__(self, arguments, workdir):
        self.arguments = arguments
        self.processes = []
        xvfb, display = start_xvfb(arguments.xvfb)
        self.processes.append(xvfb)
        os.environ["DISPLAY"] = display
        ready = os.path.join(workdir, "openbox-ready")
        self.processes.append(subprocess.Popen(
            [arguments.openbox, "--sm-disable", "--startup", f"touch {ready}"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for("openbox", lambda: os.path.exists(ready))

    def xdotool(self, *args, check=True):
        result = subprocess.run([self.arguments.xdotool, *args], capture_output=True, timeout=30)
        if check and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(args)}: {result.stderr.decode().strip()}")
        return result.stdout.decode().split()

    def visible(self, name):
        return self.xdotool("search", "--onlyvisible", "--name", name, check=False)

    def active_window(self):
        found = self.xdotool("getactivewindow", check=False)
        return found[0] if found else None

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                process.wait(timeout=10)


STARTED = []  # every program this test started, ended at the end by its process id


def start(arguments, folder, *logs, launcher=False, cwd=None):
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
    if launcher:
        env.update(XDG_DATA_HOME=os.path.dirname(folder), VORN_PROGRAM=arguments.vorn)
        command = [arguments.launcher, *logs]
    else:
        command = [arguments.vorn, *logs]
    process = subprocess.Popen(command, cwd=cwd or folder, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE)
    STARTED.append(process)
    return process


def ends_at_once(process, what):
    try:
        status = process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        process.kill()
        raise Failure(f"{what} did not end") from None
    if status != 0:
        raise Failure(f"{what} ended with status {status}: {process.stderr.read().decode()}")


def run(arguments, workdir, desktop):
    folder = os.path.join(workdir, "data", "vorn")
    other = os.path.join(workdir, "other", "vorn")
    for target in (folder, other):
        os.makedirs(target)
        for name in ("country.asc", "vorn.asc"):
            shutil.copy(os.path.join(arguments.files, name), target)

    first = start(arguments, folder)
    main = wait_for("A's main window", lambda: desktop.visible(MAIN_WINDOW))
    if len(main) != 1:
        raise Failure(f"{len(main)} main windows after one start")
    main = main[0]
    if not os.path.exists(os.path.join(folder, "vorn.lock")):
        raise Failure("A holds no lock file")
    log(f"A runs (process {first.pid}, window {main}) and holds vorn.lock")

    desktop.xdotool("windowminimize", "--sync", main)
    ends_at_once(start(arguments, folder), "B, started without logs")
    wait_for("A's main window to come back", lambda: main in desktop.visible(MAIN_WINDOW))
    wait_for("A's main window to be active", lambda: desktop.active_window() == main)
    log("B ended at once; A's main window is back in front")

    logs = os.path.join(workdir, "my logs")
    os.makedirs(logs)
    with open(os.path.join(logs, "my log.adi"), "wb") as f:
        f.write(LOG)
    with open(os.path.join(logs, "contest.adx"), "wb") as f:
        f.write(ADX)
    ends_at_once(start(arguments, folder, "my log.adi", "contest.adx", launcher=True, cwd=logs),
                 "C, started by the launcher with two logs")
    for name in ("my log.adi", "contest.adx"):
        wait_for(f"a Sort log window with {name}",
                 lambda name=name: desktop.visible(f"Sort log - {name}$"))
    if first.poll() is not None:
        raise Failure(f"A ended with status {first.returncode}")
    log("C ended at once; A opened both logs, each in a Sort log window")

    for count in (10, 11):
        given = [f"{count} {i}.adi" for i in range(count)]
        for name in given:
            shutil.copy(os.path.join(logs, "my log.adi"), os.path.join(logs, name))
        ends_at_once(start(arguments, folder, *given, launcher=True, cwd=logs),
                     f"a start with {count} logs")
        wait_for(f"the windows of a start with {count} logs",
                 lambda: desktop.visible(f"Sort log - {count} 9.adi$"))
        time.sleep(1)
        opened = sum(1 for name in given if desktop.visible(f"Sort log - {name}$"))
        named = desktop.visible("^Information$")
        if opened != 10 or bool(named) != (count > 10):
            raise Failure(f"{count} logs opened {opened} windows, {len(named)} messages")
        for box in named:
            desktop.xdotool("windowactivate", "--sync", box)
            desktop.xdotool("key", "Return")
    log("ten logs opened ten windows; eleven opened ten and named the last")

    beside = start(arguments, other)
    wait_for("D's main window beside A's", lambda: len(desktop.visible(MAIN_WINDOW)) == 2)
    beside.send_signal(signal.SIGTERM)
    ends_at_once(beside, "D, on SIGTERM")
    log("D ran beside A on another folder")

    first.send_signal(signal.SIGKILL)
    first.wait(timeout=10)
    wait_for("A's windows to go", lambda: not desktop.visible(MAIN_WINDOW))
    after = start(arguments, folder)
    wait_for("E's main window on the folder A held", lambda: desktop.visible(MAIN_WINDOW))
    time.sleep(0.5)
    if after.poll() is not None:
        raise Failure(f"E ended with status {after.returncode}: {after.stderr.read().decode()}")
    after.send_signal(signal.SIGTERM)
    ends_at_once(after, "E, on SIGTERM")
    log("A killed; E started on the lock A left and ended normally")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--vorn", required=True)
    parser.add_argument("--launcher", required=True, help="vorn-start of the build tree")
    parser.add_argument("--files", required=True, help="the shipped data files")
    parser.add_argument("--xvfb", default="Xvfb")
    parser.add_argument("--xdotool", default="xdotool")
    parser.add_argument("--openbox", default="openbox")
    arguments = parser.parse_args()
    arguments.vorn = os.path.abspath(arguments.vorn)

    workdir = tempfile.mkdtemp(prefix="vorn-two-")
    runtime = os.path.join(workdir, "runtime")
    os.makedirs(runtime, mode=0o700)
    os.environ.update(XDG_RUNTIME_DIR=runtime, HOME=workdir)
    desktop = None
    try:
        desktop = Desktop(arguments, workdir)
        run(arguments, workdir, desktop)
        log("passed")
        return 0
    except Failure as failure:
        log(f"FAILED: {failure}")
        return 1
    finally:
        for process in STARTED:
            if process.poll() is None:
                process.kill()
                process.wait()
        if desktop is not None:
            desktop.stop()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
