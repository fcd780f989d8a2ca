#!/usr/bin/env python3
"""Fails, naming each one, on an include in src/ that runs from a folder into one above it.

    check_layers.py <src folder>

LAYERS lists the folders of src/ from the bottom up. A file may include from its own folder and
from the folders of lower layers; folders of one layer are peers and include nothing of each
other. An include that names no folder of src/ (a system or library header) is not judged. Every
folder that holds code must be listed, so that a new one is placed before it is used.
"""
import os
import re
import sys

LAYERS = [
    ["core/text"],
    ["core/data"],
    ["core/lookup", "core/settings"],
    ["core/speech", "core/net"],
    ["core/shell"],
    ["logbook", "platform"],
    ["ui/widgets", "ui/resources"],
    ["ui/settings", "ui/help", "ui/update", "ui/qslinfo", "ui/sortlog"],
    ["ui/main"],
    ["programs"],
]

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SOURCE = (".h", ".cpp", ".h.in")


def folder_of(path):
    """The listed folder that holds a path relative to src/, or None."""
    for level, folders in enumerate(LAYERS):
        for folder in folders:
            if path.startswith(folder + "/"):
                return folder, level
    return None, None


def main():
    src = sys.argv[1]
    faults = []
    files = 0
    for directory, _, names in os.walk(src):
        for name in sorted(names):
            if not name.endswith(SOURCE):
                continue
            path = os.path.relpath(os.path.join(directory, name), src)
            folder, level = folder_of(path)
            if folder is None:
                faults.append(f"{path}: its folder has no place in the layers")
                continue
            files += 1
            with open(os.path.join(src, path), encoding="utf-8") as source:
                for included in INCLUDE.findall(source.read()):
                    target, target_level = folder_of(included)
                    if target is None:
                        if "/" in included:
                            faults.append(f"{path}: includes {included}, which lies in no listed folder")
                        continue
                    if target_level > level or (target_level == level and target != folder):
                        faults.append(f"{path} ({folder}) includes {included} ({target})")
    if faults:
        print("Includes that do not run downward:")
        print("\n".join("  " + fault for fault in faults))
        return 1
    print(f"{files} files, every include runs downward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
