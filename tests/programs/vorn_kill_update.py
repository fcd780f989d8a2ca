#!/usr/bin/python3
"""Kills Vorn with SIGKILL at many moments of an update and checks that its data survive.

A web server in this script publishes newer data and trickles the data files, so that an
update at start-up takes a few seconds: the check, the backup copies, the transfers, the header
strips and the files taking their names. The publication re-codes the entity of W1AW (K becomes
KZ in all three files), so that a country file beside a bureau file of the other publication
answers "unknown" for it. For a series of moments across that time, and once right after each
step of putting the files in place (the program names the steps on standard error and pauses
there when VORN_TEST_INSTALL_PAUSE is set), the test prepares a fresh data folder, starts the
program (updates automatic) on a private X display, kills it with SIGKILL, and then checks what
a ham's next start finds: the program starts with updates off without an error box and ends
normally on SIGTERM, writing its settings; after it the data files are all of one publication
and answer real calls (vorn-lookup reads them with the program's own loaders). It prints which
files the folder held at each kill, and how many kills left files of two publications side by
side, before and after the next start. Exit status 0 when every check held.
"""

import argparse
import hashlib
import http.server
import os
import queue
import shutil
import signal
import socketserver
import subprocess
import sys
import tempfile
import threading
import time

from xsession import Failure, start_xvfb

CALLS = ("DL1ABC", "W1AW", "VK2ABC", "JA1ABC")



def log(message):
    print(f"[kill] {message}", flush=True)


DATA_FILES = ("country.asc", "vorn.asc", "calls.asc")


def recoded(shipped):
    """The shipped files with the entity code K (the United States) written KZ: a publication
    whose country file does not fit the bureau file of the other."""
    files = {}
    for name in DATA_FILES:
        with open(os.path.join(shipped, name), "rb") as f:
            lines = f.read().split(b"\r\n")
        for i, line in enumerate(lines):
            words = line.split(b" ")
            if name == "vorn.asc" and line.startswith(b"K     "):
                lines[i] = b"KZ    " + line[6:]
            elif name != "vorn.asc" and len(words) == 3 and words[2] == b"K":
                lines[i] = b" ".join(words[:2] + [b"KZ"])
        files[name] = b"\r\n".join(lines)
    return files


def update_information(version, files):
    lines = [str(version), "302"]
    lines += [f"{name} {len(files[name])} {hashlib.sha256(files[name]).hexdigest()}"
              for name in DATA_FILES]
    return "".join(line + "\r\n" for line in lines).encode()


