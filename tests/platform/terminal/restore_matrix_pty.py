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
import contextlib
import os
import re
import resource
import signal
import sys
import termios
import time

from pty_screen import COLOURED, PATIENCE, Checks, Game, ScreenGrid

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


def check_interrupt_ends(results, way, game, ctrl_c):
    """Ctrl+C, sent as `ctrl_c`, ends the game by SIGINT with the terminal restored."""
    game.send(ctrl_c)
    ended = game.wait_report("signal")
    results.check("%s: Ctrl+C ends it (%s)" % (way, ended), ended == "signal %d" % signal.SIGINT)
    check_restored(results, way, game)


# Each way out: its name, the game's options, what is done while the game is stopped, and how
# the game must end. Every signal whose default ends the process gets the restore first; so
# does Ctrl+C when the parent left the signals the game relies on blocked.
TERMINATING = [getattr(signal, name) for name in (
    "SIGTERM", "SIGHUP", "SIGQUIT", "SIGSEGV", "SIGABRT", "SIGBUS", "SIGFPE", "SIGPIPE",
    "SIGALRM", "SIGUSR1", "SIGUSR2", "SIGXCPU", "SIGXFSZ", "SIGVTALRM", "SIGPROF", "SIGTRAP",
    "SIGSYS", "SIGSTKFLT", "SIGPWR") if hasattr(signal, name)] + [signal.SIGRTMIN + 3]
BLOCKED_BY_PARENT = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGWINCH}
WAYS_OUT = [
    ("Ctrl+C as a signal", {}, [b"\x03", UNREAD], "signal %d" % signal.SIGINT),
    ("Ctrl+C in the keyboard protocol", {}, [b"\x1b[99;5u" + UNREAD],
     "signal %d" % signal.SIGINT),
    ("Ctrl+C with signals blocked by the parent", {"blocked": BLOCKED_BY_PARENT},
     [b"\x03", UNREAD], "signal %d" % signal.SIGINT),
    ("SIGTERM with signals blocked by the parent", {"blocked": BLOCKED_BY_PARENT},
     [UNREAD, signal.SIGTERM], "signal %d" % signal.SIGTERM),
    ("Ctrl+C on a terminal that controls no session", {"controlling": False},
     [b"\x03", UNREAD], "signal %d" % signal.SIGINT),
    ("Ctrl+\\ on a terminal that controls no session", {"controlling": False},
     [b"\x1c", UNREAD], "signal %d" % signal.SIGQUIT),
] + [
    (signal.Signals(number).name if number in signal.Signals._value2member_map_
     else "SIGRTMIN+3", {}, [UNREAD, number], "signal %d" % number)
    for number in TERMINATING
]


def run_way_out(program, results, way, options, actions, ending):
    with Game(program, **options) as game:
        if not results.check(way + ": demo running", game.start_demo()):
            return
        check_taken(results, way, game)
        game.while_stopped(*actions)
        ended = game.wait_report(ending.split()[0])
        results.check("%s: ends by %s (%s)" % (way, ending, ended), ended == ending)
        check_restored(results, way, game)


def run_suspend(program, results):
    """Ctrl+Z (in the protocol's encoding) gives the terminal back while stopped; continuing
    takes it again and repaints the frame; SIGTERM then restores it once more."""
    way = "Ctrl+Z"
    with Game(program) as game:
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
                      all(game.wait_for(seq, PATIENCE, resumed_at) for seq in again))
        results.check(way + ": continuing repaints the coloured frame",
                      game.wait_for(COLOURED, PATIENCE, resumed_at)
                      and game.wait_for(b"X:6.000000 Y:6.000000 A:180.000000", start=resumed_at))
        results.check(way + ": raw input again",
                      termios.tcgetattr(game.slave)[3] & termios.ICANON == 0)
        game.while_stopped(UNREAD, signal.SIGTERM)
        ended = game.wait_report("signal")
        results.check(way + ", continue, SIGTERM: ends by SIGTERM (%s)" % ended,
                      ended == "signal %d" % signal.SIGTERM)
        check_restored(results, way + ", continue, SIGTERM", game, resumed_at)


