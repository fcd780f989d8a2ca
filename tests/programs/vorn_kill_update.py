#!/usr/bin/python3
"""Kills Vorn with SIGKILL at many moments of an update and checks that its data survive.

A web server in this script publishes newer data and trickles both data files, so that an
update at start-up takes a few seconds: the check, the backup copy, the transfer, the header
strip and the replacement of each file. For a series of moments across that time, the test
prepares a fresh data folder, starts the program (updates automatic) on a private X display,
kills it with SIGKILL at that moment, and then checks what a ham's next start finds:
both data files load as sound data files and answer real calls (vorn-lookup reads them with the
program's own loaders), and the program starts on them with updates off without an error box
and ends normally on SIGTERM, writing its settings. It prints which files the folder held at each kill, to show which steps were
hit. Exit status 0 when every check held.
"""

import argparse
import http.server
import os
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


def trickling_handler(files, version, seconds_per_file):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def do_GET(self):
            name = self.path.rsplit("/", 1)[-1]
            if self.path == "/files/vorn_update.asc":
                body = f"{version}\r\n302\r\n".encode()
            elif self.path in ("/files/country.asc", "/files/vorn.asc"):
                with open(os.path.join(files, name), "rb") as f:
                    body = f.read()
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
    for name in ("country.asc", "vorn.asc"):
        shutil.copy(os.path.join(shipped, name), folder)
    with open(os.path.join(folder, "vorn.set"), "wb") as f:
        f.write(settings)


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


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--vorn", required=True, help="vorn built to take VORN_TEST_UPDATE_PEER")
    parser.add_argument("--lookup", required=True)
    parser.add_argument("--files", required=True, help="the shipped data files")
    parser.add_argument("--xvfb", default="Xvfb")
    parser.add_argument("--xdotool", default="xdotool")
    parser.add_argument("--moments", type=int, default=12, help="how many kill moments")
    parser.add_argument("--seconds-per-file", type=float, default=2.0)
    arguments = parser.parse_args()

    server = Server(("127.0.0.1", 0), trickling_handler(arguments.files, 2025093001,
                                                          arguments.seconds_per_file))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    port = server.server_address[1]
    display_process, display = start_xvfb(arguments.xvfb)
    workdir = tempfile.mkdtemp(prefix="vorn-kill-")
    environment = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                       VORN_TEST_UPDATE_PEER=f"127.0.0.1:{port}")
    # The whole update takes about two half-second waits per file, three files, and the
    # trickled transfers; the moments spread over it and a little beyond.
    span = 3 * 1.0 + 2 * arguments.seconds_per_file + 1.0
    seen = set()
    try:
        for i in range(arguments.moments):
            moment = round(0.2 + span * i / (arguments.moments - 1), 2)
            folder = os.path.join(workdir, f"run{i}")
            prepare(folder, arguments.files, b"BM\r\nUA\r\nCN\r\nN5\r\nR\r\n")
            vorn = subprocess.Popen([arguments.vorn], cwd=folder, env=environment,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(moment)
            vorn.send_signal(signal.SIGKILL)
            vorn.wait(timeout=30)
            held = tuple(sorted(n for n in os.listdir(folder) if n != "vorn.set"))
            seen.add(held)
            log(f"killed at {moment:.2f} s; the folder held {', '.join(held)}")
            check_data(arguments.lookup, folder, f"{moment:.2f} s")

            # The next start, with updates off: it must load the data and show no error. Ended
            # by SIGTERM, it writes its settings in full, as Exit does.
            # Its number is above the heading of any vorn.asc in the folder, which would raise it.
            with open(os.path.join(folder, "vorn.set"), "wb") as f:
                f.write(b"UN\r\nN2025093050\r\n")
            vorn = subprocess.Popen([arguments.vorn], cwd=folder, env=environment,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            time.sleep(1.0)
            if error_box_shown(arguments.xdotool, display):
                vorn.kill()
                raise Failure(f"at {moment:.2f} s: the next start shows an error box")
            vorn.send_signal(signal.SIGTERM)
            status = vorn.wait(timeout=30)
            if status != 0:
                raise Failure(f"at {moment:.2f} s: the next start ended with status {status}")
            with open(os.path.join(folder, "vorn.set"), "rb") as f:
                written = f.read()
            if written != b"BM\r\nUN\r\nCN\r\nN2025093050\r\nR\r\n":
                raise Failure(f"at {moment:.2f} s: SIGTERM left vorn.set as {written!r}")
        steps = {"a file arriving": ".part", "the header being cut": "vorn_file.",
                 "a backup copy made": "_old.asc"}
        for step, mark in steps.items():
            hit = any(any(mark in name for name in held) for held in seen)
            log(f"{step}: {'hit' if hit else 'not hit'}")
        log(f"passed: {arguments.moments} kills, data sound after each")
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
