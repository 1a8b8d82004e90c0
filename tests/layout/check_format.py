#!/usr/bin/env python3
"""Fails when a C++ file of the tree is not in the house format, naming each
one; --fix formats them in place instead.

    check_format.py CLANG_FORMAT ROOT [--fix]

The house format is that of clang-format 14, the version Debian 12 ships:
other versions lay out some lines differently, so they are refused rather
than trusted.
"""
import os
import subprocess
import sys

FOLDERS = ('src', 'tests', 'bench')
SUFFIXES = ('.cpp', '.h')


def sources(root):
    for folder in FOLDERS:
        for base, dirs, files in os.walk(os.path.join(root, folder)):
            dirs.sort()
            for name in sorted(files):
                if name.endswith(SUFFIXES):
                    yield os.path.join(base, name)


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    tool, root = argv[1], argv[2]
    fix = '--fix' in argv[3:]
    version = subprocess.run([tool, '--version'], capture_output=True, text=True).stdout
    if ' version 14.' not in version:
        print(f'{tool} is not clang-format 14 ({version.strip() or "no version"}): '
              'run scripts/install-deps', file=sys.stderr)
        return 1
    files = list(sources(root))
    if not files:
        print(f'no C++ files under {root}', file=sys.stderr)
        return 1
    if fix:
        subprocess.run([tool, '-i', '--style=file'] + files, check=True)
        return 0
    # One run for all: --dry-run names every line it would change.
    run = subprocess.run([tool, '--style=file', '--dry-run', '--Werror'] + files,
                         capture_output=True, text=True)
    unformatted = sorted({os.path.relpath(line.split(':', 1)[0], root)
                          for line in run.stderr.splitlines() if ': error: ' in line})
    if run.returncode != 0 and not unformatted:
        print(run.stderr, file=sys.stderr)
        return 1
    for path in unformatted:
        print(f'not formatted: {path}', file=sys.stderr)
    if unformatted:
        print(f'{len(unformatted)} of {len(files)} files; format them with '
              f'tests/layout/check_format.py {tool} {root} --fix', file=sys.stderr)
        return 1
    print(f'{len(files)} files in the house format')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
