#!/usr/bin/env python3
"""Runs tools/data/make_data_files.py into a temporary folder and compares its output byte
for byte with the committed files/ folder.

Usage: check_generated.py <repository root> [<folder of the country files>]
Exit code 77 (skipped) when the country files of hamradio-files are not installed.
"""

import os
import subprocess
import sys
import tempfile

SKIPPED = 77
FILES = ("country.asc", "vorn.asc", "vorn_update.asc")


def first_difference(a, b):
    for index, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return index
    return min(len(a), len(b))


def main(argv):
    root = argv[1]
    source = argv[2] if len(argv) > 2 else "/usr/share/hamradio-files"
    inputs = [os.path.join(source, name) for name in ("cty.dat", "cty.csv", "MASTER.SCP")]
    missing = [path for path in inputs if not os.path.isfile(path)]
    if missing:
        print("SKIPPED: the country files are not installed (" + ", ".join(missing) + "); "
              "install the Debian package hamradio-files")
        return SKIPPED

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
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
