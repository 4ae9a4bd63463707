"""The terminal's end of a pseudo-terminal, shared by the tests that play a terminal
themselves: collects what the game writes and sends it bytes."""

import os
import select
import time


class ScreenGrid:
    """The cells a terminal window shows for a byte stream, as far as the game's output needs:
    cursor moves (CSI H), erasing (CSI K and J), the alternate screen (which starts blank) and
    UTF-8 text with autowrap off. Other sequences are skipped. Rows and columns past
    `limit` are not kept: a window larger than that is the top-left part of one."""

    def __init__(self, rows, columns, limit=600):
        self.rows = min(rows, limit)
        self.columns = min(columns, limit)
        self.cells = [[" "] * self.columns for _ in range(self.rows)]
        self.row = 0
        self.column = 0
        self.pending = b""

    def _put(self, char):
        if self.row < self.rows and self.column < self.columns:  # a window of no cells
            self.cells[self.row][self.column] = char
        self.column = min(self.column + 1, self.columns - 1)

    def _erase(self, row, first, end):
        if row < self.rows:
            for column in range(first, min(end, self.columns)):
                self.cells[row][column] = " "

    def _sequence(self, params, final):
        numbers = [int(p) if p.isdigit() else 0 for p in params.split(b";")] if params else []
        if final in b"Hf":  # a move past the window stops at its edge, as in a terminal
            self.row = max(min((numbers[0] if numbers else 1) - 1, self.rows - 1), 0)
            self.column = max(min((numbers[1] if len(numbers) > 1 else 1) - 1,
                                  self.columns - 1), 0)
        elif final == ord("K"):
            self._erase(self.row, self.column, self.columns)
        elif final == ord("J"):
            mode = numbers[0] if numbers else 0
            first_row = 0 if mode == 2 else self.row + 1
            if mode != 2:
                self._erase(self.row, self.column, self.columns)
            for row in range(first_row, self.rows):
                self._erase(row, 0, self.columns)
        elif final in b"hl" and params == b"?1049":
            for row in range(self.rows):
                self._erase(row, 0, self.columns)

    def feed(self, data):
        data = self.pending + data
        self.pending = b""
        i = 0
        while i < len(data):
            byte = data[i]
            if byte == 0x1B:
                if i + 1 >= len(data):
                    self.pending = data[i:]
                    return
                if data[i + 1] != ord("["):
                    i += 2
                    continue
                end = i + 2
                while end < len(data) and not 0x40 <= data[end] <= 0x7E:
                    end += 1
                if end >= len(data):
                    self.pending = data[i:]
                    return
                self._sequence(data[i + 2:end].lstrip(b"<=>"), data[end])
                i = end + 1
            elif byte == 0x0D:
                self.column = 0
                i += 1
            elif byte == 0x0A:
                self.row = min(self.row + 1, self.rows - 1)
                i += 1
            elif byte < 0x20 or byte == 0x7F:
                i += 1
            else:
                length = 1 if byte < 0x80 else 2 if byte < 0xE0 else 3 if byte < 0xF0 else 4
                if i + length > len(data):
                    self.pending = data[i:]
                    return
                self._put(data[i:i + length].decode("utf-8", "replace"))
                i += length

    def line(self, row):
        """Row `row` (zero-based) as text, trailing blanks cut."""
        return "".join(self.cells[row]).rstrip() if row < self.rows else ""

    def text(self):
        return "\n".join(self.line(row) for row in range(self.rows))


class PtyScreen:
    """Subclasses set `master` (the pseudo-terminal's master, -1 once closed) and `output`,
    and may set `grid`, a ScreenGrid of the window, to read the screen as a person sees it."""

    def read(self, seconds):
        """Collects the game's output for up to `seconds`, returning early when it goes quiet."""
        if self.master < 0:
            time.sleep(seconds)  # the terminal is gone: nothing more can come
            return
        deadline = time.monotonic() + seconds
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return
            ready, _, _ = select.select([self.master], [], [], left)
            if not ready:
                return
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                return
            if not chunk:
                return
            self.output += chunk
            if getattr(self, "grid", None) is not None:
                self.grid.feed(chunk)

    def wait_for(self, needle, seconds=5.0, start=0):
        deadline = time.monotonic() + seconds
        while needle not in self.output[start:] and time.monotonic() < deadline:
            self.read(0.02)
        return needle in self.output[start:]

    def wait_until(self, condition, seconds=5.0):
        """Reads the game's output until `condition()` holds, for up to `seconds`."""
        deadline = time.monotonic() + seconds
        while not condition() and time.monotonic() < deadline:
            self.read(0.02)
        return condition()

    def settle(self, value, quiet=1.0, seconds=15.0):
        """Reads the game's output until `value()` has stayed the same for `quiet` seconds and
        returns it; None when it was still changing after `seconds`.

        Where a key is held by time (typed bytes), or its last frames are still on their way,
        when a walk ends depends on when the game read its input, which load can delay by any
        amount; a fixed pause would guess. A second is 25 frames, over six times the longest
        hold after a repeat. A stall can delay the last steps but not add new ones: holds end
        by the game's own clock."""
        deadline = time.monotonic() + seconds
        last = value()
        since = time.monotonic()
        while time.monotonic() < deadline:
            self.read(0.05)
            current = value()
            if current != last:
                last, since = current, time.monotonic()
            elif time.monotonic() - since >= quiet:
                return last
        return None

    def wait_for_line(self, row, text, seconds=5.0):
        """Waits until the window's row `row` (zero-based) starts with `text`."""
        return self.wait_until(lambda: self.grid.line(row).startswith(text), seconds)

    def send(self, data):
        os.write(self.master, data)
