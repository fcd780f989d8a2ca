#!/usr/bin/python3
"""The help's example calls give the answers the help claims, on the shipped data.

Each example is marked <span class="call"> with the answers it claims in data-sort,
data-bureau and data-entity, and for portable calls data-home and data-location (the line below
the answers); vorn-lookup --portable looks every one up in the shipped files.
Usage: help_examples_test.py VORN_LOOKUP FILES_DIR
"""

import html
import os
import re
import subprocess
import sys

FIELDS = {"sort": 1, "bureau": 2, "entity": 3, "home": 4, "location": 5}  # of vorn-lookup's line

lookup, files = sys.argv[1:3]
with open(os.path.join(files, "vorn.hlp"), encoding="utf-8") as help_file:
    text = help_file.read()
examples = [(html.unescape(call), dict(re.findall(r'data-(\w+)="([^"]*)"', html.unescape(attrs))),
             text.count("\n", 0, match.start()) + 1)
            for match in re.finditer(r'<span class="call"([^>]*)>([^<]*)</span>', text)
            for attrs, call in [match.groups()]]
calls = "".join(call + "\n" for call, _, _ in examples)
answers = subprocess.run([lookup, "-C", files, "--portable"], input=calls.encode("latin-1"), check=True,
                         capture_output=True).stdout.decode("latin-1").split("\n")
failed = 0
for (call, claims, line), answer in zip(examples, answers):
    fields = answer.split("\t")
    wrong = [f"{name} {claimed!r}, look-up {fields[FIELDS[name]]!r}"
             for name, claimed in claims.items() if fields[FIELDS[name]] != claimed]
    if wrong or not claims:
        failed += 1
        print(f"vorn.hlp line {line}: {call}: " + ("; ".join(wrong) or "no answer claimed"))
print(f"{len(examples) - failed} passed, {failed} failed")
sys.exit(1 if failed or not examples else 0)
