#!/usr/bin/env python3
"""The terminal restore matrix: the game runs a demo in a pseudo-terminal that speaks the
keyboard protocol, leaves by one way out after another (Ctrl+C as a signal and in the protocol's
encoding, SIGTERM, SIGHUP, SIGQUIT, the crash signals, Ctrl+Z then continue then SIGTERM), and
each time every restore step is checked on its own: termios, the main screen and its contents,
cursor shown, autowrap, mouse reporting off, keyboard flags popped, colours reset and unread
input discarded.

The game runs under a small keeper process that owns the pseudo-terminal's session, as a shell
would, so that Ctrl+Z really stops it. The modes are read from a model of the terminal fed with
everything the game wrote. Usage: restore_matrix_pty.py PATH/TO/mazecast
"""
import fcntl
import os
import re
import resource
import select
import signal
import struct
import sys
import termios
import time

from pty_screen import PtyScreen

PROBE = b"\x1b[?u\x1b[?1016$p\x1b[16t\x1b[c"
PROBE_REPLY = b"\x1b[?0u\x1b[?1016;1$y\x1b[6;20;10t\x1b[?62;22c"
CONFIRM = b"\x1b[?u\x1b[c"
CONFIRM_REPLY = b"\x1b[?11u\x1b[?62;22c"
COLOURED = b"\x1b[0;97;46m"
# More than one read of the game's, so some of it is still unread when the game leaves.
UNREAD = b"x" * 3000
MOUSE_MODES = (1000, 1002, 1003, 1004, 1006, 1015, 1016)
TOKEN = re.compile(rb"\x1b\[([<=>?]?)([0-9;:]*)[\x20-\x2f]*([\x40-\x7e])|\x1b[^\[]|([^\x1b]+)")


class TerminalModel:
    """The state a terminal is left in by a byte stream: private modes, the keyboard protocol's
    flag stack, whether colours are set, and whether text was drawn over the main screen. The
    colours are not assumed to come back with the main screen."""

    def __init__(self):
        self.modes = {25: True, 7: True, 1049: False}
        self.modes.update({mode: False for mode in MOUSE_MODES})
        self.keyboard_stack = []
        self.coloured = False
        self.main_screen_drawn = False

    def feed(self, data):
        for match in TOKEN.finditer(data):
            prefix, params, final, text = match.groups()
            if text is not None:
                if not self.modes[1049] and any(b >= 0x20 for b in text):
                    self.main_screen_drawn = True
                continue
            if final is None:
                continue
            numbers = [int(p) for p in re.split(rb"[;:]", params) if p]
            if prefix == b"?" and final in b"hl":
                for mode in numbers:
                    self.modes[mode] = final == b"h"
            elif prefix == b">" and final == b"u":
                self.keyboard_stack.append(numbers[0] if numbers else 0)
            elif prefix == b"<" and final == b"u":
                del self.keyboard_stack[-(numbers[0] if numbers else 1):]
            elif prefix == b"" and final == b"m":
                for number in numbers or [0]:
                    self.coloured = number != 0


