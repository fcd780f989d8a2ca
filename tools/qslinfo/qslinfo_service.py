#!/usr/bin/python3
"""A QSL information service for Vorn: SOAP 1.1 over plain HTTP, Python standard library only.

Vorn posts one call sign to /qslinfo.asmx and shows the text of the qslinfoResult element of
the answer. This service answers from a plain-text table that a club can edit (qslinfo.txt
beside this file by default; the file is read again whenever it changes). A call that the table
does not hold gets the service's line of credit, which Vorn shows under "no entry found".

The request is checked strictly: a POST to /qslinfo.asmx with a text/xml body of exactly
Content-Length bytes, the SOAPAction of the qslinfo operation, a SOAP 1.1 envelope whose body
holds one qslinfo element in the service's namespace with a callsign and a ClientInformation.
Anything else gets a SOAP Fault with status 500.

Quick start, by itself:    python3 qslinfo_service.py --port 8080
Under a WSGI server:       gunicorn --bind 127.0.0.1:8080 qslinfo_service:application
Environment for the WSGI application: QSLINFO_TABLE (the table file) and QSLINFO_NAMESPACE
(the XML namespace; it must be the one Vorn was built with, VORN_QSLINFO_NAMESPACE).
"""

import argparse
import os
import re
import socketserver
import sys
import threading
import xml.etree.ElementTree as ElementTree
from wsgiref.simple_server import WSGIRequestHandler, WSGIServer, make_server
from xml.parsers import expat
from xml.sax.saxutils import escape, quoteattr

SOAP_ENVELOPE = "http://schemas.xmlsoap.org/soap/envelope/"
DEFAULT_NAMESPACE = "urn:vorn:qslinfo"
DEFAULT_TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "qslinfo.txt")
PATH = "/qslinfo.asmx"
# A request is a few hundred bytes; nothing near this is one.
MAX_BODY = 64 * 1024
MAX_CALL = 32
# Content-Length as plain ASCII digits, no sign, no blanks, no other digits, no endless zeros.
CONTENT_LENGTH = re.compile(r"[0-9]{1,5}")
# What a log line or a fault quotes of the request at most.
QUOTED_LENGTH = 64


class Fault(Exception):
    """A request that this service does not accept; the message says why."""


def printable(text, limit=QUOTED_LENGTH):
    """Text from a request as a log line or a fault may quote it: at most limit characters, and
    every character that is not printable (a line break, a direction override) written as its
    escape, so that a request can neither forge log lines nor make them long."""
    shown = "".join(c if c.isprintable() else c.encode("unicode_escape").decode("ascii")
                    for c in text[:limit])
    return shown + "..." if len(text) > limit else shown


class QslTable:
    """The table of calls and their QSL information, read again when the file changes.

    An entry starts with the call in square brackets on a line of its own; the lines below it,
    up to the next entry, are its answer. Lines that start with # and blank lines are skipped.
    """

    def __init__(self, path):
        self.path = path
        self._lock = threading.Lock()
        self._stamp = None
        self._entries = {}

    def lookup(self, call):
        entries = self._current()
        if call in entries:
            return entries[call]
        # A portable or maritime call: the part that the table holds.
        for part in call.split("/"):
            if part in entries:
                return entries[part]
        return None

    def _current(self):
        with self._lock:
            try:
                status = os.stat(self.path)
                stamp = (status.st_mtime_ns, status.st_size)
            except OSError:
                stamp = None
            if stamp != self._stamp:
                self._stamp = stamp
                self._entries = read_table(self.path) if stamp else {}
            return self._entries


def read_table(path):
    entries = {}
    call = None
    with open(path, encoding="utf-8") as table:
        for line in table:
            line = line.rstrip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("[") and line.endswith("]"):
                call = line[1:-1].strip().upper()
                entries[call] = []
            elif call is not None:
                entries[call].append(line)
    return entries


def envelope(body_xml):
    return ('<?xml version="1.0" encoding="utf-8"?>\r\n'
            f'<soap:Envelope xmlns:soap="{SOAP_ENVELOPE}"'
            ' xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"'
            ' xmlns:xsd="http://www.w3.org/2001/XMLSchema">'
            f"<soap:Body>{body_xml}</soap:Body></soap:Envelope>\r\n").encode("utf-8")