def run_background(program, results):
    """Started in the background, the game touches nothing until it is in the foreground: it
    stops as a background reader would. Continued with SIGTERM (`kill %1`) it ends by it; put
    in the foreground (`fg`) it takes the terminal and plays."""
    for way, then_fg in (("started in the background, kill %1", False),
                         ("started in the background, fg", True)):
        with Game(program, background=True) as game:
            stopped = game.wait_report("stopped")
            results.check("%s: stops by SIGTTIN (%s)" % (way, stopped),
                          stopped == "stopped %d" % signal.SIGTTIN)
            results.check(way + ": nothing sent, nothing set while in the background",
                          game.output == b"" and termios.tcgetattr(game.slave) == game.before)
            if then_fg:
                game.shell(b"fg")
                results.check(way + ": demo running", game.start_demo())
                os.kill(game.pid, signal.SIGTERM)
                ended = game.wait_report("signal")
                check_restored(results, way + ", SIGTERM", game)
            else:
                os.kill(game.pid, signal.SIGTERM)
                game.shell(b"bg")
                ended = game.wait_report("signal")
                results.check(way + ": nothing sent at all", game.output == b"")
            results.check("%s: ends by SIGTERM (%s)" % (way, ended),
                          ended == "signal %d" % signal.SIGTERM)


def run_suspend_ignored(program, results):
    """Started with SIGTSTP ignored (a parent that could not resume it), Ctrl+Z as the signal
    and in the protocol's encoding does nothing: the game neither stops nor lets go."""
    way = "Ctrl+Z with SIGTSTP ignored"
    with Game(program, ignored=(signal.SIGTSTP,)) as game:
        if not results.check(way + ": demo running", game.start_demo()):
            return
        mark = len(game.output)
        game.send(b"\x1a\x1b[122;5u")
        game.wait_idle()
        game.send(b"\x1b[119u\x1b[119;1:3u")
        results.check(way + ": the game plays on",
                      game.wait_for_line(0, "X:5.750000")
                      and not any(e.startswith("stopped") for e in game.reports_so_far())
                      and b"\x1b[?1049l" not in game.output[mark:])
        check_interrupt_ends(results, way, game, b"\x03")


def run_suspend_then_bg(program, results):
    """Ctrl+Z, then `bg`: the game does not take the terminal from the background; `fg` then
    takes it again and repaints."""
    way = "Ctrl+Z, bg"
    with Game(program) as game:
        if not results.check(way + ": demo running", game.start_demo()):
            return
        game.send(b"\x1b[122;5u")
        results.check(way + ": the game stops by SIGTSTP",
                      game.wait_report("stopped") == "stopped %d" % signal.SIGTSTP)
        game.shell(b"take")
        mark = len(game.output)
        game.shell(b"bg")
        stopped = game.wait_report("stopped")
        results.check("%s: stops again by SIGTTIN (%s)" % (way, stopped),
                      stopped == "stopped %d" % signal.SIGTTIN)
        results.check(way + ": nothing sent from the background", game.output[mark:] == b"")
        game.shell(b"fg")
        results.check(way + ", fg: the terminal taken again and the frame repainted",
                      game.wait_for(b"\x1b[?1049h", PATIENCE, mark)
                      and game.wait_for(b"X:6.000000 Y:6.000000 A:180.000000", PATIENCE, mark))
        os.kill(game.pid, signal.SIGTERM)
        ended = game.wait_report("signal")
        results.check("%s, fg, SIGTERM: ends by SIGTERM (%s)" % (way, ended),
                      ended == "signal %d" % signal.SIGTERM)
        check_restored(results, way + ", fg, SIGTERM", game, mark)


@contextlib.contextmanager
def at_width_prompt(program, results, way):
    """A game at the settings screen's width prompt, or None when it did not get there."""
    with Game(program) as game:
        there = all(game.start_menu()) and game.open_settings()
        yield game if results.check(way + ": width prompt", there) else None


def run_settings_prompt(program, results):
    """At the settings prompt, Ctrl+Z and `fg` bring the prompt back."""
    way = "Ctrl+Z at the prompt, fg"
    with at_width_prompt(program, results, way) as game:
        if game is None:
            return
        game.send(b"\x1a")  # the user's own settings: Ctrl+Z is the suspend character
        results.check(way + ": the game stops by SIGTSTP",
                      game.wait_report("stopped") == "stopped %d" % signal.SIGTSTP)
        game.shell(b"take")
        mark = len(game.output)
        game.shell(b"fg")
        results.check(way + ": the prompt is on the screen again",
                      game.wait_for(b"Set custom screen resolution", PATIENCE, mark)
                      and game.wait_for_line(2, "Width?"))
        game.send(b"80 25\r")
        results.check(way + ": the prompt still reads the size",
                      game.wait_for(b"Set resolution: 80x25", PATIENCE, mark))


