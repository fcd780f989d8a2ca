#!/usr/bin/python3
"""The help's example calls give the answers the help claims, on the shipped data.

The help marks each example call as <span class="call"> with the answers it claims in
data-sort, data-bureau and data-entity. Every one is looked up with vorn-lookup, the loaders
and look-up of the program, in the folder of the shipped data files.

    help_examples_test.py VORN_LOOKUP FILES_DIR
"""

import html.parser
import os
import subprocess
import sys

# Which field of vorn-lookup's line each claim is compared with.
CLAIMS = {"data-sort": 1, "data-bureau": 2, "data-entity": 3}


class ExampleCalls(html.parser.HTMLParser):
    """Collects (call, claims, line) for every marked example."""

    def __init__(self):
        super().__init__()
        self.examples = []
        self._open = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "span" and "call" in (attrs.get("class") or "").split():
            self._open = ([], {k: v for k, v in attrs.items() if k in CLAIMS}, self.getpos()[0])

    def handle_data(self, data):
        if self._open:
            self._open[0].append(data)

    def handle_endtag(self, tag):
        if tag == "span" and self._open:
            text, claims, line = self._open
            self.examples.append(("".join(text), claims, line))
            self._open = None


def main():
    lookup, files = sys.argv[1:3]
    parser = ExampleCalls()
    with open(os.path.join(files, "vorn.hlp"), encoding="utf-8") as help_file:
        parser.feed(help_file.read())
    examples = parser.examples
    calls = "".join(call + "\n" for call, _, _ in examples)
    answers = subprocess.run([lookup, "-C", files], input=calls.encode("latin-1"),
                             capture_output=True, check=True).stdout.decode("latin-1")
    lines = answers.split("\n")[:len(examples)]

    failed = 0
    for (call, claims, line), answer in zip(examples, lines):
        fields = answer.split("\t")
        wrong = [f"{name[5:]} {claimed!r}, look-up {fields[CLAIMS[name]]!r}"
                 for name, claimed in claims.items() if fields[CLAIMS[name]] != claimed]
        if not claims:
            wrong = ["no answer claimed"]
        if wrong:
            failed += 1
            print(f"vorn.hlp line {line}: {call}: " + "; ".join(wrong))
    print(f"{len(examples) - failed} passed, {failed} failed")
    return 1 if failed or not examples else 0


if __name__ == "__main__":
    sys.exit(main())
