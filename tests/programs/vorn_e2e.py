#!/usr/bin/python3
"""End-to-end test of the vorn program, driven as a user with a screen reader drives it.

Starts the real program on a private X display (Xvfb) with a private D-Bus session and the
AT-SPI accessibility bus, in a fresh directory that holds the shipped data and help files.
Types calls with xdotool, presses Return, reads the three answers back through the
accessibility tree, compares them with what vorn-lookup prints for the same calls, chooses
"Exit" through the accessibility action of the menu, and checks the settings file the program
leaves behind. With --screenshot it also saves a picture of the main window showing the first
answer.

With --keyboard, under a window manager (--window-manager openbox), it also leaves the call
field after a look-up in each way of KEYBOARD_WAYS and comes back: the next call typed must
replace the looked-up one, not be joined to it.

With --qslinfo-service it also runs the stand-in QSL information service on a free loopback
port, starts the program (a build that asks that port) with the service set to query after
every look-up, reads each call's answer in the query window, and checks that the service
accepted every request as valid SOAP. Then it stops the service and types the calls once more:
each is looked up as before, and the query window says that its query failed.

Run it with the system Python (/usr/bin/python3): pyatspi comes from the Debian package
python3-pyatspi. Exit status 0 when every check passed, 1 otherwise.
"""

import argparse
import importlib.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from xsession import Failure, start_xvfb, wait_for

DATA_FILES = ("country.asc", "vorn.asc", "vorn.hlp")
# Settings a first run writes on exit: defaults, lines ended by CR LF, and the data version that
# the heading of the shipped vorn.asc names.
FIRST_RUN_SETTINGS = b"BM\r\nUN\r\nCN\r\nN%d\r\nR\r\n"
DATA_VERSION_HEADING = b"Vorn QSL bureaus, data "
# The answer labels describe themselves by the caption beside them.
ANSWER_CAPTIONS = ("Sort QSL under", "QSL bureau", "DXCC / WAE")
# The line below the three answers, for portable and guest calls.
FOURTH_LINE = "Home call and location"
SESSION_MARK = "VORN_E2E_PRIVATE_SESSION"
# The QSL information service is queried after every look-up ("CA"); the rest are defaults.
AUTO_QUERY_SETTINGS = b"BM\r\nUN\r\nCA\r\nN0\r\nR\r\n"
MEMO_NAME = "QSL information"
# Keys that take the focus from the call field and give it back; a step starting with ^ or :
# waits for a window of that name (a dialog) to open.
KEYBOARD_WAYS = [
    ("Alt, then Escape", ["alt", "Escape"]),
    ("Alt+S, Escape twice", ["alt+s", "Escape", "Escape"]),
    ("Settings > Background, then Escape", ["alt+s", "Return", ": Background$", "Escape"]),
    ("About by Alt+A, closed with Return", ["alt+a", "^About Vorn", "Return"]),
    ("Help by F1, closed with Escape", ["F1", ": Help$", "Escape"]),
    ("the Super key", ["super"]),
]



def log(message):
    print(f"[e2e] {message}", flush=True)


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--vorn", required=True, help="the vorn program")
    parser.add_argument("--lookup", required=True, help="the vorn-lookup program")
    parser.add_argument("--files", required=True,
                        help="folder with the shipped country.asc, vorn.asc and vorn.hlp")
    parser.add_argument("--xvfb", default="Xvfb", help="the Xvfb program")
    parser.add_argument("--xdotool", default="xdotool", help="the xdotool program")
    parser.add_argument("--dbus-run-session", default="dbus-run-session",
                        help="the dbus-run-session program")
    parser.add_argument("--bus-launcher", default="/usr/libexec/at-spi-bus-launcher",
                        help="at-spi-bus-launcher of at-spi2-core")
    parser.add_argument("--import-program", default="import",
                        help="ImageMagick's import, for --screenshot")
    parser.add_argument("--screenshot", help="save a picture of the main window here")
    parser.add_argument("--window-manager", help="run this window manager (openbox) first")
    parser.add_argument("--keyboard", action="store_true",
                        help="leave the call field by keyboard between the first two calls")
    parser.add_argument("--keep", action="store_true", help="keep the working folder")
    parser.add_argument("--qslinfo-service",
                        help="the stand-in qslinfo_service.py; --vorn must then be the build "
                             "that takes its peer from VORN_TEST_QSLINFO_PEER")
    parser.add_argument("calls", nargs="*", default=["DL1ABC", "w1aw"],
                        help="calls to type, as typed (default: DL1ABC w1aw)")
    return parser.parse_args()