def trickling_handler(files, version, seconds_per_file):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def do_GET(self):
            name = self.path.rsplit("/", 1)[-1]
            if self.path == "/files/vorn_update.asc":
                body = update_information(version, files)
            elif self.path in (f"/files/{n}" for n in DATA_FILES):
                body = files[name]
            else:
                self.send_error(404)
                return
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            pieces = 40 if name != "vorn_update.asc" else 1
            step = -(-len(body) // pieces)
            try:
                for at in range(0, len(body), step):
                    self.wfile.write(body[at:at + step])
                    self.wfile.flush()
                    if pieces > 1:
                        time.sleep(seconds_per_file / pieces)
            except (BrokenPipeError, ConnectionResetError):
                pass

        def log_message(self, *args):
            pass

    return Handler


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def prepare(folder, shipped, settings):
    os.makedirs(folder)
    for name in DATA_FILES:
        shutil.copy(os.path.join(shipped, name), folder)
    with open(os.path.join(folder, "vorn.set"), "wb") as f:
        f.write(settings)


def publications(folder, old, new):
    """Which publication each data file is of: "old", "new" or "other"."""
    held = {}
    for name in DATA_FILES:
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        held[name] = "old" if data == old[name] else "new" if data == new[name] else "other"
    return held


def check_data(lookup, folder, moment):
    result = subprocess.run([lookup, "-C", folder, *CALLS], capture_output=True, text=True,
                            timeout=30)
    if result.returncode != 0 or result.stderr.strip():
        raise Failure(f"at {moment}: vorn-lookup says {result.stderr.strip()!r} "
                      f"(status {result.returncode})")
    for line in result.stdout.splitlines():
        if line.split("\t")[1] == "unknown":
            raise Failure(f"at {moment}: the data answer 'unknown': {line!r}")


def error_box_shown(xdotool, display):
    found = subprocess.run([xdotool, "search", "--name", "^(Error|Warning)$"],
                           env=dict(os.environ, DISPLAY=display), capture_output=True)
    return found.returncode == 0 and found.stdout.strip() != b""


def run_once(arguments, environment, folder, display, kill, moment):
    """One start killed by kill(vorn), then the next start; the problems found."""
    problems = []
    prepare(folder, arguments.files, b"BM\r\nUA\r\nCN\r\nN5\r\nR\r\n")
    vorn = subprocess.Popen([arguments.vorn], cwd=folder, env=environment,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    reached = kill(vorn)
    vorn.send_signal(signal.SIGKILL)
    vorn.wait(timeout=30)
    held = tuple(sorted(n for n in os.listdir(folder) if n != "vorn.set"))

    # The next start, with updates off: it must load the data and show no error. Ended by
    # SIGTERM, it writes its settings in full, as Exit does.
    after_kill = publications(folder, arguments.old, arguments.new)
    # Its number is above the heading of any vorn.asc in the folder, which would raise it.
    with open(os.path.join(folder, "vorn.set"), "wb") as f:
        f.write(b"UN\r\nN2025093050\r\n")
    next_environment = dict(environment)
    next_environment.pop("VORN_TEST_INSTALL_PAUSE", None)
    vorn = subprocess.Popen([arguments.vorn], cwd=folder, env=next_environment,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.5)
    if error_box_shown(arguments.xdotool, display):
        problems.append("the next start shows an error box")
    vorn.send_signal(signal.SIGTERM)
    try:
        status = vorn.wait(timeout=30)
    except subprocess.TimeoutExpired:
        vorn.kill()
        status = "none (killed)"
    if status != 0:
        problems.append(f"the next start ended with status {status}")
    with open(os.path.join(folder, "vorn.set"), "rb") as f:
        written = f.read()
    if written != b"BM\r\nUN\r\nCN\r\nN2025093050\r\nR\r\n":
        problems.append(f"SIGTERM left vorn.set as {written!r}")
    after_start = publications(folder, arguments.old, arguments.new)
    try:
        check_data(arguments.lookup, folder, moment)
    except Failure as failure:
        problems.append(str(failure))
    log(f"killed {moment}{reached}; held {', '.join(held)}; country/vorn/calls "
        f"{'/'.join(after_kill.values())}, after the next start {'/'.join(after_start.values())}")
    return after_kill, after_start, held, problems


def mixed(held, names):
    return len({held[name] for name in names}) > 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--vorn", required=True, help="vorn built to take VORN_TEST_UPDATE_PEER")
    parser.add_argument("--lookup", required=True)
    parser.add_argument("--files", required=True, help="the shipped data files")
    parser.add_argument("--xvfb", default="Xvfb")
    parser.add_argument("--xdotool", default="xdotool")
    parser.add_argument("--moments", type=int, default=24, help="how many timed kill moments")
    parser.add_argument("--steps", type=int, default=5,
                        help="how many kills right after a step of putting the files in place")
    parser.add_argument("--seconds-per-file", type=float, default=2.0)
    arguments = parser.parse_args()

    arguments.old = {}
    for name in DATA_FILES:
        with open(os.path.join(arguments.files, name), "rb") as f:
            arguments.old[name] = f.read()
    arguments.new = recoded(arguments.files)
    server = Server(("127.0.0.1", 0), trickling_handler(arguments.new, 2025093002,
                                                          arguments.seconds_per_file))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    port = server.server_address[1]
    display_process, display = start_xvfb(arguments.xvfb)
    workdir = tempfile.mkdtemp(prefix="vorn-kill-")
    environment = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                       VORN_TEST_UPDATE_PEER=f"127.0.0.1:{port}")
    # The whole update takes about two half-second waits per file, four files, and the
    # trickled transfers; the moments spread over it and a little beyond.
    span = 4 * 1.0 + 3 * arguments.seconds_per_file + 1.5
    runs = []
    try:
        for i in range(arguments.moments):
            moment = round(0.2 + span * i / (arguments.moments - 1), 2)

            def after_a_while(vorn, moment=moment):
                time.sleep(moment)
                return ""
            runs.append(run_once(arguments, environment, os.path.join(workdir, f"run{i}"),
                                 display, after_a_while, f"at {moment:.2f} s"))

        # Right after each step of putting the files in place, where the program pauses.
        paused = dict(environment, VORN_TEST_INSTALL_PAUSE="1500")
        for step in range(arguments.steps):
            def after_step(vorn, step=step):
                lines = queue.Queue()
                threading.Thread(target=lambda: [lines.put(line) for line in vorn.stderr],
                                 daemon=True).start()
                deadline = time.monotonic() + span + 30
                named = 0
                while time.monotonic() < deadline:
                    try:
                        line = lines.get(timeout=0.5)
                    except queue.Empty:
                        continue
                    if b"install step:" in line:
                        if named == step:
                            return " after " + line.decode().split("install step:")[1].strip()
                        named += 1
                return " (the step was not reached)"
            runs.append(run_once(arguments, paused, os.path.join(workdir, f"step{step}"), display,
                                 after_step, f"at step {step + 1}"))

        seen = {held for _, _, held, _ in runs}
        steps = {"a file arriving": ".part", "the header being cut": "vorn_file.",
                 "a backup copy made": "_old.asc", "a file staged": ".new",
                 "an installation under way": "vorn_install.jnl"}
        for step, mark in steps.items():
            hit = any(any(mark in name for name in held) for held in seen)
            log(f"{step}: {'hit' if hit else 'not hit'}")
        pair = ("country.asc", "vorn.asc")
        log(f"{len(runs)} kills; country.asc and vorn.asc of two publications: "
            f"{sum(mixed(k, pair) for k, _, _, _ in runs)} right after the kill, "
            f"{sum(mixed(s, pair) for _, s, _, _ in runs)} after the next start; "
            f"all three data files of one publication after the next start: "
            f"{sum(not mixed(s, DATA_FILES) for _, s, _, _ in runs)}")
        problems = [p for _, _, _, found in runs for p in found]
        problems += [f"run {i}: data files of two publications after the next start"
                     for i, (_, s, _, _) in enumerate(runs) if mixed(s, DATA_FILES)]
        if problems:
            raise Failure(f"{len(problems)} problems: " + "; ".join(problems[:6]))
        log(f"passed: {len(runs)} kills, data sound and of one publication after each")
        return 0
    except Failure as failure:
        log(f"FAILED: {failure}")
        return 1
    finally:
        server.shutdown()
        display_process.terminate()
        display_process.wait()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
