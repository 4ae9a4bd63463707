"""The terminal's end of a pseudo-terminal, shared by the tests that play a terminal
themselves: starts the game under a keeper that acts as its shell, answers its start-up
questions as a terminal with the keyboard protocol, collects what it writes and sends it bytes.
`ScreenGrid` reads the window that the bytes leave, as a person sees it, and its modes."""

import collections
import fcntl
import os
import re
import resource
import select
import signal
import struct
import termios
import time

PROBE = b"\x1b[?u\x1b[?1016$p\x1b[16t\x1b[14t\x1b[c"
# Flags 0 in force, pixel mouse, a cell of 10 x 20 pixels, then the device attributes.
PROBE_REPLY = b"\x1b[?0u\x1b[?1016;1$y\x1b[6;20;10t\x1b[?62;22c"
PUSH = b"\x1b[>11u"
CONFIRM = b"\x1b[?u\x1b[c"
CONFIRM_REPLY = b"\x1b[?11u\x1b[?62;22c"
COLOURED = b"\x1b[0;97;46m"
START_POSE = b"X:6.000000 Y:6.000000 A:180.000000"  # demo 1's status line as it starts
STATUS = re.compile(r"X:(-?[0-9.]+) Y:(-?[0-9.]+) A:(-?[0-9.]+)")
# Written to the terminal by the test itself after the game's own output: once it is read back,
# everything the game wrote before it has been read too. Any terminal ignores it.
FENCE = b"\x1b[4242;4242~"
# How long a wait for something that must come may take: only a failing run waits that long.
PATIENCE = 15.0


class Checks:
    """Counts and prints the checks: "ok: NAME" or "FAILED: NAME"."""

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

    def report(self, what, game, wanted):
        """Waits for the keeper's next report of the kind `wanted` is ("signal 15", "exit 1",
        "stopped 20") and checks that it is that one."""
        came = game.wait_report(wanted.split()[0])
        return self.check("%s (%s)" % (what, came), came == wanted)

    def summary(self):
        print("%d passed, %d failed" % (self.passed, self.failed))
        return 1 if self.failed else 0


def killed(number):
    """The keeper's report of an end by signal `number`."""
    return "signal %d" % number


class ScreenGrid:
    """A terminal window fed a byte stream, as far as the game's output needs. Its cells:
    cursor moves (CSI H), erasing (CSI K and J), the alternate screen (which starts blank) and
    UTF-8 text with autowrap off. Its state, from a terminal as it was before the game: the
    private modes, the keyboard protocol's flag stack, whether colours are set and whether text
    was drawn over the main screen (the colours are not assumed to come back with it). Other
    sequences are skipped. Rows and columns past `limit` are not kept: a window larger than
    that is the top-left part of one."""

    def __init__(self, rows, columns, limit=600):
        self.rows = min(rows, limit)
        self.columns = min(columns, limit)
        self.cells = [[" "] * self.columns for _ in range(self.rows)]
        self.row = 0
        self.column = 0
        self.pending = b""
        self.modes = collections.defaultdict(bool, {25: True, 7: True})  # cursor, autowrap
        self.keyboard_stack = []
        self.coloured = False
        self.main_screen_drawn = False

    def _put(self, char):
        if self.row < self.rows and self.column < self.columns:  # a window of no cells
            self.cells[self.row][self.column] = char
        self.column = min(self.column + 1, self.columns - 1)

    def _erase(self, row, first, end):
        if row < self.rows:
            for column in range(first, min(end, self.columns)):
                self.cells[row][column] = " "

    def _sequence(self, prefix, params, final):
        numbers = [int(p) if p.isdigit() else 0 for p in params.split(b";")] if params else []
        if prefix == b"?" and final in b"hl":
            for mode in numbers:
                self.modes[mode] = final == ord("h")
            if 1049 in numbers:
                for row in range(self.rows):
                    self._erase(row, 0, self.columns)
        elif prefix == b">" and final == ord("u"):
            self.keyboard_stack.append(numbers[0] if numbers else 0)
        elif prefix == b"<" and final == ord("u"):
            del self.keyboard_stack[-(numbers[0] if numbers else 1):]
        elif prefix:
            return  # the other sequences with a prefix: queries
        elif final == ord("m"):
            self.coloured = (numbers or [0])[-1] != 0
        elif final in b"Hf":  # a move past the window stops at its edge, as in a terminal
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
                while end < len(data) and 0x20 <= data[end] <= 0x3F:
                    end += 1
                if end >= len(data):
                    self.pending = data[i:]
                    return
                if not 0x40 <= data[end] <= 0x7E:  # broken off by a control byte: CAN, ESC
                    i = end
                    continue
                params = data[i + 2:end]
                prefix = params[:1] if params[:1] in (b"<", b"=", b">", b"?") else b""
                self._sequence(prefix, params[len(prefix):], data[end])
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
                self.main_screen_drawn = self.main_screen_drawn or not self.modes[1049]
                i += length

    def line(self, row):
        """Row `row` (zero-based) as text, trailing blanks cut."""
        return "".join(self.cells[row]).rstrip() if row < self.rows else ""

    def text(self):
        return "\n".join(self.line(row) for row in range(self.rows))


