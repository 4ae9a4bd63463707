#!/usr/bin/env python3
"""Compare mazecast-render with the Python reference on random poses.

Every case runs the C++ tool and the reference with the same options and
compares the printed bytes exactly.  Exits non-zero on any difference.
"""

import argparse
import os
import random
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


def first_difference(want, got):
    want_rows, got_rows = want.split(b'\n'), got.split(b'\n')
    for i in range(max(len(want_rows), len(got_rows))):
        a = want_rows[i] if i < len(want_rows) else None
        b = got_rows[i] if i < len(got_rows) else None
        if a != b:
            return i, a, b
    return None


def check(render, case, raw):
    """None when equal, else a description of the first difference."""
    opts = options(case, raw)
    try:
        proc = subprocess.run([render] + opts, capture_output=True,
                              timeout=60)
    except (OSError, subprocess.TimeoutExpired) as e:
        return 'command: %s %s\n%s' % (render, ' '.join(opts), e)
    map_no, x, y, angle, width, height = case
    want = rr.render(map_no, rr.parse_f32(x), rr.parse_f32(y),
                     rr.parse_f32(angle), width, height, raw)
    if proc.returncode == 0 and proc.stdout == want:
        return None
    lines = ['command: %s %s' % (render, ' '.join(opts))]
    if proc.returncode != 0:
        lines.append('exit status %d, stderr: %r'
                     % (proc.returncode, proc.stderr[:300]))
    diff = first_difference(want, proc.stdout)
    if diff:
        row, a, b = diff
        col = next((i for i in range(min(len(a or b''), len(b or b'')))
                    if a[i] != b[i]), None)
        lines.append('first differing row %d (column %s)' % (row, col))
        lines.append('  reference: %r' % a)
        lines.append('  C++      : %r' % b)
    return '\n'.join(lines)


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument('--render', default=DEFAULT_RENDER,
                   help='path of mazecast-render')
    p.add_argument('--cases', type=int, default=300,
                   help='number of random cases')
    p.add_argument('--seed', type=int, default=20240601)
    p.add_argument('--no-fixed', action='store_true',
                   help='skip the fixed hand-worked poses')
    a = p.parse_args(argv)
    if not os.access(a.render, os.X_OK):
        print('mazecast-render not found at %s' % a.render)
        return 2

    rng = random.Random(a.seed)
    cases = [] if a.no_fixed else [(c, 'fixed') for c in FIXED_CASES]
    cases += [random_case(rng) for _ in range(a.cases)]
    passed, failed = 0, []
    for i, (case, kind) in enumerate(cases):
        raw = i % 4 != 1
        report = check(a.render, case, raw)
        if report is None:
            passed += 1
            continue
        if not failed:
            print('FAIL case %d (%s position, seed %d):\n%s'
                  % (i, kind, a.seed, report))
        failed.append((i, kind))
    if len(failed) > 1:
        print('other failing cases: %s' % ', '.join(
            '%d (%s)' % f for f in failed[1:21]))
    print('%d passed, %d failed' % (passed, len(failed)))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