def require_program(path, what):
    found = shutil.which(path)
    if not found:
        raise Failure(f"{what} not found ({path}); the install script installs it")
    return found


def in_private_session(arguments):
    """Runs this script again inside its own D-Bus session, which ends with it."""
    runner = require_program(arguments.dbus_run_session, "dbus-run-session (dbus)")
    env = dict(os.environ)
    env[SESSION_MARK] = "1"
    command = [runner, "--", sys.executable, os.path.abspath(__file__)] + sys.argv[1:]
    return subprocess.call(command, env=env)


class Session:
    """The processes the test starts, each ended again by its own id."""

    def __init__(self, arguments, workdir):
        self.arguments = arguments
        self.workdir = workdir
        self.xvfb = None
        self.window_manager = None
        self.launcher = None
        self.vorn = None
        self.service = None
        self.service_peer = None
        self.display = None
        self.service_log = os.path.join(workdir, "qslinfo-log.txt")
        self.vorn_log = os.path.join(workdir, "vorn-output.txt")
        # The accessibility bus puts its socket here rather than in the user's home.
        self.runtime = os.path.join(workdir, "runtime")
        os.makedirs(self.runtime, mode=0o700, exist_ok=True)
        os.environ["XDG_RUNTIME_DIR"] = self.runtime

    def start_display(self):
        xvfb = require_program(self.arguments.xvfb, "Xvfb (xvfb)")
        self.xvfb, self.display = start_xvfb(xvfb, "-noreset")
        os.environ["DISPLAY"] = self.display
        log(f"Xvfb on display {self.display}")

    def start_window_manager(self, program):
        ready = os.path.join(self.workdir, "window-manager-ready")
        # Openbox runs its --startup command once it manages the display.
        self.window_manager = subprocess.Popen(
            [require_program(program, program), "--sm-disable", "--startup", f"touch {ready}"],
            start_new_session=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(f"{program} to start", lambda: os.path.exists(ready), timeout=15)

    def start_accessibility_bus(self):
        launcher = require_program(self.arguments.bus_launcher, "at-spi-bus-launcher (at-spi2-core)")
        # Its own process group, so the accessibility bus and registry it spawns end with it.
        self.launcher = subprocess.Popen([launcher, "--launch-immediately"],
                                         start_new_session=True,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the accessibility bus", accessibility_bus_address, timeout=15)

    def start_service(self):
        """Starts the stand-in service on a free loopback port; its log goes to a file."""
        with open(self.service_log, "wb") as errors:
            self.service = subprocess.Popen(
                [sys.executable, self.arguments.qslinfo_service, "--bind", "127.0.0.1",
                 "--port", "0"], stdout=subprocess.PIPE, stderr=errors)
        # "qslinfo: serving http://127.0.0.1:PORT/qslinfo.asmx from ..."
        line = self.service.stdout.readline().decode()
        if "serving http://" not in line:
            raise Failure(f"the QSL information service did not start: {line!r}\n"
                          f"{self.service_output()}")
        self.service_peer = line.split("http://")[1].split("/")[0]
        log(f"QSL information service on {self.service_peer}")

    def stop_service(self):
        self.service.terminate()
        self.service.wait()

    def service_output(self):
        try:
            with open(self.service_log, "rb") as output:
                return output.read().decode("utf-8", "replace")
        except OSError:
            return ""

    def start_vorn(self):
        env = dict(os.environ)
        if self.service_peer:
            env["VORN_TEST_QSLINFO_PEER"] = self.service_peer
        env.update({
            "QT_QPA_PLATFORM": "xcb",
            "QT_ACCESSIBILITY": "1",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "HOME": self.workdir,
            "LC_ALL": "C.UTF-8",
        })
        with open(self.vorn_log, "wb") as output:
            self.vorn = subprocess.Popen([os.path.abspath(self.arguments.vorn)], cwd=self.workdir,
                                         env=env, stdout=output, stderr=subprocess.STDOUT)
        log(f"vorn started, process {self.vorn.pid}")

    def vorn_output(self):
        try:
            with open(self.vorn_log, "rb") as output:
                return output.read().decode("latin-1")
        except OSError:
            return ""

    def stop(self):
        if self.vorn is not None and self.vorn.poll() is None:
            self.vorn.kill()
            self.vorn.wait()
        if self.service is not None and self.service.poll() is None:
            self.service.terminate()
            self.service.wait()
        for group in (self.launcher, self.window_manager):
            if group is not None and group.poll() is None:
                os.killpg(group.pid, signal.SIGTERM)
                try:
                    group.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    os.killpg(group.pid, signal.SIGKILL)
                    group.wait()
        if self.xvfb is not None and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()


def accessibility_bus_address():
    """The address of the AT-SPI bus once at-spi-bus-launcher owns its name, else None."""
    from gi.repository import Gio, GLib
    try:
        bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        reply = bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                              None, GLib.VariantType.new("(s)"), Gio.DBusCallFlags.NONE, 2000, None)
        return reply.unpack()[0]
    except GLib.Error:
        return None


class ScreenReader:
    """Reads the program through the accessibility tree, as a screen reader does."""

    def __init__(self):
        try:
            import pyatspi
        except ImportError as error:
            raise Failure(f"pyatspi is missing ({error}); install python3-pyatspi and run "
                          "this script with /usr/bin/python3") from error
        self.pyatspi = pyatspi

    def application(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.name == "Vorn":
                return app
        return None

    def main_frame(self, app):
        for index in range(app.childCount):
            child = app.getChildAtIndex(index)
            if child is not None and child.name.startswith("Vorn v") and \
                    not child.name.endswith(" query"):
                return child
        return None

    def query_frame(self, app):
        for index in range(app.childCount):
            child = app.getChildAtIndex(index)
            if child is not None and child.name.startswith("Vorn v") and \
                    child.name.endswith(" query"):
                return child
        return None

    def find(self, root, predicate):
        return self.pyatspi.findDescendant(root, lambda acc: acc is not None and predicate(acc))

    def fresh_name(self, accessible):
        accessible.clearCache()
        return accessible.name

    def text_of(self, accessible):
        accessible.clearCache()
        text = accessible.queryText()
        return text.getText(0, -1)

    def is_focused(self, accessible):
        accessible.clearCache()
        return accessible.getState().contains(self.pyatspi.STATE_FOCUSED)

    def press(self, accessible):
        """Runs the accessible's press action and gives the action names it offers."""
        action = accessible.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        preferred = [i for i, name in enumerate(names)
                     if name.lower() in ("press", "click", "activate", "trigger")]
        index = preferred[0] if preferred else 0
        if action.nActions == 0:
            raise Failure(f"'{accessible.name}' offers no action")
        try:
            action.doAction(index)
        except Exception as error:  # the program may end before it answers
            log(f"no answer to the action ({error.__class__.__name__}); the program may be gone")
        return names


def expected_answers(lookup, workdir, call):
    """vorn-lookup's answer for the call: (call as held, sort, bureau, entity)."""
    result = subprocess.run([os.path.abspath(lookup), "-C", workdir, "--", call],
                            capture_output=True, check=False)
    if result.returncode != 0:
        raise Failure(f"vorn-lookup {call} failed with status {result.returncode}: "
                      f"{result.stderr.decode('latin-1')}")
    line = result.stdout.decode("latin-1").rstrip("\n")
    fields = line.split("\t")
    if len(fields) != 4:
        raise Failure(f"vorn-lookup printed an unexpected line: {line!r}")
    return tuple(fields)


def expected_fourth_line(lookup, workdir, call):
    """vorn-lookup --portable's two more columns: (home route, location), each maybe empty."""
    result = subprocess.run([os.path.abspath(lookup), "-C", workdir, "--portable", "--", call],
                            capture_output=True, check=False)
    fields = result.stdout.decode("latin-1").rstrip("\n").split("\t")
    if result.returncode != 0 or len(fields) != 6:
        raise Failure(f"vorn-lookup --portable {call} failed: {result.stdout!r} "
                      f"{result.stderr.decode('latin-1')}")
    return tuple(fields[4:])


def xdotool(arguments, *args):
    program = require_program(arguments.xdotool, "xdotool")
    result = subprocess.run([program, *args], capture_output=True, check=False, timeout=30)
    if result.returncode != 0:
        raise Failure(f"xdotool {' '.join(args)} failed: {result.stderr.decode()}")
    return result.stdout.decode().strip()


def save_screenshot(arguments, window_id, target):
    program = require_program(arguments.import_program, "ImageMagick's import (imagemagick)")
    target = os.path.abspath(target)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    # Under a window manager the picture takes in the window's frame.
    frame = ["-frame"] if arguments.window_manager else []
    result = subprocess.run([program, "-display", os.environ["DISPLAY"], *frame, "-window",
                             window_id, "png:" + target], capture_output=True, check=False,
                            timeout=30)
    if result.returncode != 0 or not os.path.isfile(target):
        raise Failure(f"import failed: {result.stderr.decode()}")
    log(f"screenshot saved as {target}")


def require_python_modules():
    for module in ("gi", "pyatspi"):
        if importlib.util.find_spec(module) is None:
            raise Failure(f"Python module {module} is missing from {sys.executable}; install "
                          "python3-pyatspi and run this script with /usr/bin/python3")


def run(arguments, session):
    checks = 0
    # Checked before anything starts; pyatspi itself is imported once the bus is up.
    require_python_modules()
    session.start_display()
    if arguments.window_manager:
        session.start_window_manager(arguments.window_manager)
    session.start_accessibility_bus()
    reader = ScreenReader()
    memo = None
    if arguments.qslinfo_service:
        session.start_service()
        with open(os.path.join(session.workdir, "vorn.set"), "wb") as settings:
            settings.write(b"CA\r\n")
    session.start_vorn()

    def still_running():
        if session.vorn.poll() is not None:
            raise Failure(f"vorn ended early with status {session.vorn.returncode}:\n"
                          f"{session.vorn_output()}")
        return True

    app = wait_for("vorn in the accessibility tree",
                   lambda: still_running() and reader.application(), timeout=30)
    frame = wait_for("the main window", lambda: reader.main_frame(app))
    log(f"main window: '{frame.name}'")
    call_edit = wait_for("the call field", lambda: reader.find(
        frame, lambda acc: acc.name == "Call / Prefix" and
        acc.getState().contains(reader.pyatspi.STATE_EDITABLE)))
    answers = []
    for caption in ANSWER_CAPTIONS:
        answers.append(wait_for(f"the answer '{caption}'", lambda caption=caption: reader.find(
            frame, lambda acc: acc.description == caption and
            acc.getRole() == reader.pyatspi.ROLE_LABEL)))

    fourth_line = wait_for("the fourth line", lambda: reader.find(
        frame, lambda acc: acc.description == FOURTH_LINE and
        acc.getRole() == reader.pyatspi.ROLE_LABEL))

    if arguments.qslinfo_service:
        query = wait_for("the query window", lambda: reader.query_frame(app))
        log(f"query window: '{query.name}', a {query.getRoleName()}")
        # A window of its own, not a part of one.
        if query.getRole() != reader.pyatspi.ROLE_FRAME:
            raise Failure(f"the query window is a {query.getRoleName()}, not a frame")
        memo = wait_for("the answers of the query window",
                        lambda: reader.find(query, lambda acc: acc.name == MEMO_NAME))
        checks += 1

    window_id = xdotool(arguments, "search", "--sync", "--onlyvisible", "--name",
                        "^Vorn v[0-9.]+$")
    window_id = window_id.split()[0]
    xdotool(arguments, "windowactivate" if arguments.window_manager else "windowfocus", "--sync",
            window_id)
    wait_for("the input focus in the call field", lambda: reader.is_focused(call_edit))
    checks += 1

    def look_up(call):
        expected = expected_answers(arguments.lookup, session.workdir, call)
        xdotool(arguments, "type", "--delay", "40", call)
        # Any key empties an answer on screen before the new call is looked up.
        wait_for("the answers to empty", lambda: not any(reader.fresh_name(a) for a in answers))
        try:
            wait_for(f"the call field to hold {expected[0]}",
                     lambda: reader.text_of(call_edit) == expected[0], timeout=10)
        except Failure as failure:
            raise Failure(f"{failure}; it holds {reader.text_of(call_edit)!r}") from None
        xdotool(arguments, "key", "Return")
        def all_answers():
            names = tuple(reader.fresh_name(answer) for answer in answers)
            return names if all(names) else None

        shown = wait_for(f"the answers for {call}", all_answers)
        log(f"typed {call!r}; the screen reader reads: call field {reader.text_of(call_edit)!r}, "
            + ", ".join(f"{caption} {text!r}" for caption, text in zip(ANSWER_CAPTIONS, shown)))
        log(f"vorn-lookup says: {expected!r}")
        if tuple(shown) != tuple(expected[1:]):
            raise Failure(f"answers for {call}: shown {shown!r}, vorn-lookup says {expected[1:]!r}")
        # The fourth line says what vorn-lookup --portable adds, and is empty where it adds nothing.
        home_route, location = expected_fourth_line(arguments.lookup, session.workdir, call)
        fourth = reader.fresh_name(fourth_line) or ""
        log(f"fourth line {fourth!r}; vorn-lookup --portable adds {home_route!r}, {location!r}")
        if bool(fourth) != bool(home_route or location) or home_route not in fourth or \
                location not in fourth:
            raise Failure(f"fourth line for {call}: shown {fourth!r}, vorn-lookup --portable "
                          f"says {home_route!r} and {location!r}")
        return expected[0]

    for way, steps in KEYBOARD_WAYS if arguments.keyboard else []:
        log(f"leaving the call field and coming back: {way}")
        look_up(arguments.calls[0])
        for step in steps:
            if step[0] in "^:":
                xdotool(arguments, "search", "--sync", "--onlyvisible", "--name", step)
            else:
                xdotool(arguments, "key", "--delay", "100", step)
        wait_for("the input focus back in the call field", lambda: reader.is_focused(call_edit))
        look_up(arguments.calls[1])
        checks += 1

    for number, call in enumerate(arguments.calls):
        held = look_up(call)
        checks += 1
        if memo is not None:
            check_query_answer(reader, memo, session, held)
            checks += 1
        if number == 0 and arguments.screenshot:
            time.sleep(0.5)  # let the label repaint reach the X server
            save_screenshot(arguments, window_id, arguments.screenshot)

    if memo is not None:
        # With the service gone, every call is still looked up, and its query reported failed
        # in the query window, not in a box that would take the next call's keys.
        session.stop_service()
        log("the QSL information service is stopped")
        for call in arguments.calls:
            held = look_up(call)
            check_query_failure(reader, memo, held)
            checks += 1

    exit_item = wait_for("the Exit menu item", lambda: reader.find(
        frame, lambda acc: acc.name == "Exit" and acc.getRole() == reader.pyatspi.ROLE_MENU_ITEM))
    names = reader.press(exit_item)
    log(f"pressed 'Exit' (actions offered: {names})")
    try:
        status = session.vorn.wait(timeout=20)
    except subprocess.TimeoutExpired as error:
        raise Failure("vorn did not end after Exit") from error
    if status != 0:
        raise Failure(f"vorn ended with status {status}:\n{session.vorn_output()}")
    checks += 1

    settings_path = os.path.join(session.workdir, "vorn.set")
    if not os.path.isfile(settings_path):
        raise Failure("vorn.set was not written on exit")
    with open(settings_path, "rb") as settings:
        written = settings.read()
    log(f"vorn.set holds {written!r}")
    # The data version the shipped vorn.asc names raises the 0 of the settings file.
    shipped = shipped_data_version(arguments.files)
    expected_settings = (AUTO_QUERY_SETTINGS.replace(b"N0", b"N%d" % shipped)
                         if arguments.qslinfo_service else FIRST_RUN_SETTINGS % shipped)
    if written != expected_settings:
        raise Failure(f"vorn.set holds {written!r}, expected {expected_settings!r}")
    checks += 1
    return checks


def shipped_data_version(files):
    with open(os.path.join(files, "vorn.asc"), "rb") as bureaus:
        for line in bureaus.read().split(b"\r\n"):
            if line.startswith(DATA_VERSION_HEADING):
                return int(line[len(DATA_VERSION_HEADING):])
    raise Failure("the shipped vorn.asc names no data version")


def check_query_answer(reader, memo, session, call):
    """Waits for the service's answer to the call in the query window, and for the service's
    word that it took the request as valid SOAP."""
    header = f"********** {call} **********"

    def answer():
        lines = reader.text_of(memo).split("\n")
        if header not in lines:
            return None
        shown = lines[lines.index(header) + 1:]
        return shown[:shown.index(" ")] if " " in shown else None

    shown = wait_for(f"the answer for {call} in the query window", answer)
    log(f"the query window shows for {call}: {shown!r}")
    served = session.service_output()
    if "fault" in served or f"qslinfo: answered {call} for VORN-anonimous" not in served:
        raise Failure(f"the service did not answer {call} as a valid request:\n{served}")
    # The stand-in credits itself under the host name it was asked by; without an entry for the
    # call, the program says so above that line.
    credit = "(c) " + session.service_peer.split(":")[0]
    if not shown or not shown[-1].startswith(credit):
        raise Failure(f"the answer for {call} does not end with the service's credit: {shown!r}")
    if (shown[0] == "no entry found") != (len(shown) == 2):
        raise Failure(f"'no entry found' does not match the answer for {call}: {shown!r}")


def check_query_failure(reader, memo, call):
    """Waits for the query window's word that the query for the call found no service."""
    failure = f"*** connection to 127.0.0.1 server failed for {call}: Connection refused ***"

    wait_for(f"the failure of the query for {call} in the query window",
             lambda: failure in reader.text_of(memo).split("\n"))
    log(f"the query window shows: {failure!r}")


def main():
    arguments = parse_arguments()
    if os.environ.get(SESSION_MARK) != "1":
        try:
            return in_private_session(arguments)
        except Failure as failure:
            log(f"FAILED: {failure}")
            return 1

    workdir = tempfile.mkdtemp(prefix="vorn-e2e-")
    session = Session(arguments, workdir)
    try:
        for name in DATA_FILES:
            source = os.path.join(arguments.files, name)
            if not os.path.isfile(source):
                raise Failure(f"shipped file {source} is missing")
            shutil.copyfile(source, os.path.join(workdir, name))
        checks = run(arguments, session)
        log(f"passed: {checks} checks")
        return 0
    except Failure as failure:
        log(f"FAILED: {failure}")
        output = session.vorn_output()
        if output:
            log("vorn's output:\n" + output)
        return 1
    finally:
        session.stop()
        if arguments.keep:
            log(f"working folder kept: {workdir}")
        else:
            shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