def run_settings_input(program, results):
    """Lines at the prompt are judged whole: non-ASCII digits are echoed and are no number, and
    leading zeros, however many, are zeros."""
    way = "typed lines at the prompt"
    with at_width_prompt(program, results, way) as game:
        if game is None:
            return
        mark = len(game.output)
        game.send("\u0668\u0660\r".encode())
        results.check(way + ": non-ASCII digits are echoed and answered",
                      game.wait_for(b"Invalid width", PATIENCE, mark)
                      and game.grid.line(2).startswith("Width? ??"))
        game.type_long(b"0" * 509 + b"12\r")
        results.check(way + ": 509 zeros then 12 is 12",
                      game.wait_for(b"Set width: 12", PATIENCE, mark))
        game.type_long(b"0" * 99998 + b"25\r")
        results.check(way + ": 99,998 zeros then 25 is 25",
                      game.wait_for(b"Set resolution: 12x25", 30.0, mark))


def run_continue_while_typing(program, results):
    """A continue that follows no stop discards nothing that was typed."""
    way = "a continue without a stop while typing"
    with at_width_prompt(program, results, way) as game:
        if game is None:
            return
        mark = len(game.output)
        game.send(b"250")
        game.wait_for(b"250", PATIENCE, mark)
        os.kill(game.pid, signal.SIGCONT)
        results.check(way + ": the continue is taken", game.wait_idle())
        game.send(b"\r")
        results.check(way + ": the typed width is read",
                      game.wait_for(b"Set width: 250", start=mark))


def run_type_ahead(program, results):
    """An Enter typed before the menu is on the screen does not start a demo: the menu goes on
    to the settings afterwards."""
    way = "Enter typed ahead of the menu"
    with Game(program) as game:
        if not results.check(way + ": menu shown",
                             all(game.start_menu(typed_ahead=b"\r\x1b[13u"))):
            return
        results.check(way + ": discarded: the menu goes on to the settings",
                      game.open_settings())


def turned_until_stalled(results, way, game, stalled):
    """Starts the demo and holds the Left arrow, so that a frame is drawn every 40 ms, until
    `stalled()` says the output no longer flows (the pty is not read)."""
    if not results.check(way + ": demo running", game.start_demo()):
        return False
    game.send(b"\x1b[1;1:1D")
    return results.check(way + ": output stalled", stalled())


def run_stalled(program, results):
    """The terminal stops reading while a demo turns (a held Left arrow draws a new frame every
    40 ms): a way out still ends the game within a second, and the terminal is restored once
    it reads again."""
    def kill(number):
        return lambda game: os.kill(game.pid, number)

    def flood(game):
        for _ in range(70000):  # more than the 64 KiB a pipe of one byte per signal holds
            os.kill(game.pid, signal.SIGWINCH)

    # Each way: its name, what is done before the clock starts, the way out, its signal.
    ways = [
        ("SIGTERM", None, kill(signal.SIGTERM), signal.SIGTERM),
        ("SIGHUP", None, kill(signal.SIGHUP), signal.SIGHUP),
        ("SIGSEGV", None, kill(signal.SIGSEGV), signal.SIGSEGV),
        ("Ctrl+C in the keyboard protocol", None, lambda game: game.send(b"\x1b[99;5u"),
         signal.SIGINT),
        ("SIGTERM after a flood of SIGWINCH", flood, kill(signal.SIGTERM), signal.SIGTERM),
    ]
    for name, before, action, number in ways:
        way = name + " while output is stalled"
        with Game(program) as game:
            if not turned_until_stalled(results, way, game, game.output_stalled):
                continue
            if before is not None:
                before(game)
            started = time.monotonic()
            action(game)
            ended = game.wait_report_unread("signal", 5.0)
            took = time.monotonic() - started
            results.check("%s: ends by signal %d within 1 s (%s after %.2f s)"
                          % (way, number, ended, took),
                          ended == "signal %d" % number and took <= 1.0)
            game.drain()
            # What the terminal did not read is discarded, and the restore queued in its place.
            check_restored(results, way, game)


def run_resize_while_stalled(program, results):
    """The window shrinks while the game waits for a terminal that does not read: once output
    flows again the game shows the frame laid out for the new size, as a repaint does."""
    way = "a resize while output is stalled"
    with Game(program) as game:
        if not turned_until_stalled(results, way, game, game.blocked_writing):
            return
        mark = len(game.output)
        game.resize(24, 80)
        game.wait_idle()
        game.send(b"\x1b[1;1:3D")
        game.wait_idle()
        game.wait_passes()
        after_stall = ScreenGrid(24, 80)
        after_stall.feed(game.output[mark:])
        # A resize that nothing holds up repaints the whole window for the size it has.
        wiggle = len(game.output)
        game.resize(24, 81)
        game.wait_for(b"\x1b[24H", PATIENCE, wiggle)
        game.resize(24, 80)
        game.wait_idle()
        game.wait_passes()
        repainted = ScreenGrid(24, 80)
        repainted.feed(game.output[mark:])
        results.check(way + ": the window shows the frame at the new size",
                      after_stall.text() == repainted.text()
                      and repainted.line(0).startswith("X:"))


