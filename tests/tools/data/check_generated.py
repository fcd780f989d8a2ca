#!/usr/bin/env python3
"""Checks the sources against their recorded SHA-256, runs tools/data/make_data_files.py into
a temporary folder and compares its output byte for byte with the committed files/ folder,
and checks that vorn_update.asc publishes the real size and SHA-256 of each data file.

Usage: check_generated.py <repository root> [<folder of the sources>]
"""

import hashlib
import os
import subprocess
import sys
import tempfile

FILES = ("country.asc", "vorn.asc", "calls.asc", "vorn_update.asc")


def first_difference(a, b):
    for index, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return index
    return min(len(a), len(b))


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def check_sources(source):
    """The number of sources that are missing or differ from SHA256SUMS."""
    with open(os.path.join(source, "SHA256SUMS"), encoding="ascii") as f:
        listed = [line.split() for line in f if line.strip()]
    failed = 0
    for digest, name in listed:
        path = os.path.join(source, name)
        if not os.path.isfile(path):
            print(f"FAIL: source {path} is missing")
            failed += 1
        elif sha256(path) != digest:
            print(f"FAIL: source {path} differs from its SHA-256 in SHA256SUMS")
            failed += 1
    return failed


def check_update_lines(files):
    """The number of data files whose size or SHA-256 in vorn_update.asc is not theirs."""
    with open(os.path.join(files, "vorn_update.asc"), "rb") as f:
        lines = f.read().decode("ascii").split("\r\n")
    published = {}
    for line in lines[2:]:
        if line:
            name, size, digest = line.split(" ")
            published[name] = (int(size), digest)
    failed = 0
    for name in ("country.asc", "vorn.asc", "calls.asc"):
        path = os.path.join(files, name)
        real = (os.path.getsize(path), sha256(path))
        if published.get(name) != real:
            print(f"FAIL: vorn_update.asc gives {name} as {published.get(name)}, it is {real}")
            failed += 1
    return failed


def main(argv):
    root = argv[1]
    source = argv[2] if len(argv) > 2 else os.path.join(root, "tools", "data", "sources")
    if check_sources(source):
        return 1

    generator = os.path.join(root, "tools", "data", "make_data_files.py")
    with tempfile.TemporaryDirectory() as output:
        run = subprocess.run([sys.executable, generator, "--source", source, "--output", output,
                              "--quiet"], capture_output=True, text=True)
        sys.stdout.write(run.stdout)
        sys.stdout.write(run.stderr)
        if run.returncode != 0:
            print(f"FAIL: the generator ended with {run.returncode}")
            return 1
        differing = 0
        for name in FILES:
            with open(os.path.join(output, name), "rb") as f:
                made = f.read()
            committed_path = os.path.join(root, "files", name)
            if not os.path.isfile(committed_path):
                print(f"FAIL: files/{name} is missing")
                differing += 1
                continue
            with open(committed_path, "rb") as f:
                committed = f.read()
            if made != committed:
                at = first_difference(made, committed)
                print(f"FAIL: files/{name} differs from the generated file at byte {at} "
                      f"(generated {len(made)} bytes, committed {len(committed)})")
                differing += 1
            else:
                print(f"files/{name}: {len(made)} bytes, identical")
    if differing:
        print("Run tools/data/make_data_files.py and commit files/.")
        return 1
    return 1 if check_update_lines(os.path.join(root, "files")) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
