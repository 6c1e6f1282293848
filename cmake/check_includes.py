#!/usr/bin/env python3
"""Checks the direction of the includes of the tree.

The tree stands in floors, from the bottom:
  common/platform <- common/text <- common/settings <- common/datetime <- common/lists
    <- common/barfile <- common/testing <- hostbridge <- studycore
    <- pattern | signals | momentum <- programs
A file may include headers of its own floor and of the floors below it, never above. The study
libraries stand side by side on one floor and never include one another's folder: what two
of them share lives in studycore/. The programs (tools, fuzz, bench, installer and the
cross-library tests) stand on top and may include any library.
Besides:
- a private header (*_internal.h) is included only from its own folder;
- product code never includes test-only code (a testing/ folder); test code may include the
  test kit of common/testing/ from any floor;
- <windows.h>, the other Windows headers, the POSIX headers and `#ifdef _WIN32` stay in
  common/platform/ (the lean <windows.h> is common/platform/win32_api.h), the COM type layer
  of hostbridge/ (com_types.*), the OS backends of common/testing/ (*_posix.cpp, *_win32.cpp)
  and the installer's front ends.
Usage: check_includes.py <repository root>. Prints every offending line; exit status 1 when
there is one.
"""

import os
import re
import sys

# Floors by path prefix, the first match counting; a top-level folder not named here is a
# study library (so a new library is checked from its first file).
FLOORS = (
    ("common/platform/", 0),
    ("common/text/", 1),
    ("common/settings/", 2),
    ("common/datetime/", 3),
    ("common/lists/", 4),
    ("common/barfile/", 5),
    ("common/testing/", 6),
    ("hostbridge/", 7),
    ("studycore/", 8),
)
LIBRARY_FLOOR = 9
PROGRAMS = ("tools", "fuzz", "bench", "installer", "cross_library_tests")
PROGRAM_FLOOR = 10
# Programs that may take test helpers: the simulator builds its host object on the fake host;
# fuzz targets, benchmarks and the cross-library tests are test code. The installer is a
# deliverable: only its tests and its testing/ folder are test code.
TEST_HELPER_PROGRAMS = ("tools", "fuzz", "bench", "cross_library_tests")
NOT_SOURCE = ("build", "cmake", "docs", "testdata", "scripts", ".git", ".ci")
OS_HEADERS = re.compile(
    r"#\s*include\s*<(windows|winsock2|ws2tcpip|winreg|winuser|winbase|objbase|oleauto|"
    r"unknwn|shellapi|shlobj|mmsystem|commctrl|unistd|dlfcn|fcntl|pthread|"
    r"sys/[a-z_]+|netinet/[a-z_]+|arpa/[a-z_]+)\.h>")
IFDEF_WIN = re.compile(r"#\s*(if|ifdef|ifndef|elif)\b.*\b_WIN32\b")
INCLUDE = re.compile(r'#\s*include\s*"([^"]+)"')


def floor(path):
    """(floor, study library folder or None) of a file or include path from the root."""
    for prefix, number in FLOORS:
        if path.startswith(prefix):
            return number, None
    top = path.split("/", 1)[0]
    if top == "common":
        return None, None  # a folder of common/ without a floor: reported by check()
    if top in PROGRAMS:
        return PROGRAM_FLOOR, None
    return LIBRARY_FLOOR, top


def is_test_code(path):
    name = os.path.basename(path)
    return ("/testing/" in "/" + path or name.endswith("_test.cpp") or
            path.split("/", 1)[0] in TEST_HELPER_PROGRAMS)


def may_use_os_headers(path):
    name = os.path.basename(path)
    return (path.startswith("common/platform/") or path.startswith("hostbridge/com_types.") or
            path.startswith("installer/") or
            (path.startswith("common/testing/") and re.search(r"_(posix|win32)\.cpp$", name)))


def include_problem(path, inc):
    """What is wrong with file `path` including `inc` (both from the root), or None."""
    src_floor, src_lib = floor(path)
    inc_floor, inc_lib = floor(inc)
    if src_floor is None or inc_floor is None:
        return "common/ folder without a place in the floors (FLOORS of check_includes.py)"
    if inc_floor == src_floor == LIBRARY_FLOOR and inc_lib != src_lib:
        return "includes %s of another study library" % inc
    if inc.endswith("_internal.h") and os.path.dirname(inc) != os.path.dirname(path):
        return "includes %s, private to its folder" % inc
    kit = inc.startswith("common/testing/") and is_test_code(path)
    if inc_floor > src_floor and not kit:
        return "includes %s, a floor above" % inc
    return None


def check(root):
    problems = []
    for folder, dirs, files in os.walk(root):
        rel_folder = os.path.relpath(folder, root).replace(os.sep, "/")
        if rel_folder == ".":
            dirs[:] = [d for d in dirs if d not in NOT_SOURCE]
            continue
        for name in files:
            if not name.endswith((".h", ".cpp", ".c")):
                continue
            path = rel_folder + "/" + name
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    where = "%s:%d: " % (path, number)
                    m = INCLUDE.match(line.strip())
                    if m:
                        inc = m.group(1)
                        if "/" not in inc:
                            continue  # a file of the same folder
                        problem = include_problem(path, inc)
                        if problem:
                            problems.append(where + problem)
                        if "/testing/" in "/" + inc and not is_test_code(path):
                            problems.append(where + "product code includes test code %s" % inc)
                        continue
                    if OS_HEADERS.match(line.strip()) and not may_use_os_headers(path):
                        problems.append(where + "an OS header outside the platform layer: "
                                        + line.strip())
                    if IFDEF_WIN.match(line.strip()) and not may_use_os_headers(path):
                        problems.append(where + "_WIN32 tested outside the platform layer")
    return problems


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(
        os.path.abspath(__file__)))
    problems = check(root)
    for p in sorted(problems):
        print(p)
    print("%d include problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
