#!/usr/bin/env python3
"""Fails when a file includes a project header of a library that its target does not link, or
a header of a folder that is not below its own.

Usage: tools/check_layers.py BUILD_TREE [--graph]

Reads the tree's CMake file API (codemodel v2; the query is made, and the tree configured again,
when the tree has none): every target's sources and the targets it depends on, transitively.
A header belongs to the target that lists it among its sources, or else to the target that
lists the source file of the same name beside it. Every quoted include of a target's sources is
resolved as the compiler would (the including file's folder, then the source root, then the
generated folder) and must belong to the target itself or to one it depends on. A header of the
project that no target owns is an error too, except under tests/, whose helpers belong to no
library. Whatever the targets link, a file may include headers of its own folder and of the
folders on lower rows of FOLDER_LAYERS only; a folder the rows do not name is an error, so a new
folder is placed before it is used. With --graph, prints each library and executable with what
it depends on.
"""

import json
import pathlib
import re
import subprocess
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SOURCE_SUFFIXES = {".c", ".cpp", ".h", ".hpp", ".rc"}
HEADER_SUFFIXES = {".h", ".hpp"}
COMPANION_SUFFIXES = (".cpp", ".c")

# The project's folders from the bottom up. A target may gather files of several folders, so
# the link graph alone cannot see a file of a lower folder reaching up; this order can. Folders
# on one row stand beside each other and include nothing of each other.
FOLDER_LAYERS = [
    ("base", "res"),  # shared vocabulary; resource ids and the generated version
    ("query",),  # query rules, text and number routines
    ("lookup",),  # search, message sources, the definitions database
    ("display", "about"),  # views, facility and status names; the About window's logic
    ("core",),  # what every front end asks: readings, answers, the scan and its writers
    ("app", "cli", "web", "tools"),  # the window (and glue), command line, browser module, tools
    ("tests",),
]
FOLDER_ROW = {folder: row for row, folders in enumerate(FOLDER_LAYERS) for folder in folders}


def read_codemodel(tree):
    """The codemodel's source root and {target name: (type, [absolute sources], {dependencies})}."""
    api = tree / ".cmake" / "api" / "v1"
    query = api / "query" / "codemodel-v2"
    reply = api / "reply"
    if not query.exists() or not list(reply.glob("index-*.json")):
        query.parent.mkdir(parents=True, exist_ok=True)
        query.touch()
        subprocess.run(["cmake", str(tree)], check=True, stdout=subprocess.DEVNULL)
    index = json.loads(max(reply.glob("index-*.json")).read_text())
    model_file = index["reply"]["codemodel-v2"]["jsonFile"]
    model = json.loads((reply / model_file).read_text())
    source_root = pathlib.Path(model["paths"]["source"])
    names = {}
    raw = {}
    for entry in model["configurations"][0]["targets"]:
        target = json.loads((reply / entry["jsonFile"]).read_text())
        names[target["id"]] = target["name"]
        raw[target["name"]] = target
    targets = {}
    for name, target in raw.items():
        sources = [(source_root / s["path"]).resolve() for s in target.get("sources", [])]
        # The file API lists every target a target depends on, directly or not.
        depends = {names[d["id"]] for d in target.get("dependencies", []) if d["id"] in names}
        targets[name] = (target["type"], sources, depends)
    return source_root.resolve(), targets


def owners_of_headers(targets):
    """{header path: {targets}}: listed headers, then headers beside a listed source file."""
    owners = {}
    for name, (_, sources, _) in targets.items():
        for source in sources:
            if source.suffix in HEADER_SUFFIXES:
                owners.setdefault(source, set()).add(name)
    for name, (_, sources, _) in targets.items():
        for source in sources:
            if source.suffix in COMPANION_SUFFIXES:
                header = source.with_suffix(".h")
                if header.exists() and header not in owners:
                    owners[header] = {name}
    return owners