def fault_response(reason):
    return envelope("<soap:Fault><faultcode>soap:Client</faultcode>"
                    f"<faultstring>{escape(reason)}</faultstring></soap:Fault>")


def answer_response(namespace, lines):
    # One line of the answer per line of text: Vorn shows the result element line by line.
    text = "\r\n".join(escape(line) for line in lines)
    return envelope(f"<qslinfoResponse xmlns={quoteattr(namespace)}>"
                    f"<qslinfoResult>{text}</qslinfoResult></qslinfoResponse>")


def read_body(environ):
    length_field = environ.get("CONTENT_LENGTH", "")
    if not CONTENT_LENGTH.fullmatch(length_field):
        raise Fault("the request has no valid Content-Length")
    length = int(length_field)
    if length == 0 or length > MAX_BODY:
        raise Fault(f"a Content-Length of {length} bytes is not a qslinfo request")
    stream = environ["wsgi.input"]
    body = b""
    try:
        while len(body) < length:
            piece = stream.read(length - len(body))
            if not piece:
                break
            body += piece
    except OSError as error:
        raise Fault(f"the body ended early ({error})") from error
    if len(body) != length:
        raise Fault(f"the body holds {len(body)} bytes, Content-Length says {length}")
    return body


def refuse_document_type(body):
    """Fault for a body that declares a document type. The XML parser itself looks, so the body's
    encoding cannot hide one: a SOAP message holds none, and its entities could blow a small
    request up into a large call."""
    parser = expat.ParserCreate()

    def refuse(*_):
        raise Fault("a SOAP message holds no document type declaration")

    parser.StartDoctypeDeclHandler = refuse
    try:
        parser.Parse(body, True)
    except expat.ExpatError as error:
        raise Fault(f"the body is not well-formed XML ({error})") from error


def single_child(parent, tag, what):
    found = [child for child in parent if child.tag == tag]
    if len(found) != 1:
        raise Fault(f"expected one {what}, found {len(found)}")
    return found[0]


def parse_request(environ, namespace):
    """The call and the client information of a valid request; Fault for anything else."""
    content_type = environ.get("CONTENT_TYPE", "").split(";")[0].strip().lower()
    if content_type != "text/xml":
        raise Fault(f"SOAP 1.1 requests are text/xml, not '{printable(content_type)}'")
    action = environ.get("HTTP_SOAPACTION")
    expected_action = f'"{namespace}/qslinfo"'
    if action != expected_action:
        shown = "none" if action is None else f"'{printable(action)}'"
        raise Fault(f"SOAPAction must be {expected_action}, not {shown}")
    body = read_body(environ)
    refuse_document_type(body)
    try:
        root = ElementTree.fromstring(body)
    except ElementTree.ParseError as error:
        raise Fault(f"the body is not well-formed XML ({error})") from error
    if root.tag != f"{{{SOAP_ENVELOPE}}}Envelope":
        raise Fault(f"the document element is {printable(root.tag)}, not a SOAP 1.1 Envelope")
    allowed = {f"{{{SOAP_ENVELOPE}}}Header", f"{{{SOAP_ENVELOPE}}}Body"}
    if any(child.tag not in allowed for child in root):
        raise Fault("the envelope holds something besides a Header and a Body")
    body_element = single_child(root, f"{{{SOAP_ENVELOPE}}}Body", "soap:Body")
    if len(body_element) != 1:
        raise Fault(f"the SOAP body holds {len(body_element)} elements, not one")
    operation = body_element[0]
    if operation.tag != f"{{{namespace}}}qslinfo":
        raise Fault(f"unknown operation {printable(operation.tag)}; "
                    f"expected qslinfo in {namespace}")
    if len(operation) != 2:
        raise Fault("qslinfo holds exactly a callsign and a ClientInformation")
    call = (single_child(operation, f"{{{namespace}}}callsign", "callsign").text or "").strip()
    client = single_child(operation, f"{{{namespace}}}ClientInformation",
                          "ClientInformation").text or ""
    if not call or len(call) > MAX_CALL or not call.isprintable():
        raise Fault(f"'{printable(call)}' is not a call sign")
    return call.upper(), client.strip()


