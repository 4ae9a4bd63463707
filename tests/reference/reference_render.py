#!/usr/bin/env python3
"""Independent Python model of one running frame of mazecast.

Casts one ray per column through a 32 x 32 map, draws the wall outlines,
then writes the status line over the start of row 0.  Every float step is
rounded to single precision in the same order as the C++ renderer, so the
output can be compared byte for byte with `mazecast-render`.

Usable as a module (render(), parse_f32(), ...) and as a command line tool
with the same options as mazecast-render.
"""

import argparse
import math
import struct
import sys
from fractions import Fraction

MAP_STRIDE = 32
MAP_ROWS = 32
WALL = 0x31
BLANK = 0x20
WALL_GLYPH = 219
MAX_SCREEN_DIMENSION = 512


def f32(v):
    """Round a Python float to the nearest single-precision value."""
    try:
        return struct.unpack('<f', struct.pack('<f', v))[0]
    except OverflowError:
        return math.copysign(math.inf, v)


FOV_DEGREES = f32(60.0)
HALF_FOV = f32(30.0)
PI_APPROX = f32(3.14159)
DEGREES_HALF_TURN = f32(180.0)
FAR_DELTA = f32(1e30)
MIN_WALL_DIST = f32(0.01)
EDGE_EPSILON = f32(0.03)
EDGE_HIGH = f32(0.97)
CORNER_LIMIT_X = 22
CORNER_LIMIT_Y = 14


def _f32_neighbours(v):
    """The single-precision values just below and just above v."""
    bits = struct.unpack('<I', struct.pack('<f', v))[0]
    out = []
    for b in (bits - 1, bits + 1):
        if 0 <= b < 1 << 32:
            w = struct.unpack('<f', struct.pack('<I', b))[0]
            if math.isfinite(w):
                out.append(w)
    return out


def parse_f32(text):
    """Decimal text to the nearest float32, rounded once (like strtof)."""
    exact = Fraction(text.strip())
    best = f32(float(exact))
    if not math.isfinite(best):
        return best
    for cand in _f32_neighbours(best):
        d_best = abs(Fraction(best) - exact)
        d_cand = abs(Fraction(cand) - exact)
        even = struct.unpack('<I', struct.pack('<f', cand))[0] % 2 == 0
        if d_cand < d_best or (d_cand == d_best and even):
            best = cand
    if best == 0 and text.strip().startswith('-'):
        best = -0.0
    return best


def _build_map(lines, pad_blanks):
    grid = bytearray(MAP_STRIDE * MAP_ROWS)
    for y, line in enumerate(lines):
        row = (line + ' ' * pad_blanks).encode('ascii')
        grid[y * MAP_STRIDE:y * MAP_STRIDE + len(row)] = row
    return bytes(grid)


DEMO_MAP_1 = _build_map([
    '111111111111',
    '1          1',
    '1          1',
    '1  11  11  1',
    '1  11  11  1',
    '1          1',
    '1          1',
    '1  11  11  1',
    '1  11  11  1',
    '1          1',
    '1          1',
    '111111111111',
], 12)

DEMO_MAP_2 = _build_map([
    '1111111111111',
    '1     1     1',
    '1 1 1 1 1 1 1',
    '1           1',
    '1 1 1 1 1 1 1',
    '1     1     1',
    '111 11111 111',
    '1     1     1',
    '1 1 1 1 1 1 1',
    '1           1',
    '1 1 1 1 1 1 1',
    '1     1     1',
    '1111111111111',
], 12)

DEMO_MAP_3 = _build_map([
    '1111111111111111111111',
    '1     1     1   1    1',
    '1 111 1     1   1    1',
    '1        1      1    1',
    '1     1     1   1 11 1',
    '1     1     1   1 11 1',
    '1     11111111111 11 1',
    '1     1              1',
    '1     1     11       1',
    '1        11 11       1',
    '1 111 1  11    1111  1',
    '1     1        11    1',
    '11111111111111111 1  1',
    '11 1     1     11 1  1',
    '1                    1',
    '11    1     1        1',
    '1111111111111111111111',
], 3)

MAPS = {1: DEMO_MAP_1, 2: DEMO_MAP_2, 3: DEMO_MAP_3}


def in_grid(cx, cy):
    return 0 <= cx < MAP_STRIDE and 0 <= cy < MAP_ROWS


def cell(grid, cx, cy):
    """Map byte at (cx, cy); None outside the 32 x 32 grid."""
    if not in_grid(cx, cy):
        return None
    return grid[cy * MAP_STRIDE + cx]


def trunc_half(n):
    """Integer halving truncating towards zero (-3 -> -1)."""
    q = abs(n) // 2
    return q if n >= 0 else -q


def to_radians(a):
    return f32(f32(a * PI_APPROX) / DEGREES_HALF_TURN)


def direction(a):
    r = to_radians(a)
    return f32(math.cos(r)), f32(math.sin(r))


