"""Checks of the Python reference renderer against hand-worked figures."""

import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import reference_render as rr  # noqa: E402

f32 = rr.f32
GLYPH = rr.WALL_GLYPH


def glyph_rows(rows, x):
    return [y for y in range(len(rows)) if rows[y][x] == GLYPH]


class MapLayout(unittest.TestCase):
    CASES = [
        # map, x, y, byte
        (1, 0, 0, b'1'), (1, 11, 11, b'1'), (1, 3, 3, b'1'), (1, 5, 3, b' '),
        (1, 12, 0, b' '), (1, 23, 11, b' '), (1, 24, 0, b'\0'),
        (1, 0, 12, b'\0'), (2, 24, 12, b' '), (2, 25, 0, b'\0'),
        (2, 3, 6, b' '), (2, 4, 6, b'1'), (3, 21, 16, b'1'),
        (3, 24, 16, b' '), (3, 25, 16, b'\0'), (3, 17, 12, b' '),
        (3, 0, 17, b'\0'), (3, 31, 31, b'\0'),
    ]

    def test_cells(self):
        for m, x, y, want in self.CASES:
            with self.subTest(map=m, x=x, y=y):
                self.assertEqual(bytes([rr.MAPS[m][y * 32 + x]]), want)


class DemoOneStartColumns(unittest.TestCase):
    """demoMap1, (6, 6), angle 180, 120 x 40."""

    CASES = [
        # column, cell, hitSide, height, top, corner, faceChange, glyph rows
        (60, (0, 6), 0, 8, 16, False, False, [16, 23]),
        (0, (4, 7), 1, 23, 8, False, False, [8, 30]),
        (23, (3, 7), 1, 13, 13, True, False, list(range(13, 26))),
        (24, (0, 7), 0, 7, 16, False, True, list(range(16, 23))),
        (97, (3, 4), 1, 13, 13, True, True, list(range(13, 26))),
    ]

    @classmethod
    def setUpClass(cls):
        cls.rows, cls.cols, cls.view = rr.cast_view(
            rr.DEMO_MAP_1, 6.0, 6.0, 180.0, 120, 40)

    def test_view_direction(self):
        self.assertEqual(self.view[0], -1.0)
        self.assertTrue(2e-6 < self.view[1] < 3e-6)

    def test_columns(self):
        for x, cell, side, height, top, corner, change, glyphs in self.CASES:
            c = self.cols[x]
            with self.subTest(column=x):
                self.assertEqual(
                    (c.cell, c.hit_side, c.slice_height, c.slice_top,
                     c.slice_end, c.corner, c.face_change),
                    (cell, side, height, top, top + height, corner, change))
                self.assertEqual(glyph_rows(self.rows, x), glyphs)

    def test_column_details(self):
        c60, c0, c23 = self.cols[60], self.cols[0], self.cols[23]
        self.assertEqual((c60.ray_angle, c60.ray_dir[0]), (180.0, -1.0))
        self.assertEqual(c60.wall_dist, 5.0)
        self.assertLess(c60.wall_frac, 0.03)
        self.assertEqual(c0.ray_angle, 150.0)
        self.assertAlmostEqual(c0.wall_dist, 2.0, places=4)
        self.assertAlmostEqual(c23.wall_frac, 0.011, places=3)