def credit_mark(environ):
    """"(c) " and the host name that the client asked for, in small letters."""
    host = environ.get("HTTP_HOST") or environ.get("SERVER_NAME", "")
    if host.startswith("["):
        host = host[:host.find("]") + 1]
    elif host.count(":") == 1:
        host = host.split(":")[0]
    return "(c) " + host.lower()


def make_application(table_path=None, namespace=None):
    table = QslTable(table_path or os.environ.get("QSLINFO_TABLE", DEFAULT_TABLE))
    namespace = namespace or os.environ.get("QSLINFO_NAMESPACE", DEFAULT_NAMESPACE)

    def application(environ, start_response):
        log = environ["wsgi.errors"]
        if environ.get("PATH_INFO") != PATH:
            start_response("404 Not Found", [("Content-Type", "text/plain; charset=utf-8")])
            return [b"Not found: this service answers POST /qslinfo.asmx only.\n"]
        if environ.get("REQUEST_METHOD") != "POST":
            start_response("405 Method Not Allowed",
                           [("Allow", "POST"), ("Content-Type", "text/plain; charset=utf-8")])
            return [b"The qslinfo operation is called with POST.\n"]
        try:
            call, client = parse_request(environ, namespace)
        except Fault as fault:
            log.write(f"qslinfo: fault: {fault}\n")
            log.flush()
            payload = fault_response(str(fault))
            start_response("500 Internal Server Error",
                           [("Content-Type", "text/xml; charset=utf-8"),
                            ("Content-Length", str(len(payload)))])
            return [payload]
        mark = credit_mark(environ)
        entry = table.lookup(call)
        if entry is None:
            lines = [f"{mark} has no QSL information for {call}"]
        else:
            lines = entry + [f"{mark} - sample QSL information, not for real cards"]
        log.write(f"qslinfo: answered {printable(call)} for {printable(client)} "
                  f"({'found' if entry else 'unknown'})\n")
        log.flush()
        payload = answer_response(namespace, lines)
        start_response("200 OK", [("Content-Type", "text/xml; charset=utf-8"),
                                  ("Content-Length", str(len(payload)))])
        return [payload]

    return application


application = make_application()


class ThreadingWSGIServer(socketserver.ThreadingMixIn, WSGIServer):
    """One thread per connection, so that a slow client does not hold up the others."""
    daemon_threads = True
    # Connections that wait to be accepted; the default of 5 turns clients away whenever a few
    # arrive at once.
    request_queue_size = 128


class RequestHandler(WSGIRequestHandler):
    # A client that sends less than its Content-Length is given up after this many seconds.
    timeout = 10


def make_standalone_server(bind, port, app):
    """The service on its own: a thread per connection, each given up after a silent while."""
    return make_server(bind, port, app, server_class=ThreadingWSGIServer,
                       handler_class=RequestHandler)


def main():
    parser = argparse.ArgumentParser(description="QSL information service for Vorn")
    parser.add_argument("--bind", default="127.0.0.1",
                        help="address to listen on (default 127.0.0.1; 0.0.0.0 for every one)")
    parser.add_argument("--port", type=int, default=80,
                        help="port to listen on (default 80; 0 picks a free one)")
    parser.add_argument("--table", default=os.environ.get("QSLINFO_TABLE", DEFAULT_TABLE),
                        help="the table of calls (default: qslinfo.txt beside this file)")
    parser.add_argument("--namespace", default=os.environ.get("QSLINFO_NAMESPACE",
                                                              DEFAULT_NAMESPACE),
                        help=f"XML namespace of the operation (default {DEFAULT_NAMESPACE})")
    arguments = parser.parse_args()
    app = make_application(arguments.table, arguments.namespace)
    with make_standalone_server(arguments.bind, arguments.port, app) as server:
        host, port = server.server_address[:2]
        print(f"qslinfo: serving http://{host}:{port}{PATH} from {arguments.table}", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
