#!/usr/bin/env python3
"""The terminal restore matrix: the game runs a demo in a pseudo-terminal that speaks the
keyboard protocol, leaves by one way out after another (Ctrl+C as a signal and in the protocol's
encoding, SIGTERM, SIGHUP, SIGQUIT, the crash signals, Ctrl+Z then continue then SIGTERM), and
each time every restore step is checked on its own: termios, the main screen and its contents,
cursor shown, autowrap, mouse reporting off, keyboard flags popped, colours reset and unread
input discarded.

The game runs under a small keeper process that owns the pseudo-terminal's session, as a shell
would, so that Ctrl+Z really stops it. The modes are read from a model of the terminal (the
state a ScreenGrid keeps) fed with everything the game wrote.
Usage: restore_matrix_pty.py PATH/TO/mazecast
"""
import os
import resource
import signal
import sys
import termios
import time

from pty_screen import COLOURED, PATIENCE, START_POSE, Checks, Game, ScreenGrid, killed

# More than one read of the game's, so some of it is still unread when the game leaves.
UNREAD = b"x" * 3000
MOUSE_MODES = (1000, 1002, 1003, 1004, 1006, 1015, 1016)


def check_taken(results, way, game):
    """The game changed every state that the restore must put back, so no check is idle."""
    model = ScreenGrid(1, 1)  # the terminal's state: its cells are not read
    model.feed(game.output)
    results.check(way + ": taken (alternate screen, no cursor, no autowrap, mouse, flags, colours)",
                  model.modes[1049] and not model.modes[25] and not model.modes[7]
                  and model.modes[1003] and model.keyboard_stack == [11] and model.coloured
                  and termios.tcgetattr(game.slave) != game.before)


def check_restored(results, way, game, since=0):
    """Every restore step, each checked on its own, for what the game wrote from `since` on
    (the model starts from the terminal as it was before the game)."""
    model = ScreenGrid(1, 1)
    model.feed(game.output[since:])
    for step, ok in (
            ("termios settings as before", termios.tcgetattr(game.slave) == game.before),
            ("main screen with its contents",
             not model.modes[1049] and not model.main_screen_drawn),
            ("cursor shown", model.modes[25]),
            ("autowrap on", model.modes[7]),
            ("mouse reporting off", not any(model.modes[mode] for mode in MOUSE_MODES)),
            ("keyboard protocol flags popped", model.keyboard_stack == []),
            ("colours reset", not model.coloured),
            ("unread input discarded", game.unread_input() == 0)):
        results.check("%s: %s" % (way, step), ok)


def check_interrupt_ends(results, way, game, ctrl_c):
    """Ctrl+C, sent as `ctrl_c`, ends the game by SIGINT with the terminal restored."""
    game.send(ctrl_c)
    results.report(way + ": Ctrl+C ends it", game, killed(signal.SIGINT))
    check_restored(results, way, game)


def leave(actions, number):
    """A way out: `actions` done while the game is stopped (bytes typed, signals sent, so that
    input is left unread), then the game must end by signal `number`."""
    def way_out(results, way, game):
        check_taken(results, way, game)
        game.while_stopped(*actions)
        results.report("%s: ends by %s" % (way, killed(number)), game, killed(number))
        check_restored(results, way, game)
    return way_out


def suspend(results, way, game):
    """Ctrl+Z (in the protocol's encoding) gives the terminal back while stopped; continuing
    takes it again and repaints the frame; SIGTERM then restores it once more."""
    game.while_stopped(b"\x1b[122;5u" + UNREAD)
    results.report(way + ": the game stops by SIGTSTP", game, "stopped %d" % signal.SIGTSTP)
    check_restored(results, way + " (stopped)", game)
    resumed_at = len(game.output)
    os.kill(game.pid, signal.SIGCONT)
    game.wait_report("continued")
    again = [b"\x1b[?1049h", b"\x1b[?25l", b"\x1b[?7l", b"\x1b[?1003h", b"\x1b[>11u"]
    results.check(way + ": continuing takes the terminal again",
                  all(game.wait_for(seq, start=resumed_at) for seq in again))
    results.check(way + ": continuing repaints the coloured frame",
                  game.wait_for(COLOURED, start=resumed_at)
                  and game.wait_for(START_POSE, start=resumed_at))
    results.check(way + ": raw input again", game.types_raw())
    game.while_stopped(UNREAD, signal.SIGTERM)
    results.report(way + ", continue, SIGTERM: ends by SIGTERM", game, killed(signal.SIGTERM))
    check_restored(results, way + ", continue, SIGTERM", game, resumed_at)


