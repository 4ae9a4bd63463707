#!/usr/bin/env python3
"""Compare a build of mazecast-render with the Python reference, or with the native tool.

Every case runs the tool under test and the oracle with the same options and
compares the printed bytes exactly.  The tool runs as it is (`--runner
native`), under an emulator with the Windows C runtime's "\\r\\n" line ends
read as "\\n" (`--runner wine`; an empty --emulator runs the .exe directly, on
Windows itself), or as WebAssembly under Node.js (`--runner node`).  The
oracle is the Python reference (exit status 0 and the same standard output),
or with `--native` the native tool (the same exit status, standard output and
standard error), which also answers the golden render cases (`--golden`,
errors included).  Exits non-zero on any difference, 77 (skipped) when the
native tool or Node.js is missing.
"""

import argparse
import concurrent.futures
import os
import random
import shlex
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import reference_render as rr  # noqa: E402

MAP_SIZE = {1: (12, 12), 2: (13, 13), 3: (22, 17)}
DEFAULT_RENDER = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                              '..', '..', 'build', 'mazecast-render')

# Poses with hand-worked figures, plus edge cases of the frame size.
FIXED_CASES = [
    # map, x, y, angle, width, height
    (1, '6', '6', '180', 120, 40),
    (1, '1.5', '5.5', '180', 120, 40),
    (2, '3.5', '10', '270', 120, 40),
    (3, '15', '3.5', '180', 120, 40),
    (1, '5.75', '6.00000048', '180', 120, 40),
    (1, '6', '6', '180.1', 120, 40),
    (1, '6', '6', '-0.25', 120, 40),
    (1, '6', '6', '359.75', 120, 40),
    (1, '6', '6', '30', 120, 40),
    (1, '3.5', '3.5', '180', 120, 40),
    (1, '5', '3', '255', 2, 40),
    (1, '6', '6', '180', 20, 40),
    (1, '6', '6', '180', 1, 40),
    (1, '6', '6', '180', 2, 1),
    (1, '6', '6', '180', 1, 1),
    (2, '3.5', '10', '270', 512, 512),
    (3, '15', '3.5', '180', 511, 3),
    (1, '6', '6', '1e2', 97, 31),
    (2, '3.5', '10', '100000.3', 121, 41),
    (3, '15', '3.5', '-7777.77', 64, 24),
    # Just above the midpoint of 8 and the float after it: rounded once, as strtof does, it is
    # 8.000001; through a double first, 8.000000. And a negative zero keeps its sign.
    (1, '8.000000476837158203125000000001', '6', '180', 40, 2),
    (1, '6', '6', '-0', 120, 40),
]


def cells(map_no, want):
    """Cells inside the map's outline whose byte is `want`."""
    w, h = MAP_SIZE[map_no]
    grid = rr.MAPS[map_no]
    return [(x, y) for y in range(h) for x in range(w)
            if grid[y * 32 + x] == ord(want)]


def fraction_text(rng, base):
    digits = rng.choice((1, 2, 3, 4, 6, 7))
    frac = rng.randrange(10 ** digits)
    return '%d.%0*d' % (base, digits, frac)


def random_position(rng, map_no):
    kind = rng.choices(('open', 'boundary', 'wall', 'outside'),
                       weights=(55, 25, 15, 5))[0]
    if kind == 'open':
        cx, cy = rng.choice(cells(map_no, ' '))
        return kind, fraction_text(rng, cx), fraction_text(rng, cy)
    if kind == 'wall':
        cx, cy = rng.choice(cells(map_no, '1'))
        return kind, fraction_text(rng, cx), fraction_text(rng, cy)
    if kind == 'boundary':
        # Corner or edge points and cell centres around open cells.
        cx, cy = rng.choice(cells(map_no, ' '))
        x = rng.choice(('%d' % cx, '%d' % (cx + 1), '%d.5' % cx,
                        '%d.0' % cx, fraction_text(rng, cx)))
        y = rng.choice(('%d' % cy, '%d' % (cy + 1), '%d.5' % cy,
                        '%d.0' % cy, fraction_text(rng, cy)))
        return kind, x, y
    # Blank cells beyond the outer wall, where rays may leave the grid.
    w, h = MAP_SIZE[map_no]
    x = rng.choice(('%d' % rng.randrange(w, 25), fraction_text(
        rng, rng.randrange(w, 25))))
    y = rng.choice(('%d' % rng.randrange(h), fraction_text(
        rng, rng.randrange(h))))
    return kind, x, y


def random_angle(rng):
    kind = rng.randrange(7)
    if kind == 0:
        return '%d' % (90 * rng.randrange(-8, 9))
    if kind == 1:
        return '%d' % (30 * rng.randrange(-24, 25))
    if kind == 2:
        return rng.choice(('0', '-0', '0.0', '360', '180', '-180'))
    if kind == 3:
        return '%.1f' % (rng.randrange(-7200, 7200) / 10)
    if kind == 4:
        return '%.6f' % rng.uniform(-720, 1080)
    if kind == 5:
        return repr(rr.f32(rng.uniform(0, 360)))
    return '%d.%02d' % (rng.randrange(-400, 800), rng.randrange(100))


