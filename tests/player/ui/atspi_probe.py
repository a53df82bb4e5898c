#!/usr/bin/env python3
"""Reads a running program's accessibility tree through AT-SPI, as a screen reader does.

  atspi_probe.py tree PID         one line an object: depth, role, name, description (tab-separated)
  atspi_probe.py watch PID SECS   "ready" once listening, then one line a change of an object's
                                  name or description: event, role, name, new value (tab-separated);
                                  ends after SECS seconds

The tree is read to a bounded depth and count, so that a large web page cannot hold the test up.
"""
import sys

import pyatspi
from gi.repository import GLib

MOST_OBJECTS = 4000
DEEPEST = 40


def plain(text):
    return (text or "").replace("\t", " ").replace("\n", " ")


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except GLib.Error:
            continue
    return None


def print_tree(pid):
    app = application(pid)
    if app is None:
        print("no application of process %d on the accessibility bus" % pid, file=sys.stderr)
        return 1
    count = 0
    stack = [(app, 0)]
    while stack and count < MOST_OBJECTS:
        node, depth = stack.pop()
        count += 1
        try:
            print("%d\t%s\t%s\t%s" % (depth, node.getRoleName(), plain(node.name), plain(node.description)))
            if depth < DEEPEST:
                children = [node.getChildAtIndex(i) for i in range(node.childCount)]
                stack.extend((child, depth + 1) for child in reversed(children) if child is not None)
        except GLib.Error as error:
            print("cannot read an object: %s" % error.message, file=sys.stderr)
            continue
    sys.stdout.flush()
    return 0


def watch(pid, seconds):
    def heard(event):
        try:
            if event.source.get_process_id() != pid:
                return
            source = event.source
            value = source.description if event.type.endswith("accessible-description") else source.name
            print("%s\t%s\t%s\t%s" % (event.type, source.getRoleName(), plain(source.name), plain(value)),
                  flush=True)
        except GLib.Error:
            pass

    pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-name",
                                           "object:property-change:accessible-description")
    GLib.timeout_add(int(seconds * 1000), lambda: pyatspi.Registry.stop())
    GLib.idle_add(lambda: print("ready", flush=True) and False)
    pyatspi.Registry.start()
    return 0


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "tree":
        return print_tree(int(sys.argv[2]))
    if len(sys.argv) >= 4 and sys.argv[1] == "watch":
        return watch(int(sys.argv[2]), float(sys.argv[3]))
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
