#!/usr/bin/env python3
"""The include graph between the folders of src/: which folder's files
include which other folder's headers, and how many times. Exits 1 when two
folders include each other, directly or round a longer cycle, and names
them; --table prints the whole graph; --check also fails on any include
against the floors below (LAYERS), and on an include that a file beside
the including one would shadow.

    include_graph.py SRC_DIR [--table] [--check]
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

# The floors, lowest first: a folder includes only folders on lower floors.
# Folders on one floor never include each other, except the desktop
# program's own folders (ui, ui/<sub>), among which only cycles are barred.
LAYERS = [
    ('base', 'interpreter'),
    ('pe',),
    ('catalogue',),
    ('images',),
    ('filterfactory',),
    ('search',),
    ('modify',),
    ('app',),
    ('cli', 'ui'),
]


def folder_of(src, path):
    """The folder of src a file lies in: ui/<sub> for the desktop program."""
    rel = os.path.relpath(path, src).split(os.sep)
    if rel[0] == 'ui' and len(rel) > 2:
        return 'ui/' + rel[1]
    return rel[0]


def resolve(src, including, name):
    """The file an include names, from the src root."""
    path = os.path.join(src, name)
    return path if os.path.isfile(path) else None


def shadowed(src, including, name):
    """True when the compiler would take a file beside the including one
    rather than the one from the src root that the include names."""
    beside = os.path.join(os.path.dirname(including), name)
    rooted = os.path.join(src, name)
    return (os.path.isfile(beside) and os.path.isfile(rooted) and
            os.path.realpath(beside) != os.path.realpath(rooted))


def floor_of(folder):
    """The index in LAYERS of a folder's floor, and the name it has there."""
    top = folder.split('/')[0]
    for i, floor in enumerate(LAYERS):
        if top in floor:
            return i, top
    return None, top


def graph(src, problems=None):
    edges = {}
    for root, _, files in os.walk(src):
        for f in files:
            if not f.endswith(('.h', '.cpp', '.inc', '.y', '.l')):
                continue
            path = os.path.join(root, f)
            here = folder_of(src, path)
            with open(path, encoding='utf-8', errors='replace') as fh:
                text = fh.read()
            for name in INCLUDE.findall(text):
                if problems is not None and shadowed(src, path, name):
                    problems.append('%s: "%s" is found beside it before the src root' % (os.path.relpath(path, src), name))
                target = resolve(src, path, name)
                if not target:
                    continue
                there = folder_of(src, target)
                if there != here:
                    edges.setdefault(here, {}).setdefault(there, 0)
                    edges[here][there] += 1
    return edges


def cycles(edges):
    """Strongly connected groups of more than one folder (Tarjan)."""
    index, low, stack, on, out = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in edges.get(v, {}):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                out.append(sorted(group))

    nodes = set(edges) | {w for ws in edges.values() for w in ws}
    for v in sorted(nodes):
        if v not in index:
            visit(v)
    return out


def layering(edges):
    """Includes against the floors of LAYERS, one line each."""
    out = []
    nodes = set(edges) | {w for ws in edges.values() for w in ws}
    for v in sorted(nodes):
        if floor_of(v)[0] is None:
            out.append('%s has no floor in LAYERS' % v)
    for here in sorted(edges):
        (i, a) = floor_of(here)
        for there, n in sorted(edges[here].items()):
            (j, b) = floor_of(there)
            if i is None or j is None or (a == b == 'ui'):
                continue
            if j >= i:
                out.append('%s includes %s (%d), which is not below it' % (here, there, n))
    return out


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    src = argv[1]
    check = '--check' in argv
    problems = [] if check else None
    edges = graph(src, problems)
    if '--table' in argv:
        for here in sorted(edges):
            print('%-16s -> %s' % (here, ', '.join('%s (%d)' % (t, n) for t, n in sorted(edges[here].items()))))
    found = cycles(edges)
    for group in found:
        pairs = ['%s->%s (%d)' % (a, b, edges[a][b]) for a in group for b in group if b in edges.get(a, {})]
        print('cycle between %s: %s' % (', '.join(group), '; '.join(pairs)))
    if check:
        problems += layering(edges)
        for p in problems:
            print(p)
        return 1 if found or problems else 0
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
