#!/usr/bin/python3
# Prints "role<TAB>name" for every control of the program's window whose whole title matches the
# argument (a regular expression), as assistive technology sees them; exits 1 when no such window is there.
import re
import sys

import pyatspi

title = sys.argv[1]


def walk(node):
    for child in node:
        if child is None:
            continue
        print(f"{child.getRoleName()}\t{child.name}")
        walk(child)


for application in pyatspi.Registry.getDesktop(0):
    if application is None:
        continue
    for window in application:
        if window is not None and re.fullmatch(title, window.name or ""):
            walk(window)
            sys.exit(0)
sys.exit(1)
