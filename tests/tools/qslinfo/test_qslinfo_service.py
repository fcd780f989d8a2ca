#!/usr/bin/env python3
"""Tests of the stand-in QSL information service, tools/qslinfo/qslinfo_service.py."""

import io
import os
import socket
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools",
                                "qslinfo"))
import qslinfo_service as service  # noqa: E402

NS = "urn:test:qslinfo"
SOAP = "http://schemas.xmlsoap.org/soap/envelope/"
TABLE = "# a comment\n[DL1ABC]\nQSL via bureau\nCards for 2019 & 2020\n\n[G4XYZ]\nDirect only\n"


def envelope(call="DL1ABC", operation=f'<qslinfo xmlns="{NS}">', soap=SOAP, extra="",
             client="VORN-anonimous", prolog="", encoding="utf-8"):
    return (f'<?xml version="1.0" encoding="{encoding}"?>\r\n{prolog}'
            f'<soap:Envelope xmlns:soap="{soap}">\r\n'
            f"<soap:Body>\r\n{operation}\r\n<callsign>{call}</callsign>\r\n"
            f"<ClientInformation>{client}</ClientInformation>\r\n"
            f"{extra}</qslinfo>\r\n</soap:Body>\r\n</soap:Envelope>\r\n\r\n").encode(encoding)


# Entities that grow tenfold at each level: a call of a million characters from a few lines.
EXPANDING = ('<!DOCTYPE soap:Envelope [<!ENTITY a "xxxxxxxxxx">'
             + "".join(f'<!ENTITY {b} "{f"&{a};" * 10}">'
                       for a, b in zip("abcde", "bcdef"))
             + "]>\r\n")


class ServiceTest(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        table = os.path.join(folder.name, "table.txt")
        with open(table, "w", encoding="utf-8") as file:
            file.write(TABLE)
        self.app = service.make_application(table, NS)

    def call(self, body, method="POST", path="/qslinfo.asmx", length=None,
             action=f'"{NS}/qslinfo"', content_type="text/xml; charset=utf-8"):
        self.errors = io.StringIO()
        environ = {"REQUEST_METHOD": method, "PATH_INFO": path, "HTTP_HOST": "QSL.Example:80",
                   "CONTENT_TYPE": content_type, "wsgi.input": io.BytesIO(body),
                   "wsgi.errors": self.errors}
        if length != "":
            environ["CONTENT_LENGTH"] = str(len(body) if length is None else length)
        if action is not None:
            environ["HTTP_SOAPACTION"] = action
        status = []
        payload = b"".join(self.app(environ, lambda code, headers: status.append(code)))
        return status[0], payload

    def result(self, payload):
        root = ElementTree.fromstring(payload)
        return root.find(f".//{{{NS}}}qslinfoResult").text.splitlines()

    def test_answers_from_the_table(self):
        for call, lines in [
            ("DL1ABC", ["QSL via bureau", "Cards for 2019 & 2020",
                        "(c) qsl.example - sample QSL information, not for real cards"]),
            ("g4xyz/p", ["Direct only",
                         "(c) qsl.example - sample QSL information, not for real cards"]),
            ("K1ZZZ", ["(c) qsl.example has no QSL information for K1ZZZ"]),
        ]:
            with self.subTest(call):
                status, payload = self.call(envelope(call))
                self.assertEqual(status, "200 OK")
                self.assertEqual(self.result(payload), lines)

    def test_faults(self):
        body = envelope()
        for name, request in [
            ("no SOAPAction", dict(body=body, action=None)),
            ("another SOAPAction", dict(body=body, action=f'"{NS}/other"')),
            ("SOAPAction without quotes", dict(body=body, action=f"{NS}/qslinfo")),
            ("not text/xml", dict(body=body, content_type="application/soap+xml")),
            ("no Content-Length", dict(body=body, length="")),
            ("body shorter than Content-Length", dict(body=body, length=len(body) + 1)),
            ("body longer than Content-Length", dict(body=body, length=len(body) - 40)),
            ("SOAP 1.2 envelope",
             dict(body=envelope(soap="http://www.w3.org/2003/05/soap-envelope"))),
            ("operation in another namespace",
             dict(body=envelope(operation='<qslinfo xmlns="urn:other">'))),
            ("an extra element", dict(body=envelope(extra="<x/>"))),
            ("markup in the call", dict(body=envelope(call="DL1ABC&<"))),
            ("a document type", dict(body=b'<!DOCTYPE x [<!ENTITY a "b">]>' + body)),
            ("a document type in UTF-16",
             dict(body=b"\xff\xfe" + envelope(prolog=EXPANDING, call="&f;",
                                              encoding="utf-16-le").replace(b"-\x00l\x00e\x00", b""))),
            ("a document type in UTF-16, big-endian, without entities",
             dict(body=envelope(prolog="<!DOCTYPE soap:Envelope>", encoding="utf-16"))),
            ("an external document type",
             dict(body=envelope(prolog='<!DOCTYPE soap:Envelope SYSTEM "http://example.invalid/x">'))),
            ("a call that breaks the line", dict(body=envelope(call="DL1ABC&#10;X"))),
            ("Content-Length in other digits",
             dict(body=body, length="".join(chr(0x660 + int(d)) for d in str(len(body))))),
            ("Content-Length with a sign", dict(body=body, length=f"+{len(body)}")),
            ("Content-Length with a blank", dict(body=body, length=f" {len(body)}")),
            ("Content-Length with zeros beyond five digits",
             dict(body=body, length=f"{len(body):08d}")),
            ("Content-Length in superscript digits", dict(body=body, length="\u00b2")),
        ]:
            with self.subTest(name):
                status, payload = self.call(**request)
                self.assertEqual(status, "500 Internal Server Error")
                self.assertIsNotNone(ElementTree.fromstring(payload).find(f".//{{{SOAP}}}Fault"))
                self.assertLogsOneShortLine()

    def assertLogsOneShortLine(self):  # noqa: N802 - named as unittest's assertions are
        log = self.errors.getvalue()
        self.assertTrue(log.endswith("\n") and log.count("\n") == 1, repr(log[:300]))
        self.assertLess(len(log), 300, repr(log[:300]))

    def test_log_lines_are_not_forged(self):
        for client in ["VORN-x&#10;qslinfo: answered K1ZZZ for VORN-y (found)",
                       "VORN-x&#13;qslinfo: fault: none", "VORN-&#x202e;dnuof", "VORN-" + "x" * 500]:
            with self.subTest(client):
                status, _ = self.call(envelope(client=client))
                self.assertEqual(status, "200 OK")
                self.assertLogsOneShortLine()
                self.assertNotIn("\u202e", self.errors.getvalue())

    def test_many_clients_at_once_wait_to_be_served(self):
        server = service.make_standalone_server("127.0.0.1", 0, self.app)
        self.addCleanup(server.server_close)
        clients = []
        try:
            # Not served yet: every connection waits in the queue, none is turned away.
            for _ in range(64):
                clients.append(socket.create_connection(server.server_address[:2], timeout=1))
        finally:
            for client in clients:
                client.close()
        self.assertEqual(len(clients), 64)

    def test_other_paths_and_methods(self):
        self.assertEqual(self.call(b"", path="/")[0], "404 Not Found")
        self.assertEqual(self.call(b"", method="GET")[0], "405 Method Not Allowed")


if __name__ == "__main__":
    unittest.main()
