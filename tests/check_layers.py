#!/usr/bin/env python3
"""Fails, naming each one, on an include or a link that runs from a folder into one above it.

    check_layers.py <source tree>

LAYERS lists the folders of src/ from the bottom up. A file may include from its own folder and
from the folders of lower layers; folders of one layer are peers and include nothing of each
other. Includes are judged whichever their brackets: "core/text/Ascii.h" and <core/text/Ascii.h>
alike. An include that names no folder of the project (a system or library header) is not
judged. Every folder that holds code must be listed, so that a new one is placed before it is
used.

The tests are held to the same order, since a test that reaches above the code it tests cannot be
built or run without that code:
- tests/X, for a folder X of src/ (tests/core/text, tests/ui/sortlog, tests/logbook ...), may
  include what src/X may include, files beside it, and the headers of tests/support;
- a header of tests/support may include any folder of src/, but a test may include it only when
  it may include everything the header reaches, through other support headers too (the main
  window's harness reaches ui/main, so only the tests of ui/main and above may use it);
- tests/fuzz, tests/bench and tests/tools hold programs over the libraries, and stand where
  src/programs stands.

Links are judged by library: each folder of src/ with a CMakeLists.txt makes one library (or the
programs), and a target_link_libraries of a target made in src/ may name only targets made in
folders entirely below its own. Targets made elsewhere (Qt, Boost, the system's) are not judged.
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
    ["print"],
    ["ui/widgets", "ui/resources"],
    ["ui/settings", "ui/help", "ui/update", "ui/qslinfo", "ui/sortlog"],
    ["ui/main"],
    ["programs"],
]

# Folders of tests/ that hold programs over the libraries rather than tests of one folder.
TEST_PROGRAMS = ["fuzz", "bench", "tools"]
SUPPORT = "support"

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"\n]+)[>"]', re.MULTILINE)
SOURCE = (".h", ".cpp", ".h.in")
TOP_FOLDERS = sorted({folder.split("/")[0] for layer in LAYERS for folder in layer})


def folder_of(path):
    """The listed folder that holds a path relative to src/, and its layer; or None, None."""
    for level, folders in enumerate(LAYERS):
        for folder in folders:
            if path.startswith(folder + "/"):
                return folder, level
    return None, None


def may_include(folder, level, target, target_level):
    """Whether a file of `folder` may include from `target`."""
    return target_level < level or target == folder


def project_include(bracket, included):
    """Whether an include names a file of the project, which is judged; system headers are not."""
    if bracket == '"':
        return "/" in included
    return included.split("/")[0] in TOP_FOLDERS + [SUPPORT]


def includes_of(path):
    """The files of the project that a file includes."""
    with open(path, encoding="utf-8") as source:
        return [included for bracket, included in INCLUDE.findall(source.read())
                if project_include(bracket, included)]


def check_include(shown, folder, level, included, faults):
    """A file of `folder` (shown as `shown`) including a header of src/."""
    target, target_level = folder_of(included)
    if target is None:
        faults.append(f"{shown}: includes {included}, which lies in no listed folder")
    elif not may_include(folder, level, target, target_level):
        faults.append(f"{shown} ({folder}) includes {included} ({target})")


def source_files(root):
    for directory, _, names in sorted(os.walk(root)):
        for name in sorted(names):
            if name.endswith(SOURCE):
                yield os.path.relpath(os.path.join(directory, name), root)


def check_sources(src, faults):
    count = 0
    for path in source_files(src):
        folder, level = folder_of(path)
        if folder is None:
            faults.append(f"src/{path}: its folder has no place in the layers")
            continue
        count += 1
        for included in includes_of(os.path.join(src, path)):
            check_include(f"src/{path}", folder, level, included, faults)
    return count


def support_reach(tests, faults):
    """For each header of tests/support, the folders of src/ it reaches, directly or through
    other support headers."""
    direct = {}
    support = os.path.join(tests, SUPPORT)
    for path in source_files(support):
        reached, helpers = set(), set()
        for included in includes_of(os.path.join(support, path)):
            if included.startswith(SUPPORT + "/"):
                helpers.add(included)
                continue
            target, _ = folder_of(included)
            if target is None:
                faults.append(f"tests/{SUPPORT}/{path}: includes {included}, "
                              "which lies in no listed folder")
            else:
                reached.add(target)
        direct[f"{SUPPORT}/{path}"] = (reached, helpers)

    reach = {}

    def walk(header, seen):
        if header in reach:
            return reach[header]
        if header not in direct or header in seen:
            return set()
        reached, helpers = direct[header]
        total = set(reached)
        for helper in helpers:
            total |= walk(helper, seen | {header})
        reach[header] = total
        return total

    for header in direct:
        walk(header, set())
    return reach


def test_folder(path):
    """The src/ folder whose place a test file takes, and its layer; None, None when unplaced."""
    top = path.split("/")[0]
    if top in TEST_PROGRAMS:
        return "programs (tests/" + top + ")", len(LAYERS) - 1
    return folder_of(path)


def check_tests(tests, faults):
    reach = support_reach(tests, faults)
    count = 0
    for path in source_files(tests):
        if path.startswith(SUPPORT + "/"):
            continue
        folder, level = test_folder(path)
        if folder is None:
            faults.append(f"tests/{path}: its folder tests no folder of the layers")
            continue
        count += 1
        for included in includes_of(os.path.join(tests, path)):
            if included.startswith(SUPPORT + "/"):
                if included not in reach:
                    faults.append(f"tests/{path}: includes {included}, which does not exist")
                for target in sorted(reach.get(included, ())):
                    _, target_level = folder_of(target + "/")
                    if not may_include(folder, level, target, target_level):
                        faults.append(f"tests/{path} ({folder}) includes {included}, "
                                      f"which reaches {target}")
                continue
            check_include(f"tests/{path}", folder, level, included, faults)
    return count


TARGET = re.compile(r"\b(?:add_library|add_executable)\s*\(\s*([A-Za-z0-9_.+-]+)")
LINK = re.compile(r"\btarget_link_libraries\s*\(([^)]*)\)")
LINK_KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE", "LINK_PUBLIC", "LINK_PRIVATE",
                 "LINK_INTERFACE_LIBRARIES", "debug", "optimized", "general"}


def cmake_text(path):
    """A CMakeLists.txt without its comments."""
    with open(path, encoding="utf-8") as text:
        return "\n".join(line.split("#", 1)[0] for line in text.read().splitlines())


def check_links(src, faults):
    """Each target made in src/ belongs to the top folder that makes it; a link may only run to
    a library whose every folder lies below every folder of the linking one."""
    levels = {top: [level for level, layer in enumerate(LAYERS) for folder in layer
                    if folder.split("/")[0] == top] for top in TOP_FOLDERS}
    owner, links = {}, []
    for directory, _, names in sorted(os.walk(src)):
        if "CMakeLists.txt" not in names:
            continue
        relative = os.path.relpath(directory, src)
        if relative == ".":
            continue
        top = relative.split(os.sep)[0]
        path = os.path.join(directory, "CMakeLists.txt")
        text = cmake_text(path)
        for target in TARGET.findall(text):
            owner[target] = top
        for arguments in LINK.findall(text):
            words = [word for word in arguments.split() if not word.startswith("$<")]
            if words:
                links.append((os.path.relpath(path, src), top, words[0], words[1:]))
    judged = 0
    for path, top, target, libraries in links:
        if owner.get(target) is None:
            continue
        for library in libraries:
            if library in LINK_KEYWORDS or library not in owner:
                continue
            judged += 1
            other = owner[library]
            if top not in levels or other not in levels:
                faults.append(f"src/{path}: {target} ({top}) links {library} ({other}), "
                              "a folder with no place in the layers")
            elif other != top and max(levels[other]) >= min(levels[top]):
                faults.append(f"src/{path}: {target} ({top}) links {library} ({other})")
    return judged


def main():
    root = sys.argv[1]
    src, tests = os.path.join(root, "src"), os.path.join(root, "tests")
    faults = []
    sources = check_sources(src, faults)
    test_files = check_tests(tests, faults)
    links = check_links(src, faults)
    if faults:
        print("Includes and links that do not run downward:")
        print("\n".join("  " + fault for fault in faults))
        return 1
    print(f"{sources} source files, {test_files} test files and {links} links: "
          "every one runs downward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