def random_dimension(rng, typical):
    kind = rng.randrange(10)
    if kind == 0:
        return rng.choice((1, 2, 3, 512, 511))
    if kind <= 3:
        return rng.randrange(1, 16)
    if kind <= 7:
        return rng.randrange(typical // 2, typical * 2) | rng.randrange(2)
    return rng.randrange(1, 513)


def random_case(rng):
    map_no = rng.randrange(1, 4)
    kind, x, y = random_position(rng, map_no)
    width = random_dimension(rng, 120)
    height = random_dimension(rng, 40)
    if width * height > 65536 and rng.random() < 0.7:
        height = rng.randrange(1, 64)
    return (map_no, x, y, random_angle(rng), width, height), kind


def options(case, raw):
    map_no, x, y, angle, width, height = case
    opts = ['--map', str(map_no), '--x', x, '--y', y, '--angle', angle,
            '--width', str(width), '--height', str(height)]
    return opts + ['--raw'] if raw else opts


def row_difference(want, got):
    """The first row where two outputs differ, and its first differing column."""
    want_rows, got_rows = want.split(b'\n'), got.split(b'\n')
    for row in range(max(len(want_rows), len(got_rows))):
        a = want_rows[row] if row < len(want_rows) else b''
        b = got_rows[row] if row < len(got_rows) else b''
        if a != b or row >= min(len(want_rows), len(got_rows)):
            col = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), None)
            return ('first differing row %d (column %s)\n  want: %r\n  got : %r'
                    % (row, col, a, b))
    return 'no differing row'


def golden_cases(path):
    """(name, arguments, None) of each 'name: arguments' line of the golden render cases."""
    with open(path, encoding='utf-8') as f:
        lines = [line.strip() for line in f]
    return [(name.strip(), shlex.split(arguments), None)
            for name, _, arguments in (line.partition(':') for line in lines
                                       if line and not line.startswith('#'))]


def pose_cases(count, seed, fixed):
    """(name, options, pose) of the fixed poses and `count` random ones."""
    rng = random.Random(seed)
    cases = [(c, 'fixed') for c in FIXED_CASES] if fixed else []
    cases += [random_case(rng) for _ in range(count)]
    return [('case %d (%s position, seed %d)' % (i, kind, seed), options(case, i % 4 != 1), case)
            for i, (case, kind) in enumerate(cases)]


def run(command, crlf=False):
    """(exit status, stdout, stderr), "\\r\\n" read as "\\n" when `crlf`."""
    try:
        done = subprocess.run(command, capture_output=True, timeout=120)
    except (OSError, subprocess.TimeoutExpired) as e:
        return None, b'', str(e).encode()
    if not crlf:
        return done.returncode, done.stdout, done.stderr
    return (done.returncode, done.stdout.replace(b'\r\n', b'\n'),
            done.stderr.replace(b'\r\n', b'\n'))


def compare(prefix, crlf, render, native, case):
    """None when the tool prints what the oracle does, else what differs. The reference says
    nothing about standard error (None)."""
    name, arguments, pose = case
    command = prefix + [render] + arguments
    got = run(command, crlf)
    if native is None:
        map_no, x, y, angle, width, height = pose
        want = (0, rr.render(map_no, rr.parse_f32(x), rr.parse_f32(y), rr.parse_f32(angle),
                             width, height, '--raw' in arguments), None)
    else:
        want = run([native] + arguments)
    differ = [(label, w, g) for label, w, g in zip(('exit status', 'stdout', 'stderr'), want, got)
              if w is not None and w != g]
    if not differ:
        return None
    return '\n'.join(['%s: %s' % (name, ' '.join(command))] + [
        '  stdout: ' + row_difference(w, g) if label == 'stdout'
        else '  %s: want %r, got %r' % (label, w, g[:300] if isinstance(g, bytes) else g)
        for label, w, g in differ])


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument('--render', default=DEFAULT_RENDER,
                   help='the mazecast-render under test')
    p.add_argument('--runner', choices=('native', 'wine', 'node'),
                   default='native', help='how the tool under test runs')
    p.add_argument('--emulator', default='wine',
                   help='what runs a Windows executable (--runner wine)')
    p.add_argument('--node', default='node', help='Node.js (--runner node)')
    p.add_argument('--native', help='compare with this native tool, not the reference')
    p.add_argument('--golden', help='the golden render cases, for --native')
    p.add_argument('--cases', type=int, default=300,
                   help='number of random cases')
    p.add_argument('--seed', type=int, default=20240601)
    p.add_argument('--no-fixed', action='store_true',
                   help='skip the fixed hand-worked poses')
    p.add_argument('--jobs', type=int, default=1, help='cases run at once')
    a = p.parse_args(argv)
    prefix = {'native': [], 'wine': [a.emulator] if a.emulator else [],
              'node': [a.node]}[a.runner]
    if a.native is not None:
        for tool in [a.native] + prefix:
            if not shutil.which(tool):
                print('skipped: %s not found (the native tool: build the native tree first)' % tool)
                return 77
    elif a.runner == 'native' and not os.access(a.render, os.X_OK):
        print('mazecast-render not found at %s' % a.render)
        return 2

    cases = golden_cases(a.golden) if a.golden and a.native else []
    cases += pose_cases(a.cases, a.seed, not a.no_fixed)
    with concurrent.futures.ThreadPoolExecutor(max_workers=a.jobs) as pool:
        reports = list(pool.map(
            lambda case: compare(prefix, a.runner == 'wine', a.render, a.native, case),
            cases))
    failures = [r for r in reports if r is not None]
    for report in failures[:10]:
        print('FAIL ' + report)
    print('%d passed, %d failed' % (len(cases) - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
