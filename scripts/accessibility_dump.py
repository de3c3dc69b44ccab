#!/usr/bin/python3
"""Prints what a screen reader gets over AT-SPI from the running quarnel window, and checks it.

Every field must be named (by its name, by a label through the labelled-by relation, or, for a
drop-down list whose name is its entry, by its description), and every row of the flight group
list and of the team goal list must read as text. Exits 1 when something is not.

    accessibility_dump.py [--lists-only] [--wait SECONDS]
"""
import argparse
import sys
import time

import pyatspi

FIELD_ROLES = {"combo box", "spin button", "text", "check box", "list", "push button"}
LISTS = {"Flight groups", "Teams"}
# Labels the flight group list covers whole.
NEVER_SEEN = {"F1Label", "wordlabel", "Section"}


def find_app(wait):
    deadline = time.time() + wait
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "quarnel" and app.childCount > 0:
                return app
        time.sleep(0.2)
    return None


def labelled_by(node):
    names = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return names


def walk(node, visit, depth=0):
    visit(node, depth)
    role = node.getRoleName()
    # A drop-down list's children are its popup entries (232 craft, for one): not walked.
    if role == "combo box":
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, visit, depth + 1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--lists-only", action="store_true")
    parser.add_argument("--wait", type=float, default=30)
    args = parser.parse_args()

    app = find_app(args.wait)
    if app is None:
        print("error: no application named quarnel on the accessibility bus", file=sys.stderr)
        return 1

    faults = []
    fields = 0
    rows = 0

    def visit(node, depth):
        nonlocal fields, rows
        role = node.getRoleName()
        name = node.name or ""
        labels = labelled_by(node)
        parent = node.parent
        in_list = parent is not None and parent.getRoleName() == "list" and parent.name in LISTS
        if in_list:
            rows += 1
            print(f"    {parent.name} row {node.getIndexInParent() + 1}: {name!r}")
            if not name.strip():
                faults.append(f"a row of {parent.name} reads as blank")
            return
        if not node.getState().contains(pyatspi.STATE_VISIBLE):
            return  # the never-seen lookup list, for one
        if args.lists_only or role not in FIELD_ROLES:
            if not args.lists_only and role in {"label", "frame", "panel", "tool bar"} and name:
                print(f"{'  ' * depth}{role}: {name!r}")
            if not args.lists_only and depth > 1 and role in {"label", "frame", "separator"} and (
                    not name or name in NEVER_SEEN):
                faults.append(f"a {role} {name!r} is offered that nobody sees or that only decorates")
            return
        fields += 1
        description = node.description or ""
        # Qt on Linux gives a drop-down list's entry as its name and leaves its label to the
        # labelled-by relation; a list with no label beside it is named by its description.
        own = description if role == "combo box" else name
        shown = f"; shows {name!r}" if role == "combo box" else ""
        by = f"; labelled by {' / '.join(labels)!r}" if labels else ""
        said = f"; described as {description!r}" if role == "push button" else ""
        print(f"{'  ' * depth}{role}: {own!r}{by}{shown}{said}")
        if role == "push button" and description == name:
            faults.append(f"the button {name!r} is described by its name again")
        if not own.strip() and not any(label.strip() for label in labels):
            faults.append(f"a {role} has no name (name {name!r}, description {description!r})")

    walk(app, visit)
    if not args.lists_only:
        print(f"{fields} fields and buttons, {rows} list rows")
    if rows != 16 + 8:
        faults.append(f"{rows} list rows read, expected 24")
    for fault in faults:
        print(f"FAULT: {fault}", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
