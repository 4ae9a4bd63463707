#!/usr/bin/env python3
"""Sends the game's start-up probe to the terminal it runs in and writes the raw replies, escaped,
to a file (or standard error). Run it inside the terminal to be examined.

Like the game, it first turns on mouse motion reports in SGR pixels (ESC[?1003h ESC[?1006h
ESC[?1016h), so a terminal that has pixel reports answers mode 1016 as set. Steps, each closed by
the primary device attributes reply (every terminal answers it):
  probe:    ESC[?u  ESC[?1016$p  ESC[16t  ESC[14t  ESC[c   (the game's start-up queries)
  confirm:  ESC[>11u, then ESC[?u ESC[c              (the game's push and re-query; popped after)
The mouse modes are turned off at the end. Mouse reports that arrive meanwhile show in the replies.

Usage: probe_replies.py [OUTPUT-FILE]
"""
import os
import select
import sys
import termios
import time
import tty

MOUSE_ON = b"\x1b[?1003h\x1b[?1006h\x1b[?1016h"
MOUSE_OFF = b"\x1b[?1016l\x1b[?1006l\x1b[?1003l"
STEPS = [
    ("probe", b"\x1b[?u\x1b[?1016$p\x1b[16t\x1b[14t\x1b[c", b""),
    ("confirm", b"\x1b[>11u\x1b[?u\x1b[c", b"\x1b[<u"),
]


def read_reply(fd, seconds=2.0):
    got = b""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        ready, _, _ = select.select([fd], [], [], deadline - time.monotonic())
        if not ready:
            break
        got += os.read(fd, 4096)
        # The device attributes reply ends in "c" after a "?" sequence.
        if b"\x1b[?" in got and got.rstrip().endswith(b"c"):
            break
    return got


def main():
    fd = sys.stdin.fileno()
    saved = termios.tcgetattr(fd)
    lines = []
    try:
        tty.setraw(fd)
        os.write(sys.stdout.fileno(), MOUSE_ON)
        for name, query, undo in STEPS:
            os.write(sys.stdout.fileno(), query)
            reply = read_reply(fd)
            if undo:
                os.write(sys.stdout.fileno(), undo)
            lines.append("%s: %s" % (name, ascii(reply)[2:-1].replace("\\x1b", "ESC")))
    finally:
        os.write(sys.stdout.fileno(), MOUSE_OFF)
        termios.tcsetattr(fd, termios.TCSADRAIN, saved)
    text = "TERM=%s\n%s\n" % (os.environ.get("TERM", ""), "\n".join(lines))
    if len(sys.argv) > 1:
        with open(sys.argv[1], "w") as out:
            out.write(text)
    else:
        sys.stderr.write(text)


if __name__ == "__main__":
    main()
