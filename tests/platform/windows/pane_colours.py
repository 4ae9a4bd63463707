#!/usr/bin/env python3
"""Reads `tmux capture-pane -p -e` output and prints, for each row asked for,
the colours in force at the row's first non-blank cell and the row's text.

    pane_colours.py CAPTURE-FILE ROW...

Each line printed is "ROW FG BG TEXT": FG and BG are the SGR colour numbers
in force (30-37, 90-97 for text; 40-47, 100-107 for background; "default"
when none is set), TEXT the row without its escape sequences.
"""

import re
import sys

SGR = re.compile(r'\x1b\[([0-9;]*)m')
OTHER_ESCAPE = re.compile(r'\x1b\[[0-9;?]*[A-Za-ln-z]')


def apply_sgr(params, state):
    codes = [int(p) if p else 0 for p in params.split(';')] if params else [0]
    i = 0
    while i < len(codes):
        code = codes[i]
        if code == 0:
            state.update(fg='default', bg='default')
        elif 30 <= code <= 37 or 90 <= code <= 97:
            state['fg'] = str(code)
        elif 40 <= code <= 47 or 100 <= code <= 107:
            state['bg'] = str(code)
        elif code == 39:
            state['fg'] = 'default'
        elif code == 49:
            state['bg'] = 'default'
        elif code in (38, 48):  # extended colours: 5;n or 2;r;g;b
            span = 3 if codes[i + 1:i + 2] == [5] else 5
            key = 'fg' if code == 38 else 'bg'
            state[key] = ':'.join(str(c) for c in codes[i:i + span])
            i += span - 1
        i += 1


def rows_with_colours(capture):
    """(fg, bg, text) per row; colours are those at the first non-blank cell."""
    state = {'fg': 'default', 'bg': 'default'}
    result = []
    for line in capture.split('\n'):
        # Text and SGR parameters alternate: text, parameters, text, ..., text.
        parts = SGR.split(OTHER_ESCAPE.sub('', line))
        first = None
        for i, part in enumerate(parts):
            if i % 2:
                apply_sgr(part, state)
            elif first is None and part.strip():
                first = (state['fg'], state['bg'])
        result.append((first or (state['fg'], state['bg'])) + (''.join(parts[::2]),))
    return result


def main(argv):
    with open(argv[1], encoding='utf-8', errors='replace') as f:
        rows = rows_with_colours(f.read())
    for arg in argv[2:]:
        row = int(arg)
        fg, bg, text = rows[row] if row < len(rows) else ('default', 'default', '')
        print(row, fg, bg, text.rstrip())
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
