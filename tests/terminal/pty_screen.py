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

    def send(self, data):
        os.write(self.master, data)