def suspend_ignored(results, way, game):
    """Started with SIGTSTP ignored (a parent that could not resume it), Ctrl+Z as the signal
    and in the protocol's encoding does nothing: the game neither stops nor lets go."""
    mark = len(game.output)
    game.send(b"\x1a\x1b[122;5u")
    game.wait_idle()
    game.send(b"\x1b[119u\x1b[119;1:3u")
    results.check(way + ": the game plays on",
                  game.wait_for_line(0, "X:5.750000") and game.wait_report("stopped", 0) == ""
                  and b"\x1b[?1049l" not in game.output[mark:])
    check_interrupt_ends(results, way, game, b"\x03")


def suspend_then_bg(results, way, game):
    """Ctrl+Z, then the shell takes the terminal back and runs `bg`: the game does not take the
    terminal from the background; `fg` then takes it again and repaints."""
    game.send(b"\x1b[122;5u")
    results.report(way + ": the game stops by SIGTSTP", game, "stopped %d" % signal.SIGTSTP)
    game.shell(b"take")
    mark = len(game.output)
    game.shell(b"bg")
    results.report(way + ": stops again by SIGTTIN", game, "stopped %d" % signal.SIGTTIN)
    results.check(way + ": nothing sent from the background", game.output[mark:] == b"")
    game.shell(b"fg")
    results.check(way + ", fg: the terminal taken again and the frame repainted",
                  game.wait_for(b"\x1b[?1049h", start=mark)
                  and game.wait_for(START_POSE, start=mark))
    os.kill(game.pid, signal.SIGTERM)
    results.report(way + ", fg, SIGTERM: ends by SIGTERM", game, killed(signal.SIGTERM))
    check_restored(results, way + ", fg, SIGTERM", game, mark)


def background(then_fg):
    """Started in the background, the game touches nothing until it is in the foreground: it
    stops as a background reader would. Continued with SIGTERM (`kill %1`) it ends by it; put
    in the foreground (`fg`) it takes the terminal and plays."""
    def run(results, way, game):
        results.report(way + ": stops by SIGTTIN", game, "stopped %d" % signal.SIGTTIN)
        results.check(way + ": nothing sent, nothing set while in the background",
                      game.output == b"" and termios.tcgetattr(game.slave) == game.before)
        if then_fg:
            game.shell(b"fg")
            results.check(way + ": demo running", game.start_demo())
        os.kill(game.pid, signal.SIGTERM)
        if not then_fg:
            game.shell(b"bg")
        results.report(way + ": ends by SIGTERM", game, killed(signal.SIGTERM))
        if then_fg:
            check_restored(results, way + ", SIGTERM", game)
        else:
            results.check(way + ": nothing sent at all", game.output == b"")
    return run


def continue_while_typing(results, way, game):
    """A continue that follows no stop discards nothing that was typed."""
    mark = len(game.output)
    game.send(b"250")
    game.wait_for(b"250", start=mark)
    os.kill(game.pid, signal.SIGCONT)
    results.check(way + ": the continue is taken", game.wait_idle())
    game.send(b"\r")
    results.check(way + ": the typed width is read", game.wait_for(b"Set width: 250", start=mark))


def stalls(results, way, game):
    """Holds the Left arrow, so that the demo draws a frame every 40 ms, until the game waits
    for room to write: the pty is not read. Filling its buffer takes some seconds of frames,
    many more on a loaded machine: the wait is long, and ends once the game waits."""
    game.send(b"\x1b[1;1:1D")
    return results.check(way + ": output stalled", game.blocked_writing(4 * PATIENCE))


