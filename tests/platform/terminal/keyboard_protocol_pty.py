#!/usr/bin/env python3
"""Plays a terminal that speaks the progressive keyboard protocol to the game over a
pseudo-terminal that controls no session: answers its start-up queries, visits the settings
screen, sends press and release events and mouse motion in cells. Like some real terminals it
tells its size in pixels only when asked for the text area: no pixels in the size report, no
answer to the cell-size query. (The ways out, the protocol's Ctrl+C among them, are the restore
matrix's.)

Usage: keyboard_protocol_pty.py PATH/TO/mazecast
"""
import os
import sys

from pty_screen import PUSH, Checks, Game

# Flags 0 in force, no pixel mouse, a text area of 1200 x 800 pixels (10 x 20 cells), then the
# device attributes.
PROBE_REPLY = b"\x1b[?0u\x1b[?1016;0$y\x1b[4;800;1200t\x1b[?62;22c"
WALL_X = 10.75  # the furthest a player walks back along demo 1's row 6


def at_rest(term):
    """The status once the game has read every key sent and drawn a few frames after them,
    the same after a few frames more: with key releases reported, where the player then is,
    it stays. None when it never came to rest."""
    last = None
    for _ in range(5):
        if not term.wait_passes():
            return None
        current = term.status()
        if current is not None and current == last:
            return current
        last = current
    return None


def main():
    results = Checks()
    check = results.check
    with Game(os.path.realpath(sys.argv[1]), pixels=False, controlling=False) as term:
        asked, pushed, shown = term.start_menu(reply=PROBE_REPLY)
        check("start-up queries sent", asked)
        check("keyboard flags 1|2|8 pushed and re-queried", pushed)
        check("menu shown", shown)

        # The settings screen: typed lines read raw and edited and echoed by the game, the
        # protocol's flags popped and mouse reporting off meanwhile, and both back once the
        # menu returns.
        entered = len(term.output)
        check("Enter on Settings asks for the width", term.open_settings())
        check("flags popped and mouse off for typing",
              term.wait_for(b"\x1b[<u", start=entered)
              and term.wait_for(b"\x1b[?1003l", start=entered))
        check("raw input without the terminal's echo while typing",
              term.wait_until(term.types_raw))
        term.send(b"80\r")
        check("typed width echoed", term.wait_for(b"80", start=entered))
        check("asks for the height", term.wait_for(b"Height?", start=entered))
        term.send(b"25\r")
        check("settings accept 80 25", term.wait_for(b"Set resolution: 80x25", start=entered))
        accepted = term.output.rfind(b"Set resolution: 80x25")
        check("flags pushed and mouse on again afterwards",
              term.wait_for(PUSH, start=accepted) and b"\x1b[?1003h" in term.output[accepted:])
        check("raw input again afterwards", term.types_raw())
        check("the menu returns after the pause", term.wait_for(b"Run DEMO 1", start=accepted))
        check("Enter press starts demo 1",
              term.press(b"\x1b[A", 0, "Run DEMO 1  <--") and term.enter_demo())

        # Shift alone, as its own key, makes every step of a held W half a cell. The keys are
        # let go once two steps are seen, however long a loaded machine takes to show them,
        # and the player is left to come to rest.
        term.send(b"\x1b[57441;2u\x1b[119;2u")
        term.wait_status(lambda status: status[0] <= 5.0)
        term.send(b"\x1b[119;2:3u\x1b[57441;1:3u")
        ran = at_rest(term)
        check("W held with Shift walks in half cells (X=%s)" % (ran,),
              ran is not None and ran[0] <= 5.0 and (ran[0] * 2) % 1.0 == 0.0)
        ran_x = ran[0] if ran else 5.0

        # One press of S and no repeats: held until its release, not for a tap's two steps.
        # It is let go once a third step is seen; then the release must stop the player where
        # it is, short of the wall, and for good (a dozen frames on).
        term.send(b"\x1b[115u")
        term.wait_status(lambda status: status[0] - ran_x > 0.5 + 1e-6)
        term.send(b"\x1b[115;1:3u")
        walked = at_rest(term)
        check("S held by its press walks on without repeats (X=%s)" % (walked,),
              walked is not None and walked[0] - ran_x > 0.5 + 1e-6)
        check("S release stops the player short of the wall",
              walked is not None and walked[0] < WALL_X)
        term.wait_passes(12)
        check("S release stops the player", walked is not None and term.status() == walked)

        # A tap quicker than a frame, its press and release in one read, still steps once.
        term.send(b"\x1b[119u\x1b[119;1:3u")
        tapped = at_rest(term)
        check("a W tap within one frame steps (X=%s)" % (tapped,),
              tapped is not None and walked is not None and tapped[0] < walked[0])

        # Cell reports: the first anchors, 5 cells to the right are 50 pixels of the text
        # area's 10-pixel cells and turn 5 degrees.
        term.send(b"\x1b[<35;60;15M")
        term.wait_passes(1)
        term.send(b"\x1b[<35;65;15M")
        check("mouse motion turns 0.1 degree a pixel of the text area's cells",
              term.wait_status(lambda status: status[2] == 185.0))
    return results.summary()


if __name__ == "__main__":
    sys.exit(main())