class SpecialPoses(unittest.TestCase):
    def cast(self, m, x, y, a, w=120, h=40):
        return rr.cast_view(rr.MAPS[m], f32(x), f32(y), f32(a), w, h)

    def test_flat_wall_too_close_is_blank(self):
        _, cols, _ = self.cast(1, 1.5, 5.5, 180.0)
        self.assertEqual({(c.slice_height, c.slice_top) for c in cols},
                         {(79, -19), (80, -20)})
        rows = rr.render_rows(1, 1.5, 5.5, 180.0, 120, 40)
        text = b'X:1.500000 Y:5.500000 A:180.000000'
        self.assertEqual(bytes(rows[0]), text.ljust(120))
        self.assertTrue(all(bytes(r) == b' ' * 120 for r in rows[1:]))

    def test_narrow_frames_ray_angles(self):
        for width, angles in ((1, [150.0]), (2, [150.0, 180.0]),
                              (3, [150.0, 170.0, 190.0])):
            _, cols, _ = self.cast(1, 6.0, 6.0, 180.0, w=width)
            with self.subTest(width=width):
                self.assertEqual([c.ray_angle for c in cols], angles)

    def test_ray_along_plus_x(self):
        _, cols, _ = self.cast(1, 6.0, 6.0, 30.0)
        c = cols[0]
        self.assertEqual((c.ray_angle, c.ray_dir), (0.0, (1.0, 0.0)))
        self.assertEqual((c.cell, c.hit_side, c.wall_dist), ((11, 6), 0, 5.0))

    def test_player_inside_wall(self):
        rows, cols, _ = self.cast(1, 3.5, 3.5, 180.0)
        c = cols[60]
        self.assertEqual((c.cell, c.hit_side, c.wall_dist),
                         ((3, 3), 0, f32(0.01)))
        self.assertEqual((c.slice_height, c.slice_top), (4000, -1980))
        self.assertEqual(glyph_rows(rows, 60), [])

    def test_tie_steps_in_y(self):
        # From the corner point (5, 3) at 225 degrees both crossings are 0;
        # stepping x first would stop at once in the wall cell (4, 3).
        _, cols, _ = self.cast(1, 5.0, 3.0, 255.0, w=2)
        c = cols[0]
        self.assertEqual(c.ray_angle, 225.0)
        self.assertEqual((c.hit_side, c.cell[1]), (1, 0))

    def test_slice_rows_truncate_towards_zero(self):
        for height, slice_h, want in ((40, 41, (0, 41)), (40, 43, (-1, 42)),
                                      (40, 1, (19, 20)), (40, 0, (20, 20)),
                                      (1, 4, (-1, 3))):
            with self.subTest(slice_height=slice_h):
                self.assertEqual(rr.slice_rows(height, slice_h), want)


class StatusLine(unittest.TestCase):
    CASES = [
        # x, y, angle, width, expected start of row 0
        (6.0, 6.0, 180.0, 120, 'X:6.000000 Y:6.000000 A:180.000000'),
        (3.5, 10.0, 270.0, 120, 'X:3.500000 Y:10.000000 A:270.000000'),
        (15.0, 3.5, 180.0, 120, 'X:15.000000 Y:3.500000 A:180.000000'),
        (5.75, 6 + 2 ** -21, 180.0, 120, 'X:5.750000 Y:6.000000 A:180.000000'),
        (6.0, 6.0, f32(180 + f32(0.1)), 120,
         'X:6.000000 Y:6.000000 A:180.100006'),
        (6.0, 6.0, -0.25, 120, 'X:6.000000 Y:6.000000 A:-0.250000'),
        (6.0, 6.0, 359.75, 120, 'X:6.000000 Y:6.000000 A:359.750000'),
        (6.0, 6.0, 180.0, 20, 'X:6.000000 Y:6.00000'),
        (6.0, 6.0, 180.0, 1, 'X'),
    ]

    def test_row_zero(self):
        for x, y, a, width, text in self.CASES:
            with self.subTest(text=text):
                cast, _, _ = rr.cast_view(rr.DEMO_MAP_1, x, y, a, width, 40)
                rows = rr.render_rows(1, x, y, a, width, 40)
                n = len(text)
                self.assertEqual(bytes(rows[0][:n]).decode(), text)
                self.assertEqual(rows[0][n:], cast[0][n:])
                self.assertEqual(rows[1:], cast[1:])


class DecimalParsing(unittest.TestCase):
    def test_single_rounding(self):
        # A decimal just above the midpoint of two floats, close enough that
        # rounding through double lands on the midpoint and then goes even.
        lo = f32(1.0)
        hi = struct.unpack('<f', struct.pack('<I', 0x3F800001))[0]
        text = '%.30f' % ((lo + hi) / 2) + '1'
        self.assertEqual(f32(float(text)), lo)
        for t, want in ((text, hi), ('0.1', f32(0.1)), ('-0', -0.0),
                        ('180.1', f32(180.1)), ('1e1', 10.0)):
            with self.subTest(text=t):
                got = rr.parse_f32(t)
                self.assertEqual(got, want)
                self.assertEqual(str(got)[0] == '-', str(want)[0] == '-')


class CommandLine(unittest.TestCase):
    def test_glyph_encoding(self):
        utf8 = rr.render(1, 6.0, 6.0, 180.0)
        raw = rr.render(1, 6.0, 6.0, 180.0, raw=True)
        self.assertEqual(raw.count(b'\n'), 40)
        self.assertTrue(all(len(r) == 120 for r in raw.split(b'\n')[:-1]))
        self.assertEqual(utf8, raw.replace(b'\xdb', '\u2588'.encode()))
        self.assertIn(b'\xdb', raw)


if __name__ == '__main__':
    unittest.main()