def run_out_of_memory(program, results):
    """No memory for the frame the settings chose: the terminal is given back, then one line
    says what failed, and the game exits with a failure status."""
    way = "out of memory for a 512 x 512 frame"
    if sanitized(program):
        print("skipped: %s: the program is built with sanitizers" % way)
        return
    with at_width_prompt(program, results, way) as game:
        if game is None:
            return
        game.send(b"512\r")
        game.wait_for_line(3, "Set width: 512")
        kib = game.proc_status("VmSize")
        resource.prlimit(game.pid, resource.RLIMIT_AS, ((kib + 64) * 1024, resource.RLIM_INFINITY))
        mark = len(game.output)
        game.send(b"512\r")
        ended = game.wait_report("exit")
        results.check("%s: exit status 1 (%s)" % (way, ended), ended == "exit 1")
        line = b"mazecast: stopped: out of memory\r\n"
        results.check(way + ": one line saying so, after the restore",
                      game.output[mark:].endswith(b"\x1b[?1049l" + line))
        game.output = game.output[:-len(line)]  # the main screen's only new text
        check_restored(results, way, game)


def sanitized(program):
    with open(program, "rb") as binary:
        return b"__ubsan_handle" in binary.read()


def run_limits(program, results):
    """A window of 65535 x 65535 cells is clipped, never stored; with no file descriptor left
    for its wake-up pipe the game refuses to start before touching the terminal."""
    way = "a 65535 x 65535 window"
    with Game(program, size=(65535, 65535)) as game:
        running = game.start_demo()
        results.check(way + ": demo running", running)
        if running:
            kib = game.proc_status("VmRSS")
            results.check("%s: memory bounded (%d KiB)" % (way, kib), kib < 64 * 1024)
            check_interrupt_ends(results, way, game, b"\x1b[99;5u")

    way = "a window that reports 0 x 0 cells"
    with Game(program, size=(0, 0)) as game:
        shown = all(game.start_menu())
        classic = ScreenGrid(24, 80)
        classic.feed(game.output)
        results.check(way + ": the menu laid out on 80 x 24",
                      shown and classic.line(0) == "Run DEMO 1  <--"
                      and classic.line(6) == "Settings")

    way = "no file descriptor for the wake-up pipe"
    if sanitized(program):
        # The sanitizers' own checks need descriptors (a pipe to probe memory with).
        print("skipped: %s: the program is built with sanitizers" % way)
        return
    with Game(program, files=4) as game:
        ended = game.wait_report("exit")
        game.drain()
        results.check("%s: exit status 2 (%s)" % (way, ended), ended == "exit 2")
        results.check(way + ": one line saying so, and nothing else sent",
                      b"signal handling" in game.output and game.output.count(b"\n") == 1
                      and b"\x1b" not in game.output)
        results.check(way + ": termios settings untouched",
                      termios.tcgetattr(game.slave) == game.before)


def run_terminal_gone(program, results):
    """The terminal goes away while its session leader lives on and sends no hangup signal:
    the game's reads fail, and it must end rather than spin."""
    way = "terminal closed without a hangup signal"
    with Game(program, keeper_ignores_hangup=True) as game:
        if not results.check(way + ": demo running", game.start_demo()):
            return
        os.close(game.master)
        game.master = -1
        ended = game.wait_report("signal")
        results.check("%s: the game ends (%s)" % (way, ended), ended == "signal %d" % signal.SIGHUP)


def main():
    program = os.path.realpath(sys.argv[1])
    results = Checks()
    for way, options, actions, ending in WAYS_OUT:
        run_way_out(program, results, way, options, actions, ending)
    run_suspend(program, results)
    run_suspend_ignored(program, results)
    run_suspend_then_bg(program, results)
    run_background(program, results)
    run_settings_prompt(program, results)
    run_settings_input(program, results)
    run_continue_while_typing(program, results)
    run_type_ahead(program, results)
    run_stalled(program, results)
    run_resize_while_stalled(program, results)
    run_out_of_memory(program, results)
    run_limits(program, results)
    run_terminal_gone(program, results)
    return results.summary()


if __name__ == "__main__":
    sys.exit(main())
