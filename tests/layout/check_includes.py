#!/usr/bin/env python3
"""Checks that no include cycle exists in the sources: neither between files
(a header that ends up including itself) nor between folders (a folder whose
files include a folder that includes it back). The one exception is setup's
own sub-folders: its wizard (shell/) makes the pages (pages/), which use the
wizard's questions, and the installing page runs the engine (install/); they
are one program built from one library. Every quoted include must name a file
of the tree, by its file name, and no two files may share a name.
Usage: tests/layout/check_includes.py [repository root]"""
import os
import re
import sys

SOURCE = re.compile(r"\.(c|cc|cpp|h|hpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SKIP = {"build", ".git", ".cache", "docs"}
ONE_PROGRAM = ("setup/",)


def sources(root):
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = sorted(d for d in subfolders if d not in SKIP and not d.startswith("build"))
        for name in sorted(files):
            if SOURCE.search(name):
                yield os.path.relpath(os.path.join(folder, name), root)


def cycles(graph):
    """Every cycle found by a depth-first walk, as a list of nodes."""
    found, state, stack = [], {}, []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for other in sorted(graph.get(node, ())):
            if state.get(other) == 1:
                found.append(stack[stack.index(other):] + [other])
            elif other not in state:
                visit(other)
        stack.pop()
        state[node] = 2

    for node in sorted(graph):
        if node not in state:
            visit(node)
    return found


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", ".."))
    files = list(sources(root))
    by_name, problems = {}, []
    for path in files:
        name = os.path.basename(path)
        if name in by_name:
            problems.append("two files named %s: %s and %s" % (name, by_name[name], path))
        by_name[name] = path
    file_graph, folder_graph = {}, {}
    for path in files:
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for included in INCLUDE.findall(text):
            target = by_name.get(os.path.basename(included))
            if target is None:
                problems.append("%s includes \"%s\", which is not in the tree" % (path, included))
                continue
            file_graph.setdefault(path, set()).add(target)
            a, b = os.path.dirname(path), os.path.dirname(target)
            if a != b and not any(a.startswith(p) and b.startswith(p) for p in ONE_PROGRAM):
                folder_graph.setdefault(a, set()).add(b)
    for cycle in cycles(file_graph):
        problems.append("files include each other: " + " -> ".join(cycle))
    for cycle in cycles(folder_graph):
        problems.append("folders include each other: " + " -> ".join(cycle))
    for problem in problems:
        print("check_includes: " + problem)
    print("check_includes: %d files, %d folders, %s" % (len(files), len(folder_graph),
                                                        "no cycle" if not problems else "%d problem(s)" % len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
