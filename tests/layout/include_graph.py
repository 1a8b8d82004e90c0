#!/usr/bin/env python3
"""The include graph between the folders of src/: which folder's files
include which other folder's headers, and how many times. Exits 1 when two
folders include each other, directly or round a longer cycle, and names
them; --table prints the whole graph.

    include_graph.py SRC_DIR [--table]
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(src, path):
    """The folder of src a file lies in: ui/<sub> for the desktop program."""
    rel = os.path.relpath(path, src).split(os.sep)
    if rel[0] == 'ui' and len(rel) > 2:
        return 'ui/' + rel[1]
    return rel[0]


def resolve(src, including, name):
    """The file an include names: from the src root, or (for the desktop
    program) from src/ui, where its headers may still be found."""
    candidates = [os.path.join(src, name)]
    if folder_of(src, including).startswith('ui'):
        candidates.insert(0, os.path.join(src, 'ui', name))
    for c in candidates:
        if os.path.isfile(c):
            return c
    return None


def graph(src):
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


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    src = argv[1]
    edges = graph(src)
    if '--table' in argv:
        for here in sorted(edges):
            print('%-16s -> %s' % (here, ', '.join('%s (%d)' % (t, n) for t, n in sorted(edges[here].items()))))
    found = cycles(edges)
    for group in found:
        pairs = ['%s->%s (%d)' % (a, b, edges[a][b]) for a in group for b in group if b in edges.get(a, {})]
        print('cycle between %s: %s' % (', '.join(group), '; '.join(pairs)))
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
