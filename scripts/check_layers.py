#!/usr/bin/env python3
"""Checks that the sources' includes point one way.

The layers, each allowed to include only itself and those after it:
  editor/win32/      the program: window, procedure, start
  editor/win32/gdi/  the engine's GDI back end
  editor/            the editor's logic
  render/            the pixel engine
  figure/            the model
No header includes itself through others (a cycle), and windows.h is
included only under editor/win32/ and by the save's Windows file calls.

  check_layers.py [ROOT]     checks the tree at ROOT (the repository's by default)
  check_layers.py --self-test  shows that a planted cycle and a planted
                               upward include both fail the check
"""
import os
import re
import sys
import tempfile

# Each layer and the layers its files may include, itself among them.
LAYERS = [
    ("editor/win32/gdi/", ["editor/win32/gdi/", "render/", "figure/"]),
    ("editor/win32/", ["editor/win32/", "editor/win32/gdi/", "editor/", "render/", "figure/"]),
    ("editor/", ["editor/", "render/", "figure/"]),
    ("render/", ["render/", "figure/"]),
    ("figure/", ["figure/"]),
]
WINDOWS_H_ALLOWED = ("editor/win32/", "figure/save_steps_windows.cpp", "figure/save_lock_windows.cpp")
SOURCE_FOLDERS = ("figure", "render", "editor", "tests", "bench", "fuzz")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]', re.M)


def layer_of(path):
    for prefix, _ in LAYERS:
        if path.startswith(prefix):
            return prefix
    return None


def allowed_for(layer):
    return dict(LAYERS)[layer]


def read_includes(root):
    """Maps each source, relative to root, to its (kind, name) includes."""
    includes = {}
    for folder in SOURCE_FOLDERS:
        for directory, _, files in os.walk(os.path.join(root, folder)):
            for name in files:
                if name.endswith((".h", ".cpp")):
                    full = os.path.join(directory, name)
                    relative = os.path.relpath(full, root).replace(os.sep, "/")
                    with open(full, encoding="utf-8", errors="replace") as source:
                        includes[relative] = INCLUDE.findall(source.read())
    return includes


def resolve(root, including, name):
    """The project file a quoted include names, or None for another one."""
    for base in ("", os.path.dirname(including) + "/", "tests/"):
        candidate = os.path.normpath(base + name).replace(os.sep, "/")
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def find_cycle(graph):
    """A list of files that include each other in a ring, or None."""
    state = {}
    stack = []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in graph.get(node, ()):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def check(root):
    problems = []
    includes = read_includes(root)
    graph = {}
    for path, found in sorted(includes.items()):
        layer = layer_of(path)
        for kind, name in found:
            if kind == "<":
                if name.lower() == "windows.h" and not path.startswith(WINDOWS_H_ALLOWED) and layer:
                    problems.append(f"{path}: includes windows.h outside the Windows code")
                continue
            target = resolve(root, path, name)
            if target is None:
                continue
            graph.setdefault(path, []).append(target)
            target_layer = layer_of(target)
            if layer and target_layer and target_layer not in allowed_for(layer):
                problems.append(f"{path}: includes {target}, a layer above its own ({layer})")
    cycle = find_cycle(graph)
    if cycle:
        problems.append("an include cycle: " + " -> ".join(cycle))
    return problems


def self_test():
    planted = {
        "a cycle": {"render/a.h": '#include "render/b.h"\n', "render/b.h": '#include "render/a.h"\n'},
        "an upward include": {"figure/a.h": '#include "editor/b.h"\n', "editor/b.h": ""},
        "windows.h in portable code": {"render/a.cpp": "#include <windows.h>\n"},
    }
    failed = False
    for what, files in planted.items():
        with tempfile.TemporaryDirectory() as root:
            for path, text in files.items():
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                    out.write(text)
            if check(root):
                print(f"self-test: {what} is found")
            else:
                print(f"self-test: {what} is NOT found")
                failed = True
    return 1 if failed else 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    problems = check(os.path.abspath(root))
    for problem in problems:
        print(problem)
    if not problems:
        print("includes point one way; no include cycle")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
