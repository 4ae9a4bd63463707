#!/usr/bin/env python3
"""Prints one row of the window that a terminal's byte log leaves, as a person would read it:
the game sends only the cells that change, so text is read from the screen, not the bytes.

Usage: screen_line.py LOG ROW [ROWS COLUMNS]   (ROW zero-based; the window 40 x 120 by default)
"""
import sys

from pty_screen import ScreenGrid


def main():
    log, row = sys.argv[1], int(sys.argv[2])
    rows, columns = (int(sys.argv[3]), int(sys.argv[4])) if len(sys.argv) > 4 else (40, 120)
    grid = ScreenGrid(rows, columns)
    try:
        with open(log, "rb") as stream:
            grid.feed(stream.read())
    except OSError:
        return 0
    print(grid.line(row))
    return 0


if __name__ == "__main__":
    sys.exit(main())
