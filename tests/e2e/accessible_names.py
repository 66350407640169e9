#!/usr/bin/python3
# Prints "role<TAB>name" for every control of the program's window whose whole title matches the
# first argument (a regular expression), as assistive technology sees them; exits 1 when no such
# window is there. With a second argument "--focused": prints "name<TAB>description" of the focused
# control only, exiting 1 when none has the focus.
import re
import sys

import pyatspi

title = sys.argv[1]
focused_only = sys.argv[2:] == ["--focused"]


def walk(node):
    for child in node:
        if child is None:
            continue
        if focused_only:
            if child.getState().contains(pyatspi.STATE_FOCUSED):
                print(f"{child.name}\t{child.description}")
                sys.exit(0)
        else:
            print(f"{child.getRoleName()}\t{child.name}")
        walk(child)


for application in pyatspi.Registry.getDesktop(0):
    if application is None:
        continue
    for window in application:
        if window is not None and re.fullmatch(title, window.name or ""):
            walk(window)
            sys.exit(1 if focused_only else 0)
sys.exit(1)