def cast_column(grid, px, py, angle, start, width_f, height, x, prev_side):
    """(hit side, first row, row past the end, whether the whole slice is drawn)."""
    ray_angle = f32(f32(f32(float(x) / width_f) * FOV_DEGREES) + start)
    dir_x, dir_y = direction(ray_angle)
    cx, cy = int(px), int(py)

    dd_x = FAR_DELTA if dir_x == 0 else abs(f32(1.0 / dir_x))
    dd_y = FAR_DELTA if dir_y == 0 else abs(f32(1.0 / dir_y))
    if dir_x < 0:
        step_x, side_x = -1, f32(f32(px - float(cx)) * dd_x)
    else:
        step_x, side_x = 1, f32(f32(f32(float(cx) + 1.0) - px) * dd_x)
    if dir_y < 0:
        step_y, side_y = -1, f32(f32(py - float(cy)) * dd_y)
    else:
        step_y, side_y = 1, f32(f32(f32(float(cy) + 1.0) - py) * dd_y)

    # Walk boundary by boundary; leaving the grid counts as a hit.
    hit_side = 0
    if cell(grid, cx, cy) != WALL:
        while True:
            if side_x < side_y:
                side_x = f32(side_x + dd_x)
                cx += step_x
                hit_side = 0
            else:
                side_y = f32(side_y + dd_y)
                cy += step_y
                hit_side = 1
            if not in_grid(cx, cy) or cell(grid, cx, cy) == WALL:
                break

    face_change = x > 0 and hit_side != prev_side
    if hit_side == 0:
        wall_dist = f32(side_x - dd_x)
    else:
        wall_dist = f32(side_y - dd_y)
    if wall_dist < MIN_WALL_DIST:
        wall_dist = MIN_WALL_DIST

    k = f32(math.cos(to_radians(f32(ray_angle - angle))))
    slice_height = int(f32(float(height) / f32(k * wall_dist)))
    top = trunc_half(height - slice_height)
    end = top + slice_height

    if hit_side == 0:
        w = f32(py + f32(wall_dist * dir_y))
    else:
        w = f32(px + f32(wall_dist * dir_x))
    frac = f32(w - f32(math.floor(w)))

    # A hit near either end of its face, with open floor beyond that end,
    # lies on a vertical block edge.
    neighbour = None
    if frac < EDGE_EPSILON:
        if hit_side == 0 and cy > 0:
            neighbour = (cx, cy - 1)
        elif hit_side == 1 and cx > 0:
            neighbour = (cx - 1, cy)
    elif frac > EDGE_HIGH:
        if hit_side == 0 and cy < CORNER_LIMIT_Y:
            neighbour = (cx, cy + 1)
        elif hit_side == 1 and cx < CORNER_LIMIT_X:
            neighbour = (cx + 1, cy)
    corner = neighbour is not None and cell(grid, *neighbour) == BLANK

    return hit_side, top, end, corner or face_change


def cast_view(grid, px, py, angle, width, height):
    """The blank frame with the wall outlines drawn, as rows of bytes."""
    rows = [bytearray(b' ' * width) for _ in range(height)]
    start = f32(angle - HALF_FOV)
    width_f = float(width)
    prev_side = -1
    for x in range(width):
        prev_side, top, end, full = cast_column(grid, px, py, angle, start, width_f, height,
                                                x, prev_side)
        for y in range(max(top, 0), min(end, height)):
            edge = y == top or y == end - 1
            rows[y][x] = WALL_GLYPH if full or edge else BLANK
    return rows


def format_status_line(px, py, angle):
    return 'X:%f Y:%f A:%f' % (px, py, angle)


def draw_status_line(rows, px, py, angle, width):
    text = format_status_line(px, py, angle).encode('ascii')
    n = min(len(text), width)
    rows[0][:n] = text[:n]


def render_rows(map_no, px, py, angle, width, height):
    rows = cast_view(MAPS[map_no], px, py, angle, width, height)
    draw_status_line(rows, px, py, angle, width)
    return rows


def render(map_no, px, py, angle, width=120, height=40, raw=False):
    """The bytes mazecast-render prints for this pose (floats are f32)."""
    glyph = bytes([WALL_GLYPH]) if raw else '\u2588'.encode('utf-8')
    out = []
    for row in render_rows(map_no, px, py, angle, width, height):
        out.append(bytes(row).replace(bytes([WALL_GLYPH]), glyph) + b'\n')
    return b''.join(out)


def _dimension(text):
    v = int(text)
    if not 1 <= v <= MAX_SCREEN_DIMENSION:
        raise argparse.ArgumentTypeError('must be 1..512')
    return v


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument('--map', type=int, choices=(1, 2, 3), required=True)
    p.add_argument('--x', required=True)
    p.add_argument('--y', required=True)
    p.add_argument('--angle', required=True)
    p.add_argument('--width', type=_dimension, default=120)
    p.add_argument('--height', type=_dimension, default=40)
    p.add_argument('--raw', action='store_true')
    a = p.parse_args(argv)
    data = render(a.map, parse_f32(a.x), parse_f32(a.y), parse_f32(a.angle),
                  a.width, a.height, a.raw)
    sys.stdout.buffer.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main())
