#!/usr/bin/env python3
"""Compare a Windows mazecast-render with the Python reference.

Runs tests/reference/compare_render.py unchanged, except that each run of
the tool goes through the given emulator (wine for a cross build, nothing on
Windows itself) and the C runtime's text-mode "\\r\\n" line ends are read as
"\\n".  Usage:

    compare_render_windows.py [--emulator PROGRAM] -- COMPARE-ARGS...
"""

import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'reference'))

import compare_render  # noqa: E402


class WindowsRun:
    """Stands in for the subprocess module inside compare_render."""

    def __init__(self, emulator):
        self.prefix = [emulator] if emulator else []

    def run(self, command, **kwargs):
        done = subprocess.run(self.prefix + list(command), **kwargs)
        if isinstance(done.stdout, bytes):
            done.stdout = done.stdout.replace(b'\r\n', b'\n')
        if isinstance(done.stderr, bytes):
            done.stderr = done.stderr.replace(b'\r\n', b'\n')
        return done


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument('--emulator', default='',
                   help='program that runs Windows executables (wine)')
    p.add_argument('rest', nargs=argparse.REMAINDER,
                   help='arguments for compare_render.py, after --')
    a = p.parse_args(argv)
    rest = a.rest[1:] if a.rest[:1] == ['--'] else a.rest
    compare_render.subprocess = WindowsRun(a.emulator)
    return compare_render.main(rest)


if __name__ == '__main__':
    sys.exit(main())