class Game(PtyScreen):
    def __init__(self, program, keeper_ignores_hangup=False):
        self.keeper_ignores_hangup = keeper_ignores_hangup
        self.master, self.slave = os.openpty()
        fcntl.ioctl(self.slave, termios.TIOCSWINSZ, struct.pack("HHHH", 40, 120, 1200, 800))
        self.before = termios.tcgetattr(self.slave)
        self.output = b""
        self.events = []
        self.pid = None
        report_read, report_write = os.pipe()
        self.keeper = os.fork()
        if self.keeper == 0:
            os.close(report_read)
            self._keep(program, report_write)
        os.close(report_write)
        self.reports = os.fdopen(report_read, "rb", buffering=0)
        self.pid = int(self._next_report().split()[1])

    def _keep(self, program, report):
        """The keeper: leads the terminal's session, starts the game as its foreground job and
        reports each stop, continue and end."""
        try:
            os.close(self.master)
            if self.keeper_ignores_hangup:
                signal.signal(signal.SIGHUP, signal.SIG_IGN)
            os.setsid()
            fcntl.ioctl(self.slave, termios.TIOCSCTTY, 0)
            game = os.fork()
            if game == 0:
                os.setpgid(0, 0)
                signal.signal(signal.SIGTTOU, signal.SIG_IGN)
                os.tcsetpgrp(self.slave, os.getpid())
                for number in (signal.SIGTTOU, signal.SIGPIPE, signal.SIGINT):
                    signal.signal(number, signal.SIG_DFL)
                resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
                for fd in (0, 1, 2):
                    os.dup2(self.slave, fd)
                env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "TERM": "xterm-kitty",
                       "LANG": "C.UTF-8"}
                os.execve(program, [program], env)
            os.write(report, b"pid %d\n" % game)
            while True:
                _, status = os.waitpid(game, os.WUNTRACED | os.WCONTINUED)
                if os.WIFSTOPPED(status):
                    os.write(report, b"stopped %d\n" % os.WSTOPSIG(status))
                elif os.WIFCONTINUED(status):
                    os.write(report, b"continued\n")
                elif os.WIFSIGNALED(status):
                    os.write(report, b"signal %d\n" % os.WTERMSIG(status))
                    break
                else:
                    os.write(report, b"exit %d\n" % os.WEXITSTATUS(status))
                    break
        finally:
            os._exit(0)

    def _next_report(self, seconds=5.0):
        ready, _, _ = select.select([self.reports], [], [], seconds)
        if not ready:
            return ""
        line = b""
        while not line.endswith(b"\n"):
            byte = self.reports.read(1)
            if not byte:
                break
            line += byte
        return line.decode().strip()

    def wait_report(self, wanted, seconds=5.0):
        """Waits for a keeper report starting with `wanted`, reading the game's output meanwhile."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.read(0.02)
            ready, _, _ = select.select([self.reports], [], [], 0)
            if ready:
                line = self._next_report()
                self.events.append(line)
                if line.startswith(wanted):
                    self.drain()
                    return line
                if not line:
                    return ""
        return ""

    def drain(self):
        """Reads until the game's last bytes are in: the pseudo-terminal may pass them on a
        little after the game stopped or ended."""
        while True:
            before = len(self.output)
            self.read(0.2)
            if len(self.output) == before:
                return

    def unread_input(self):
        count = fcntl.ioctl(self.slave, termios.FIONREAD, b"\0\0\0\0")
        return struct.unpack("i", count)[0]

    def start_demo(self):
        """Answers the start-up queries as a terminal with the keyboard protocol, then starts
        demo 1 and waits for its coloured frame."""
        ok = self.wait_for(PROBE)
        self.send(PROBE_REPLY)
        ok = ok and self.wait_for(b"\x1b[>11u" + CONFIRM)
        self.send(CONFIRM_REPLY)
        ok = ok and self.wait_for(b"Run DEMO 1")
        self.send(b"\x1b[13u")
        self.read(0.1)
        self.send(b"\x1b[13;1:3u")
        ok = ok and self.wait_for(b"X:6.000000 Y:6.000000 A:180.000000")
        return ok and self.wait_for(COLOURED)

    def while_stopped(self, *actions):
        """Stops the game, so that what is sent stays unread, does `actions`, continues it."""
        self.read(0.05)
        os.kill(self.pid, signal.SIGSTOP)
        self.wait_report("stopped")
        for action in actions:
            if isinstance(action, bytes):
                self.send(action)
            else:
                os.kill(self.pid, action)
        os.kill(self.pid, signal.SIGCONT)

    def close(self):
        for pid in (self.pid, self.keeper):
            try:
                os.kill(pid, signal.SIGKILL)
            except (OSError, TypeError):
                pass
        try:
            os.waitpid(self.keeper, 0)
        except OSError:
            pass
        for fd in (self.master, self.slave):
            if fd >= 0:
                os.close(fd)
        self.reports.close()


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
        print(("ok: " if ok else "FAILED: ") + name)
        return ok


def check_taken(results, way, game):
    """The game changed every state that the restore must put back, so no check is idle."""
    model = TerminalModel()
    model.feed(game.output)
    results.check(way + ": taken (alternate screen, no cursor, no autowrap, mouse, flags, colours)",
                  model.modes[1049] and not model.modes[25] and not model.modes[7]
                  and model.modes[1003] and model.keyboard_stack == [11] and model.coloured
                  and termios.tcgetattr(game.slave) != game.before)


def check_restored(results, way, game, since=0):
    """Every restore step, each checked on its own, for what the game wrote from `since` on
    (the model starts from the terminal as it was before the game)."""
    model = TerminalModel()
    model.feed(game.output[since:])
    results.check(way + ": termios settings as before",
                  termios.tcgetattr(game.slave) == game.before)
    results.check(way + ": main screen with its contents",
                  not model.modes[1049] and not model.main_screen_drawn)
    results.check(way + ": cursor shown", model.modes[25])
    results.check(way + ": autowrap on", model.modes[7])
    results.check(way + ": mouse reporting off",
                  not any(model.modes[mode] for mode in MOUSE_MODES))
    results.check(way + ": keyboard protocol flags popped", model.keyboard_stack == [])
    results.check(way + ": colours reset", not model.coloured)
    results.check(way + ": unread input discarded", game.unread_input() == 0)


# Each way out: its name, what is done while the game is stopped, and how the game must end.
WAYS_OUT = [
    ("Ctrl+C as a signal", [b"\x03", UNREAD], "signal %d" % signal.SIGINT),
    ("Ctrl+C in the keyboard protocol", [b"\x1b[99;5u" + UNREAD], "signal %d" % signal.SIGINT),
] + [
    (signal.Signals(number).name, [UNREAD, number], "signal %d" % number)
    for number in (signal.SIGTERM, signal.SIGHUP, signal.SIGQUIT, signal.SIGSEGV,
                   signal.SIGABRT, signal.SIGBUS, signal.SIGFPE)
]


def run_way_out(program, results, way, actions, ending):
    game = Game(program)
    try:
        if not results.check(way + ": demo running", game.start_demo()):
            return
        check_taken(results, way, game)
        game.while_stopped(*actions)
        ended = game.wait_report(ending.split()[0])
        results.check("%s: ends by %s (%s)" % (way, ending, ended), ended == ending)
        check_restored(results, way, game)
    finally:
        game.close()


def run_suspend(program, results):
    """Ctrl+Z (in the protocol's encoding) gives the terminal back while stopped; continuing
    takes it again and repaints the frame; SIGTERM then restores it once more."""
    way = "Ctrl+Z"
    game = Game(program)
    try:
        if not results.check(way + ": demo running", game.start_demo()):
            return
        game.while_stopped(b"\x1b[122;5u" + UNREAD)
        stopped = game.wait_report("stopped %d" % signal.SIGTSTP)
        results.check(way + ": the game stops by SIGTSTP", bool(stopped))
        check_restored(results, way + " (stopped)", game)
        resumed_at = len(game.output)
        os.kill(game.pid, signal.SIGCONT)
        game.wait_report("continued")
        again = [b"\x1b[?1049h", b"\x1b[?25l", b"\x1b[?7l", b"\x1b[?1003h", b"\x1b[>11u"]
        results.check(way + ": continuing takes the terminal again",
                      all(game.wait_for(seq, 3.0, resumed_at) for seq in again))
        results.check(way + ": continuing repaints the coloured frame",
                      game.wait_for(COLOURED, 3.0, resumed_at)
                      and game.wait_for(b"X:6.000000 Y:6.000000 A:180.000000", 3.0, resumed_at))
        results.check(way + ": raw input again",
                      termios.tcgetattr(game.slave)[3] & termios.ICANON == 0)
        game.while_stopped(UNREAD, signal.SIGTERM)
        ended = game.wait_report("signal")
        results.check(way + ", continue, SIGTERM: ends by SIGTERM (%s)" % ended,
                      ended == "signal %d" % signal.SIGTERM)
        check_restored(results, way + ", continue, SIGTERM", game, resumed_at)
    finally:
        game.close()


def run_terminal_gone(program, results):
    """The terminal goes away while its session leader lives on and sends no hangup signal:
    the game's reads fail, and it must end rather than spin."""
    way = "terminal closed without a hangup signal"
    game = Game(program, keeper_ignores_hangup=True)
    try:
        if not results.check(way + ": demo running", game.start_demo()):
            return
        os.close(game.master)
        game.master = -1
        ended = game.wait_report("signal", seconds=5.0)
        results.check("%s: the game ends (%s)" % (way, ended), ended == "signal %d" % signal.SIGHUP)
    finally:
        game.close()


def main():
    program = os.path.realpath(sys.argv[1])
    results = Results()
    for way, actions, ending in WAYS_OUT:
        run_way_out(program, results, way, actions, ending)
    run_suspend(program, results)
    run_terminal_gone(program, results)
    print("%d passed, %d failed" % (results.passed, results.failed))
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main())
