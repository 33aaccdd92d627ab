#!/usr/bin/env python3
"""Checks the shape of src/: includes point down the layers, no include cycles, short files.

Layers, lowest first:
  common/    tiny helpers every file may use
  settings/  the settings record and file, theme and lexer tables
  ui/        window services shared by the features
  features   document/, search/, export/, markdown/, print/, help/, and the dialogs of settings/
  app/       the main window on top: the only folder that knows every feature

A file is a module together with its header (x.h and x.cpp are one node). The script reports
  - includes that point up a layer,
  - includes from one feature folder into another that are not in ALLOWED_CROSS_FEATURE,
  - cycles among modules,
  - source files longer than MAX_LINES,
and exits non-zero when there is any. `--report` prints the counts even when all is well.
"""
import os
import re
import sys

RANK = {"common": 0, "settings": 1, "ui": 2, "document": 3, "search": 3, "export": 3,
        "markdown": 3, "print": 3, "help": 3, "app": 4}
# Files of a lower folder that sit at the feature layer (dialogs that use the ui layer).
FEATURE_FILES = {"settings/settings_dialog_win", "settings/font_dialog_win"}
# The declared calls between features: (from folder, to module).
ALLOWED_CROSS_FEATURE = {
    ("markdown", "export/export_win"),       # Markdown pages are written as export jobs
    ("markdown", "export/export_logic"),     # with the export's names and limits
    ("export", "document/document_win"),     # exports name their output after the document
    ("markdown", "document/document_win"),
    ("print", "export/export_win"),          # PDF exports run as export jobs
    ("print", "export/export_logic"),        # with the export's names
    ("print", "document/document_win"),
    ("print", "markdown/markdown_html"),     # Markdown pages take the body font of the HTML page
}
MAX_LINES = 650
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def module_of(path):
    return os.path.splitext(path)[0]


def rank_of(module):
    if module in FEATURE_FILES:
        return RANK["document"]
    return RANK.get(module.split("/")[0])


def read_graph(src):
    edges, lines = {}, {}
    for folder, _, files in os.walk(src):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            full = os.path.join(folder, name)
            rel = os.path.relpath(full, src).replace(os.sep, "/")
            with open(full, encoding="utf-8") as f:
                text = f.read()
            lines[rel] = text.count("\n")
            here = module_of(rel)
            for target in INCLUDE.findall(text):
                if "/" not in target:
                    target = os.path.dirname(rel) + "/" + target
                if os.path.exists(os.path.join(src, target)):
                    edges.setdefault(here, set()).add((module_of(target), rel))
            edges.setdefault(here, set())
    return edges, lines


def cycles(edges):
    """Strongly connected components with more than one module (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w, _ in edges.get(v, ()):
            if w == v:
                continue
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    src = args[0] if args else os.path.join(os.path.dirname(__file__), "..", "src")
    edges, lines = read_graph(src)
    up, cross = [], []
    for module, targets in sorted(edges.items()):
        for target, file in sorted(targets):
            a, b = rank_of(module), rank_of(target)
            if a is None or b is None or module.split("/")[0] == target.split("/")[0]:
                continue
            if b > a:
                up.append(f"{file} includes {target} (a higher layer)")
            elif a == b == RANK["document"] and (module.split("/")[0], target) not in ALLOWED_CROSS_FEATURE:
                cross.append(f"{file} includes {target} (another feature)")
    loops = cycles(edges)
    long_files = [f"{f}: {n} lines" for f, n in sorted(lines.items()) if n > MAX_LINES]
    for title, items in (("Includes pointing up", up), ("Undeclared includes between features", cross),
                         ("Include cycles", [" <-> ".join(c) for c in loops]),
                         (f"Files over {MAX_LINES} lines", long_files)):
        if items or "--report" in sys.argv:
            print(f"{title}: {len(items)}")
            for item in items:
                print("  " + item)
    return 1 if up or cross or loops or long_files else 0


if __name__ == "__main__":
    sys.exit(main())
