#!/usr/bin/python3
# Prints "role<TAB>name" for every control of the program's window whose whole title matches the
# first argument (a regular expression), as assistive technology sees them; exits 1 when no such
# window is there. With a second argument "--focused": prints "name<TAB>description" of the focused
# control only, exiting 1 when none has the focus. Tables are listed without their cells. "--insensitive": the names of the controls that
# are disabled. "--table NAME": the table so named, as lines "size<TAB>rows<TAB>columns", then
# "column<TAB>header" for each column, "row<TAB>header" for each row and "cell<TAB>name" for each
# cell, row by row; exits 1 when there is no such table.
import re
import sys

import pyatspi

title = sys.argv[1]
mode = sys.argv[2] if len(sys.argv) > 2 else ""
focused_only = mode == "--focused"


def print_table(table):
    cells = table.queryTable()
    print(f"size\t{cells.nRows}\t{cells.nColumns}")
    for column in range(cells.nColumns):
        print(f"column\t{cells.getColumnHeader(column).name}")
    for row in range(cells.nRows):
        print(f"row\t{cells.getRowHeader(row).name}")
    for row in range(cells.nRows):
        for column in range(cells.nColumns):
            print(f"cell\t{cells.getAccessibleAt(row, column).name}")
    sys.exit(0)


def walk(node):
    for child in node:
        if child is None:
            continue
        if focused_only:
            if child.getState().contains(pyatspi.STATE_FOCUSED):
                print(f"{child.name}\t{child.description}")
                sys.exit(0)
        elif mode == "--insensitive":
            if not child.getState().contains(pyatspi.STATE_SENSITIVE):
                print(child.name)
        elif mode == "--table":
            if child.getRoleName() == "table" and child.name == sys.argv[3]:
                print_table(child)
        else:
            print(f"{child.getRoleName()}\t{child.name}")
        # A table's cells are read with --table only: there are hundreds.
        if child.getRoleName() != "table":
            walk(child)


for application in pyatspi.Registry.getDesktop(0):
    if application is None:
        continue
    for window in application:
        if window is not None and re.fullmatch(title, window.name or ""):
            walk(window)
            sys.exit(1 if focused_only or mode == "--table" else 0)
sys.exit(1)
