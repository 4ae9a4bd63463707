#!/usr/bin/env python3
"""Compare the web build's mazecast-render with the native one, byte for byte.

The render tool compiled to WebAssembly runs under Node.js; every case runs
it and the native tool with the same options and compares standard output,
standard error and the exit status.  The cases are every line of the golden
render cases (errors included) and the reference comparison's fixed and
random poses.  Exits 77 (skipped) when the native tool or Node.js is
missing.  Usage:

    compare_web_render.py --node NODE --web RENDER.js --native RENDER
                          --golden CASES.txt [--cases N] [--seed S]
"""

import argparse
import concurrent.futures
import os
import random
import shlex
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'reference'))

import compare_render  # noqa: E402

SKIPPED = 77


def golden_cases(path):
    """(name, arguments) of each 'name: arguments' line."""
    cases = []
    with open(path, encoding='utf-8') as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith('#'):
                continue
            name, _, arguments = line.partition(':')
            cases.append((name.strip(), shlex.split(arguments)))
    return cases


def pose_cases(count, seed):
    rng = random.Random(seed)
    cases = [('fixed %d' % i, compare_render.options(c, i % 4 != 1))
             for i, c in enumerate(compare_render.FIXED_CASES)]
    for i in range(count):
        case, kind = compare_render.random_case(rng)
        cases.append(('random %d (%s)' % (i, kind),
                      compare_render.options(case, i % 4 != 1)))
    return cases


def run(command):
    done = subprocess.run(command, capture_output=True, timeout=120)
    return done.returncode, done.stdout, done.stderr


def compare(node, web, native, case):
    """None when both tools print the same, else what differs."""
    name, arguments = case
    want = run([native] + arguments)
    got = run([node, web] + arguments)
    if want == got:
        return None
    lines = ['%s: %s' % (name, ' '.join(arguments))]
    for label, a, b in zip(('exit status', 'stdout', 'stderr'), want, got):
        if a != b:
            if isinstance(a, bytes):
                diff = compare_render.first_difference(a, b)
                row, a, b = diff if diff else (None, a, b)
                label += ' (first differing row %s)' % row
            lines.append('  %s: native %r, web %r' % (label, a, b))
    return '\n'.join(lines)


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument('--node', required=True)
    p.add_argument('--web', required=True, help='mazecast-render.js')
    p.add_argument('--native', required=True, help='the native mazecast-render')
    p.add_argument('--golden', required=True, help='the golden render cases')
    p.add_argument('--cases', type=int, default=300, help='random poses')
    p.add_argument('--seed', type=int, default=20240601)
    a = p.parse_args(argv)
    for tool in (a.node, a.native):
        if not os.access(tool, os.X_OK):
            print('skipped: %s not found (build the native tree first)' % tool)
            return SKIPPED

    cases = golden_cases(a.golden) + pose_cases(a.cases, a.seed)
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        reports = list(pool.map(
            lambda case: compare(a.node, a.web, a.native, case), cases))
    failures = [r for r in reports if r is not None]
    for report in failures[:10]:
        print('FAIL ' + report)
    print('%d passed, %d failed' % (len(cases) - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