def stalled(before, action, number):
    """The terminal stops reading while a demo turns: `action` (a signal, or bytes typed) still
    ends the game by signal `number` within a second, after `before` is done, and the terminal
    is restored once it reads again."""
    def run(results, way, game):
        if not stalls(results, way, game):
            return
        game.act(*before)
        started = time.monotonic()
        game.act(action)
        ended = game.wait_report("signal", 5.0, reading=False)
        took = time.monotonic() - started
        results.check("%s: ends by signal %d within 1 s (%s after %.2f s)"
                      % (way, number, ended, took), ended == killed(number) and took <= 1.0)
        game.drain()
        # What the terminal did not read is discarded, and the restore queued in its place.
        check_restored(results, way, game)
    return run


def resize_while_stalled(results, way, game):
    """The window shrinks while the game waits for a terminal that does not read: once output
    flows again the game shows the frame laid out for the new size, as a repaint does."""
    def shown():
        """The 24 x 80 window once the game has acted on everything sent so far."""
        game.wait_idle()
        game.wait_passes()
        grid = ScreenGrid(24, 80)
        grid.feed(game.output[mark:])
        return grid

    if not stalls(results, way, game):
        return
    mark = len(game.output)
    game.resize(24, 80)
    game.wait_idle()
    game.send(b"\x1b[1;1:3D")
    after_stall = shown()
    # A resize that nothing holds up repaints the whole window for the size it has.
    wiggle = len(game.output)
    game.resize(24, 81)
    game.wait_for(b"\x1b[24H", start=wiggle)
    game.resize(24, 80)
    repainted = shown()
    results.check(way + ": the window shows the frame at the new size",
                  after_stall.text() == repainted.text() and repainted.line(0).startswith("X:"))


def out_of_memory(results, way, game):
    """No memory for the frame the settings chose: the terminal is given back, then one line
    says what failed, and the game exits with a failure status."""
    game.send(b"512\r")
    game.wait_for_line(3, "Set width: 512")
    kib = game.proc_status("VmSize")
    resource.prlimit(game.pid, resource.RLIMIT_AS, ((kib + 64) * 1024, resource.RLIM_INFINITY))
    mark = len(game.output)
    game.send(b"512\r")
    results.report(way + ": exit status 1", game, "exit 1")
    line = b"mazecast: stopped: out of memory\r\n"
    results.check(way + ": one line saying so, after the restore",
                  game.output[mark:].endswith(b"\x1b[?1049l" + line))
    game.output = game.output[:-len(line)]  # the main screen's only new text
    check_restored(results, way, game)


def memory_bounded(results, way, game):
    """A window of 65535 x 65535 cells is clipped, never stored."""
    kib = game.proc_status("VmRSS")
    results.check("%s: memory bounded (%d KiB)" % (way, kib), kib < 64 * 1024)
    check_interrupt_ends(results, way, game, b"\x1b[99;5u")


def no_descriptor(results, way, game):
    """With no file descriptor left for its wake-up pipe the game refuses to start before
    touching the terminal."""
    results.report(way + ": exit status 2", game, "exit 2")
    results.check(way + ": one line saying so, and nothing else sent",
                  b"signal handling" in game.output and game.output.count(b"\n") == 1
                  and b"\x1b" not in game.output)
    results.check(way + ": termios settings untouched",
                  termios.tcgetattr(game.slave) == game.before)


def terminal_gone(results, way, game):
    """The terminal goes away while its session leader lives on and sends no hangup signal:
    the game's reads fail, and it must end rather than spin."""
    os.close(game.master)
    game.master = -1
    results.report(way + ": the game ends", game, killed(signal.SIGHUP))


# How a run gets the game ready: the check's name and what does it. None: no check, at once.
DEMO = ("demo running", Game.start_demo)
PROMPT = ("width prompt", lambda game: all(game.start_menu()) and game.open_settings())
TYPED_AHEAD = ("menu shown", lambda game: all(game.start_menu(typed_ahead=b"\r\x1b[13u")))
# Each way out of the matrix: its name, the game's options, how the game gets ready, the run.
# Every signal whose default ends the process gets the restore first; so does Ctrl+C when the
# parent left the signals the game relies on blocked. "plain": skipped under the sanitizers,
# whose own checks need memory and descriptors (a pipe to probe memory with).
TERMINATING = [getattr(signal, name) for name in (
    "SIGTERM", "SIGHUP", "SIGQUIT", "SIGSEGV", "SIGABRT", "SIGBUS", "SIGFPE", "SIGPIPE",
    "SIGALRM", "SIGUSR1", "SIGUSR2", "SIGXCPU", "SIGXFSZ", "SIGVTALRM", "SIGPROF", "SIGTRAP",
    "SIGSYS", "SIGSTKFLT", "SIGPWR") if hasattr(signal, name)] + [signal.SIGRTMIN + 3]