def is_inside(path, folder):
    try:
        path.relative_to(folder)
        return True
    except ValueError:
        return False


def folder_of(path, source_root, generated, tree):
    """The project folder that holds path: its first part under the generated folder or the
    source root; None for the rest of the build tree and for files at the root itself."""
    if is_inside(path, generated):
        parts = path.relative_to(generated).parts
    elif is_inside(path, tree) or not is_inside(path, source_root):
        return None
    else:
        parts = path.relative_to(source_root).parts
    return parts[0] if len(parts) > 1 else None


def folder_problem(shown, included, own, other):
    """(key, complaint) about an include from folder own of folder other, or None. An unplaced
    folder is one complaint however many files meet it, so its key is the folder."""
    if own == other or other is None:
        return None
    for folder in (own, other):
        if folder not in FOLDER_ROW:
            return folder, (f"folder {folder}/ has no row in FOLDER_LAYERS of "
                            f"tools/check_layers.py ({shown} includes {included})")
    if FOLDER_ROW[other] < FOLDER_ROW[own]:
        return None
    text = f"{shown} includes {included}: folder {other}/ is not below {own}/"
    return text, text


def check(tree):
    """The list of violations, one text each."""
    source_root, targets = read_codemodel(tree)
    tree = tree.resolve()
    search_roots = [source_root, (tree / "generated").resolve()]
    owners = owners_of_headers(targets)
    third_party = source_root / "third_party"
    tests = source_root / "tests"
    problems = []
    folder_problems = {}
    owned = {}
    for header, holders in owners.items():
        for holder in holders:
            owned.setdefault(holder, set()).add(header)
    for name, (_, sources, depends) in sorted(targets.items()):
        allowed = depends | {name}
        for source in sorted(set(sources) | owned.get(name, set())):
            if source.suffix not in SOURCE_SUFFIXES or not source.exists():
                continue
            if not is_inside(source, source_root) or is_inside(source, third_party):
                continue
            for included in INCLUDE.findall(source.read_text(errors="replace")):
                candidates = [source.parent / included] + [r / included for r in search_roots]
                found = next((c.resolve() for c in candidates if c.is_file()), None)
                if found is None or is_inside(found, third_party):
                    continue
                inside = is_inside(found, source_root) or is_inside(found, search_roots[1])
                if not inside:
                    continue
                shown = source.relative_to(source_root)
                own = folder_of(source, source_root, search_roots[1], tree)
                if own is not None:
                    other = folder_of(found, source_root, search_roots[1], tree)
                    problem = folder_problem(shown, included, own, other)
                    if problem:
                        folder_problems.setdefault(*problem)
                holders = owners.get(found)
                if not holders:
                    if not is_inside(found, tests):
                        problems.append(f"{shown} (target {name}) includes {included}, "
                                        "which no target lists among its sources")
                    continue
                if not holders & allowed:
                    problems.append(f"{shown} (target {name}) includes {included} of "
                                    f"{', '.join(sorted(holders))}, which {name} does not link")
    return problems + list(folder_problems.values()), targets


def print_graph(targets):
    for name, (kind, _, depends) in sorted(targets.items()):
        if kind in ("STATIC_LIBRARY", "SHARED_LIBRARY", "INTERFACE_LIBRARY", "EXECUTABLE"):
            print(f"{name} ({kind.lower()}): {', '.join(sorted(depends)) or '-'}")


def main(argv):
    if len(argv) < 2 or argv[1].startswith("-"):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    tree = pathlib.Path(argv[1])
    if not (tree / "CMakeCache.txt").is_file():
        print(f"check_layers: {tree} is no configured CMake tree", file=sys.stderr)
        return 2
    problems, targets = check(tree)
    if "--graph" in argv[2:]:
        print_graph(targets)
    for problem in problems:
        print(f"check_layers: {problem}", file=sys.stderr)
    if problems:
        return 1
    print(f"check_layers: {tree}: every include of {len(targets)} targets is within what they link")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
