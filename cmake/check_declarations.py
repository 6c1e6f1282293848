#!/usr/bin/env python3
"""Checks the PowerLanguage `external:` declarations of the user guide and the example studies
against the libraries' C headers.

For every declaration in docs/ and examples/: the library file belongs to the header that
declares the function; the return type and the number, order and types of the arguments
match. Every export of the three headers is declared at least once in docs/ and at least once
in examples/. Every call in the example studies passes as many arguments as the declaration.

Type classes (PowerLanguage <-> C):
  text     LPSTR               <-> char*, const char*
  int      int, long           <-> int
  float    float               <-> float
  double   double              <-> double
  int*     LPINT, LPLONG       <-> int*, const int*
  float*   LPFLOAT             <-> float*
  slots    LPDOUBLE            <-> XmtSlot*, const XmtSlot*   (8-byte slots)
  study    IEasyLanguageObject <-> struct IHostStudy*, void* named *Study
  pointer  LPVOID              <-> any other void*

Usage: check_declarations.py <repository root>. Prints every fault; exit status 1 when there
is one.
"""

import os
import re
import sys

HEADERS = {"XMT_PATTERN": "pattern/xmt_pattern.h", "XMT_SIGNALS": "signals/xmt_signals.h",
           "XMT_MOMENTUM": "momentum/xmt_momentum.h"}
PL_TYPES = {"lpstr": "text", "int": "int", "long": "int", "float": "float",
            "double": "double", "lpint": "int*", "lplong": "int*", "lpfloat": "float*",
            "lpdouble": "slots", "ieasylanguageobject": "study", "lpvoid": "pointer"}
C_EXPORT = re.compile(r"XMT_EXPORT\s+(\w+)\s+(\w+)\s*\(([^)]*)\)\s*;", re.S)
EXTERNAL = re.compile(r"external\s*:\s*(\"[^;]*);", re.I)
STRING = re.compile(r'"[^"\n]*"')
COMMENT = re.compile(r"\{[^}]*\}|//[^\n]*")


def c_type(param):
    """Type class of one C parameter ("const int* open")."""
    text = " ".join(param.replace("*", " * ").split())
    words = text.split()
    name = words[-1] if words[-1] != "*" else ""
    base = [w for w in words[:-1] if w not in ("const", "struct")] if name else words
    stars = base.count("*")
    base = [w for w in base if w != "*"]
    kind = base[0] if base else ""
    if stars == 0:
        return kind
    if kind == "char":
        return "text"
    if kind in ("int", "float"):
        return kind + "*"
    if kind == "XmtSlot":
        return "slots"
    if kind == "IHostStudy" or (kind == "void" and "study" in name.lower()):
        return "study"
    if kind == "void":
        return "pointer"
    return kind + "*" * stars


def read_headers(root):
    """{export name: (library, return class, [argument classes])} of the three headers."""
    exports = {}
    for library, rel in HEADERS.items():
        with open(os.path.join(root, rel), encoding="utf-8") as f:
            text = re.sub(r"/\*.*?\*/", " ", f.read(), flags=re.S)
        for ret, name, params in C_EXPORT.findall(text):
            params = params.strip()
            args = [] if params in ("", "void") else [c_type(p) for p in params.split(",")]
            exports[name] = (library, ret, args)
    return exports


def strip_comments(text):
    """The text with PowerLanguage comments blanked out, line structure kept."""
    return COMMENT.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def study_files(root, folder):
    for dirpath, _, names in sorted(os.walk(os.path.join(root, folder))):
        for name in sorted(names):
            if name.endswith((".md", ".txt")):
                yield os.path.join(dirpath, name)


def declarations(text):
    """[(line, library, return, name, [argument types])] of the text's external: lines."""
    found = []
    for m in EXTERNAL.finditer(text):
        line = text.count("\n", 0, m.start()) + 1
        parts = [p.strip() for p in m.group(1).split(",")]
        if len(parts) < 3:
            found.append((line, "", "", "", None))
            continue
        library = parts[0].strip('"')
        library = library[:-4] if library.lower().endswith(".dll") else library
        args = [p for p in parts[3:] if p]
        found.append((line, library, parts[1], parts[2].strip('"'), args))
    return found


def check_declaration(where, decl, exports):
    """Faults of one declaration against the headers."""
    line, library, ret, name, args = decl
    here = f"{where}:{line}"
    if args is None:
        return [f"{here}: an external: line without library, return type and name"]
    if name not in exports:
        return [f"{here}: {name} is no export of the libraries"]
    c_library, c_ret, c_args = exports[name]
    faults = []
    if library != c_library:
        faults.append(f"{here}: {name} is declared in {library}.dll, it is in {c_library}.dll")
    if PL_TYPES.get(ret.lower(), ret) != c_ret:
        faults.append(f"{here}: {name} returns {c_ret}, declared {ret}")
    pl_args = [PL_TYPES.get(a.lower(), "unknown type " + a) for a in args]
    if len(pl_args) != len(c_args):
        faults.append(f"{here}: {name} takes {len(c_args)} arguments, declared {len(pl_args)}")
    for i, (got, want) in enumerate(zip(pl_args, c_args), 1):
        if got != want:
            faults.append(f"{here}: {name} argument {i} is {want}, declared {args[i - 1]}")
    return faults


def call_arguments(text, start):
    """Number of top-level arguments of the call whose "(" is at text[start]."""
    depth, count, quoted, empty = 0, 1, False, True
    for i in range(start, len(text)):
        c = text[i]
        if quoted:
            quoted = c != '"'
            continue
        if c == '"':
            quoted = True
        elif c in "([":
            depth += 1
            if depth == 1:
                continue
        elif c in ")]":
            depth -= 1
            if depth == 0:
                return 0 if empty else count
        elif c == "," and depth == 1:
            count += 1
        if depth >= 1 and not c.isspace():
            empty = False
    return -1


def check_calls(where, text, declared):
    """Faults of the calls of declared exports in a study text (declarations blanked)."""
    body = EXTERNAL.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)
    body = STRING.sub(lambda m: '"' + " " * (len(m.group(0)) - 2) + '"', body)
    faults = []
    for m in re.finditer(r"\b(XMT_\w+)\b", body):
        name = m.group(1)
        if name not in declared:
            continue
        rest = re.match(r"\s*", body[m.end():])
        pos = m.end() + rest.end()
        got = call_arguments(body, pos) if body[pos:pos + 1] == "(" else 0
        want = declared[name]
        if got != want:
            line = body.count("\n", 0, m.start()) + 1
            faults.append(f"{where}:{line}: {name} called with {got} arguments, declared {want}")
    return faults


def check_folder(root, folder, exports, with_calls):
    faults, declared_anywhere = [], set()
    for path in study_files(root, folder):
        where = os.path.relpath(path, root)
        with open(path, encoding="utf-8") as f:
            text = strip_comments(f.read())
        decls = declarations(text)
        declared = {}
        for decl in decls:
            faults += check_declaration(where, decl, exports)
            if decl[4] is not None:
                declared_anywhere.add(decl[3])
                declared[decl[3]] = len(decl[4])
        if with_calls:
            faults += check_calls(where, text, declared)
    for name in sorted(set(exports) - declared_anywhere):
        faults.append(f"{folder}/: {name} has no external: declaration")
    return faults


def main(argv):
    root = argv[1] if len(argv) > 1 else "."
    exports = read_headers(root)
    if len(exports) < 3:
        print("check_declarations: no exports found in the headers")
        return 1
    faults = check_folder(root, "docs", exports, False)
    faults += check_folder(root, "examples", exports, True)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