class Game:
    """The game on a pseudo-terminal, under a keeper process that leads the terminal's session,
    as a shell would, so that Ctrl+Z really stops it. Options: `size` (rows, columns) of the
    window; `pixels`: the size report gives the window's pixels too (10 x 20 a cell);
    `background`: the game starts without the terminal, as `mazecast &` would; `blocked`:
    signals blocked in the mask it inherits; `ignored`: signals it inherits as ignored; `files`:
    its limit of open files; `controlling`: False leaves the terminal the controlling one of no
    session, as some launchers do; `keeper_ignores_hangup`: the keeper outlives its terminal."""

    def __init__(self, program, keeper_ignores_hangup=False, size=(40, 120), pixels=True,
                 background=False, blocked=(), ignored=(), files=None, controlling=True):
        self.keeper_ignores_hangup = keeper_ignores_hangup
        self.master, self.slave = os.openpty()
        self.pixels = pixels
        self.resize(*size)
        self.before = termios.tcgetattr(self.slave)
        self.output = b""
        self.grid = ScreenGrid(*size)
        self.fencing = False  # the grid waits for FENCE to be cut out of the output
        self.pid = None
        report_read, report_write = os.pipe()
        command_read, self.commands = os.pipe()
        self.keeper = os.fork()
        if self.keeper == 0:
            os.close(report_read)
            os.close(self.commands)
            self._keep(program, report_write, command_read,
                       dict(background=background, blocked=blocked, ignored=ignored,
                            files=files, controlling=controlling))
        os.close(report_write)
        os.close(command_read)
        self.reports = os.fdopen(report_read, "rb", buffering=0)
        self.pid = int(self._next_report(PATIENCE).split()[1])

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def _keep(self, program, report, commands, options):
        """The keeper: leads the terminal's session, starts the game as a job of its own (in
        the foreground unless told otherwise), reports each stop, continue and end, and acts
        as a shell on command: "take" the terminal back, continue the job in the "fg" or the
        "bg"."""
        try:
            os.close(self.master)
            if self.keeper_ignores_hangup:
                signal.signal(signal.SIGHUP, signal.SIG_IGN)
            os.setsid()
            if options["controlling"]:
                fcntl.ioctl(self.slave, termios.TIOCSCTTY, 0)
            signal.signal(signal.SIGTTOU, signal.SIG_IGN)  # it hands the terminal around
            game = os.fork()
            if game == 0:
                os.setpgid(0, 0)
                if not options["background"] and options["controlling"]:
                    os.tcsetpgrp(self.slave, os.getpid())
                # As a shell starts a job: Python ignores SIGPIPE and SIGXFSZ for itself.
                for number in (signal.SIGTTOU, signal.SIGPIPE, signal.SIGXFSZ, signal.SIGINT):
                    signal.signal(number, signal.SIG_DFL)
                for number in options["ignored"]:
                    signal.signal(number, signal.SIG_IGN)
                resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
                if options["files"] is not None:
                    resource.setrlimit(resource.RLIMIT_NOFILE, (options["files"],) * 2)
                for fd in (0, 1, 2):
                    os.dup2(self.slave, fd)
                os.closerange(3, 4096)  # descriptors the test runner left open count too
                env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "TERM": "xterm-kitty",
                       "LANG": "C.UTF-8"}
                signal.pthread_sigmask(signal.SIG_BLOCK, options["blocked"])
                os.execve(program, [program], env)
            try:  # as a shell does, so the group exists whichever of the two runs first
                os.setpgid(game, game)
            except PermissionError:  # the game has already made it and started the program
                pass
            os.write(report, b"pid %d\n" % game)
            while True:
                ready, _, _ = select.select([commands], [], [], 0.01)
                if ready:
                    command = os.read(commands, 16).strip()
                    if command == b"take":
                        os.tcsetpgrp(self.slave, os.getpgrp())
                    elif command == b"fg":
                        os.tcsetpgrp(self.slave, game)
                        os.killpg(game, signal.SIGCONT)
                    elif command == b"bg":
                        os.killpg(game, signal.SIGCONT)
                    os.write(report, b"done %s\n" % command)
                pid, status = os.waitpid(game, os.WNOHANG | os.WUNTRACED | os.WCONTINUED)
                if pid == 0:
                    continue
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

    def read(self, seconds):
        """Collects the game's output for up to `seconds`, returning early when it goes quiet."""
        if self.master < 0:
            time.sleep(seconds)  # the terminal is gone: nothing more can come
            return
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if not select.select([self.master], [], [], max(deadline - time.monotonic(), 0))[0]:
                return
            try:
                chunk = os.read(self.master, 65536)
            except OSError:  # the game's side is closed: nothing more can come
                return
            if not chunk:
                return
            self.output += chunk
            if not self.fencing:
                self.grid.feed(chunk)

    def wait_for(self, needle, seconds=PATIENCE, start=0):
        return self.wait_until(lambda: needle in self.output[start:], seconds)

    def wait_until(self, condition, seconds=PATIENCE, reading=True):
        """Looks whether `condition()` holds every 20 ms, for up to `seconds`, reading the game's
        output meanwhile unless `reading` is False."""
        deadline = time.monotonic() + seconds
        while not condition():  # asked once a look: a condition may not hold for long
            if time.monotonic() >= deadline:
                return False
            if reading:
                self.read(0.02)
            else:
                time.sleep(0.02)
        return True

    def wait_for_line(self, row, text, seconds=PATIENCE):
        """Waits until the window's row `row` (zero-based) starts with `text`."""
        return self.wait_until(lambda: self.grid.line(row).startswith(text), seconds)

    def send(self, data):
        os.write(self.master, data)

    def status(self):
        """The position and angle the window's status line shows, None without one."""
        found = STATUS.match(self.grid.line(0))
        return tuple(float(v) for v in found.groups()) if found else None

    def wait_status(self, condition, seconds=PATIENCE):
        """Waits until the window shows a status line whose (x, y, angle) meet `condition`."""
        return self.wait_until(lambda: self.status() is not None and condition(self.status()),
                               seconds)

    def types_raw(self):
        """The terminal passes typed bytes on as they come, without echo: the game edits and
        echoes the line itself."""
        line_mode = termios.tcgetattr(self.slave)[3]
        return line_mode & termios.ICANON == 0 and line_mode & termios.ECHO == 0

    def shell(self, command):
        """Has the keeper do what a shell does: b"take", b"fg" or b"bg"; waits until done."""
        os.write(self.commands, command + b"\n")
        return self.wait_report("done")

    def _next_report(self, seconds):
        """The keeper's next report line, "" when none comes within `seconds`, None once the
        keeper is gone."""
        if not select.select([self.reports], [], [], seconds)[0]:
            return ""
        line = b""
        while not line.endswith(b"\n"):
            byte = self.reports.read(1)
            if not byte:
                return line.decode().strip() or None
            line += byte
        return line.decode().strip()

    def wait_report(self, wanted, seconds=PATIENCE, reading=True):
        """Waits for a keeper report starting with `wanted`, passing over others, and returns it
        ("" if none came). The game's output is read meanwhile and then drained, unless
        `reading` is False: then it stays stalled."""
        deadline = time.monotonic() + seconds
        while True:
            left = max(deadline - time.monotonic(), 0)
            if reading:
                self.read(min(left, 0.02))
            line = self._next_report(0 if reading else left)
            if line is None or (line == "" and time.monotonic() >= deadline):
                return ""
            if line.startswith(wanted):
                if reading:
                    self.drain()
                return line

    def drain(self, seconds=PATIENCE):
        """Reads until everything the game has written so far is in: the test writes FENCE to
        the terminal after it and reads until FENCE comes back (a full terminal takes it once
        some of the game's output is read), then cuts FENCE out of the output, wherever among
        the game's writes it landed, before the grid reads what came."""
        if self.master < 0:
            return
        fence = FENCE
        writer = os.open(os.ttyname(self.slave), os.O_WRONLY | os.O_NONBLOCK | os.O_NOCTTY)
        start = len(self.output)
        self.fencing = True
        try:
            deadline = time.monotonic() + seconds
            while FENCE not in self.output[start:] and time.monotonic() < deadline:
                if fence and select.select([], [writer], [], 0)[1]:  # room for all of it
                    try:
                        fence = fence[os.write(writer, fence):]
                    except BlockingIOError:
                        pass
                self.read(0.02)
        finally:
            os.close(writer)
            self.fencing = False
            came = self.output[start:].replace(FENCE, b"", 1)
            self.output = self.output[:start] + came
            self.grid.feed(came)

    def resize(self, rows, columns):
        pixels = (min(columns * 10, 65535), min(rows * 20, 65535)) if self.pixels else (0, 0)
        fcntl.ioctl(self.slave, termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, *pixels))

    def unread_input(self):
        count = fcntl.ioctl(self.slave, termios.FIONREAD, b"\0\0\0\0")
        return struct.unpack("i", count)[0]

    def start_menu(self, typed_ahead=b"", reply=PROBE_REPLY):
        """Answers the start-up queries as a terminal with the keyboard protocol (`reply`, and
        `typed_ahead` keys before each reply) and waits for the menu. Returns whether the queries
        came, the flags were pushed and re-queried, and the menu came."""
        asked = self.wait_for(PROBE)
        self.send(typed_ahead + reply)
        pushed = asked and self.wait_for(PUSH + CONFIRM)
        self.send(typed_ahead + CONFIRM_REPLY)
        return asked, pushed, pushed and self.wait_for(b"Run DEMO 1")

    def press(self, key, row, text):
        """Holds a key (its press in the keyboard protocol, as b"\\x1b[B" or b"\\x1b[13u") until
        the window's row `row` starts with `text`, then lets it go."""
        self.send(key)
        seen = self.wait_for_line(row, text)
        self.send(b"\x1b[%s;1:3%s" % (key[2:-1] or b"1", key[-1:]))
        return seen

    def open_settings(self):
        """From the menu to the settings screen's width prompt: Down held until the marker
        stops at the last entry, then an Enter tap (a terminal sends no release once it has
        taken the pop of the keyboard flags that typing brings)."""
        if not self.press(b"\x1b[B", 6, "Settings    <--"):
            return False
        self.send(b"\x1b[13u\x1b[13;1:3u")
        return self.wait_for_line(2, "Width?")

    def enter_demo(self):
        """From the menu's first entry into demo 1: Enter held until its start pose shows."""
        return self.press(b"\x1b[13u", 0, START_POSE.decode())

    def start_demo(self):
        """Answers the start-up queries as a terminal with the keyboard protocol, then starts
        demo 1 and waits for its coloured frame."""
        return all(self.start_menu()) and self.enter_demo() and self.wait_for(COLOURED)

    def wait_passes(self, count=4, seconds=PATIENCE):
        """Reads the game's output until the game has read every byte sent to it and then slept
        `count` more times (each pass of its frame loop ends in one wait), and then until all of
        its output is in: whatever the keys sent so far do, those passes have drawn it."""
        def sleeps():
            return self.proc_status("voluntary_ctxt_switches")

        read = self.wait_until(lambda: self.unread_input() == 0, seconds)
        target = sleeps() + count
        done = read and self.wait_until(lambda: sleeps() >= target, seconds)
        self.drain()
        return done

    def proc_status(self, name):
        """The first word of the game's /proc status line `name`: a number (signal masks are
        hexadecimal), or the state's letter."""
        with open("/proc/%d/status" % self.pid) as status:
            word = next(line.split()[1] for line in status if line.startswith(name + ":"))
        if name.startswith(("Sig", "Shd")):
            return int(word, 16)
        return int(word) if word.isdigit() else word

    def wait_idle(self, seconds=PATIENCE):
        """Waits until the game has read every byte sent to it and sleeps with no signal
        pending, three looks in a row: it has acted on everything sent so far and waits for
        more. The game's output is not read meanwhile."""
        quiet = [0]

        def idle():
            asleep = self.proc_status("State") == "S"
            pending = self.proc_status("SigPnd") | self.proc_status("ShdPnd")
            quiet[0] = quiet[0] + 1 if asleep and not pending and self.unread_input() == 0 else 0
            return quiet[0] >= 3

        return self.wait_until(idle, seconds, reading=False)

    def blocked_writing(self, seconds=PATIENCE):
        """Waits until the game waits for room to write: in a poll() of three descriptors
        (output, signals, input) with no time limit, which only its writer makes."""
        def in_writer_poll():
            with open("/proc/%d/syscall" % self.pid) as call:
                fields = call.read().split()
            return len(fields) > 3 and fields[0] in ("7", "271") and int(fields[2], 16) == 3

        return self.wait_until(in_writer_poll, seconds, reading=False)

    def act(self, *actions):
        """Sends the game each of `actions`: bytes typed, or a signal's number."""
        for action in actions:
            if isinstance(action, bytes):
                self.send(action)
            else:
                os.kill(self.pid, action)

    def while_stopped(self, *actions):
        """Stops the game, so that what is sent stays unread, does `actions`, continues it."""
        os.kill(self.pid, signal.SIGSTOP)
        self.wait_report("stopped")
        self.act(*actions)
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
        for fd in (self.master, self.slave, self.commands):
            if fd >= 0:
                os.close(fd)
        self.reports.close()