BLOCKED_BY_PARENT = {"blocked": {signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGWINCH}}
WAYS = [
    ("Ctrl+C as a signal", {}, DEMO, leave([b"\x03", UNREAD], signal.SIGINT)),
    ("Ctrl+C in the keyboard protocol", {}, DEMO, leave([b"\x1b[99;5u" + UNREAD], signal.SIGINT)),
    ("Ctrl+C with signals blocked by the parent", BLOCKED_BY_PARENT, DEMO,
     leave([b"\x03", UNREAD], signal.SIGINT)),
    ("SIGTERM with signals blocked by the parent", BLOCKED_BY_PARENT, DEMO,
     leave([UNREAD, signal.SIGTERM], signal.SIGTERM)),
    ("Ctrl+C on a terminal that controls no session", {"controlling": False}, DEMO,
     leave([b"\x03", UNREAD], signal.SIGINT)),
    ("Ctrl+\\ on a terminal that controls no session", {"controlling": False}, DEMO,
     leave([b"\x1c", UNREAD], signal.SIGQUIT)),
] + [
    (signal.Signals(number).name if number in signal.Signals._value2member_map_
     else "SIGRTMIN+3", {}, DEMO, leave([UNREAD, number], number))
    for number in TERMINATING
] + [
    ("Ctrl+Z", {}, DEMO, suspend),
    ("Ctrl+Z with SIGTSTP ignored", {"ignored": (signal.SIGTSTP,)}, DEMO, suspend_ignored),
    ("Ctrl+Z, bg", {}, DEMO, suspend_then_bg),
    ("started in the background, kill %1", {"background": True}, None, background(False)),
    ("started in the background, fg", {"background": True}, None, background(True)),
    ("a continue without a stop while typing", {}, PROMPT, continue_while_typing),
    ("Enter typed ahead of the menu", {}, TYPED_AHEAD,
     lambda results, way, game: results.check(
         way + ": discarded: the menu goes on to the settings", game.open_settings())),
] + [
    (name + " while output is stalled", {}, DEMO, stalled(before, action, number))
    for name, before, action, number in (
        ("SIGTERM", (), signal.SIGTERM, signal.SIGTERM),
        ("SIGHUP", (), signal.SIGHUP, signal.SIGHUP),
        ("SIGSEGV", (), signal.SIGSEGV, signal.SIGSEGV),
        ("Ctrl+C in the keyboard protocol", (), b"\x1b[99;5u", signal.SIGINT),
        # More than the 64 KiB a pipe of one byte per signal holds.
        ("SIGTERM after a flood of SIGWINCH", (signal.SIGWINCH,) * 70000, signal.SIGTERM,
         signal.SIGTERM))
] + [
    ("a resize while output is stalled", {}, DEMO, resize_while_stalled),
    ("out of memory for a 512 x 512 frame", {"plain": True}, PROMPT, out_of_memory),
    ("a 65535 x 65535 window", {"size": (65535, 65535)}, DEMO, memory_bounded),
    ("no file descriptor for the wake-up pipe", {"files": 4, "plain": True}, None,
     no_descriptor),
    ("terminal closed without a hangup signal", {"keeper_ignores_hangup": True}, DEMO,
     terminal_gone),
]


def main():
    program = os.path.realpath(sys.argv[1])
    with open(program, "rb") as binary:
        sanitized = b"__ubsan_handle" in binary.read()
    results = Checks()
    for way, options, ready, run in WAYS:
        options = dict(options)
        if options.pop("plain", False) and sanitized:
            print("skipped: %s: the program is built with sanitizers" % way)
            continue
        with Game(program, **options) as game:
            if ready is None or results.check("%s: %s" % (way, ready[0]), ready[1](game)):
                if run is not None:
                    run(results, way, game)
    return results.summary()


if __name__ == "__main__":
    sys.exit(main())
