#!/usr/bin/env python3
"""Checks the direction of the includes of the tree.

Arrows point one way: platform <- common <- hostbridge <- libraries <- tools. A file may
include headers of its own level and of the levels below it, never above. Besides:
- product code never includes test-only code (a testing/ folder); test code may include the
  test kit of common/testing/ from any level;
- the study libraries do not include each other, except the pieces two of them share: the
  bar manager (pattern/barmgr/) and the calc stack (momentum/calc_stack*);
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

LEVELS = {"platform": 0, "common": 1, "hostbridge": 2, "library": 3, "tools": 4}
TOOLS = ("tools", "fuzz", "bench", "installer", "robustness")
NOT_SOURCE = ("build", "cmake", "docs", "testdata", "scripts", ".git", ".ci")
SHARED_LIBRARY_PARTS = ("pattern/barmgr/", "momentum/calc_stack")
OS_HEADERS = re.compile(
    r"#\s*include\s*<(windows|winsock2|ws2tcpip|winreg|winuser|winbase|objbase|oleauto|"
    r"unknwn|shellapi|shlobj|mmsystem|commctrl|unistd|dlfcn|fcntl|pthread|"
    r"sys/[a-z_]+|netinet/[a-z_]+|arpa/[a-z_]+)\.h>")
IFDEF_WIN = re.compile(r"#\s*(if|ifdef|ifndef|elif)\b.*\b_WIN32\b")
# A library's plain C header (xmt_<name>.h): tests that load two libraries into one process
# declare the other library's exports through it.
PUBLIC_HEADER = re.compile(r"^[a-z]+/xmt_[a-z0-9_]+\.h$")
INCLUDE = re.compile(r'#\s*include\s*"([^"]+)"')


def level(path):
    """(level, library folder or None) of a file or include path from the root."""
    top = path.split("/", 1)[0]
    if path.startswith("common/platform/"):
        return LEVELS["platform"], None
    if top == "common":
        return LEVELS["common"], None
    if top == "hostbridge":
        return LEVELS["hostbridge"], None
    if top in TOOLS:
        return LEVELS["tools"], None
    return LEVELS["library"], top


def is_test_code(path):
    name = os.path.basename(path)
    return ("/testing/" in "/" + path or name.endswith("_test.cpp") or
            path.split("/", 1)[0] in TOOLS)


def may_use_os_headers(path):
    name = os.path.basename(path)
    return (path.startswith("common/platform/") or path.startswith("hostbridge/com_types.") or
            path.startswith("installer/") or
            (path.startswith("common/testing/") and re.search(r"_(posix|win32)\.cpp$", name)))


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
            src_level, src_lib = level(path)
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    where = "%s:%d: " % (path, number)
                    m = INCLUDE.match(line.strip())
                    if m:
                        inc = m.group(1)
                        if "/" not in inc:
                            continue  # a file of the same folder
                        inc_level, inc_lib = level(inc)
                        kit = inc.startswith("common/testing/") and is_test_code(path)
                        if inc_level > src_level and not kit:
                            problems.append(where + "includes %s, a level above" % inc)
                        elif (inc_level == src_level == LEVELS["library"] and inc_lib != src_lib
                              and not inc.startswith(SHARED_LIBRARY_PARTS)
                              and not (is_test_code(path) and PUBLIC_HEADER.match(inc))):
                            problems.append(where + "includes %s of another library" % inc)
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
