"""The terminal's end of a pseudo-terminal, shared by the tests that play a terminal
themselves: collects what the game writes and sends it bytes."""

import os
import select
import time


class PtyScreen:
    """Subclasses set `master` (the pseudo-terminal's master, -1 once closed) and `output`."""

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

    def send(self, data):
        os.write(self.master, data)
