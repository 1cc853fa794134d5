#!/usr/bin/python3
# Reads a running program's controls off the accessibility bus (AT-SPI), as a screen reader does.
# Started with the program's process id, it answers each line of its input with one JSON line:
#   walk   every showing control of the active window: [role, name, states, path]; a web
#          document is one control
#   text   the text of the editable web document (the entry's body)
import json
import sys

import pyatspi

CONTROLS = {'push button', 'toggle button', 'check box', 'radio button', 'combo box', 'text', 'entry',
            'password text', 'spin button', 'slider', 'tree', 'tree table', 'table', 'list', 'list box',
            'page tab', 'menu item', 'progress bar', 'link', 'document web', 'document frame'}
STATES = {'selected': pyatspi.STATE_SELECTED, 'default': pyatspi.STATE_IS_DEFAULT,
          'editable': pyatspi.STATE_EDITABLE}


def children(node):
    try:
        return [c for c in node if c is not None]
    except Exception:
        return []


def walk(node, path, found):
    try:
        states, role, name = node.getState(), node.getRoleName(), node.name or ''
    except Exception:
        return found  # gone meanwhile
    if not states.contains(pyatspi.STATE_SHOWING):
        return found
    if role in CONTROLS or states.contains(pyatspi.STATE_SELECTED):
        found.append([role, name, [k for k, v in STATES.items() if states.contains(v)], path])
    if not role.startswith('document'):
        for child in children(node):
            walk(child, path + '/' + (name or role), found)
    return found


def text(node, inside=False):
    """The text of the editable web document below node, as its parts' text interfaces give it."""
    try:
        inside = inside or (node.getRoleName().startswith('document')
                            and node.getState().contains(pyatspi.STATE_EDITABLE))
        if inside and node.getRoleName() != 'document web':
            t = node.queryText()
            return t.getText(0, t.characterCount)
    except Exception:
        pass  # no text of its own
    return '\n'.join(filter(None, (text(child, inside) for child in children(node))))


for line in sys.stdin:
    app = next((a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == int(sys.argv[1])), None)
    if app is None:
        print(json.dumps({'error': 'the program is not on the accessibility bus'}), flush=True)
    elif line.strip() == 'walk':
        found = []
        for window in children(app):
            if window.getState().contains(pyatspi.STATE_ACTIVE):
                walk(window, '', found)
        print(json.dumps({'controls': found}), flush=True)
    else:
        print(json.dumps({'text': text(app)}), flush=True)
