"""Walks the wizard through the accessibility tree, with the keyboard alone.

Usage: accessibility_walk.py PID DATABASE

Each page: the control that has the focus when the page shows, then every Tab, must be the next of
the page's controls in reading order, found by its role and accessible name (what a screen reader
says). Keys go to the program through the X server (xdotool); nothing is found by coordinates.
With FENDREL_A11Y_SHOTS=DIR the screen is saved there at every focus, as pageN-M.png.
"""
import os
import subprocess
import sys
import time

import pyatspi

PID = int(sys.argv[1])
DATABASE = sys.argv[2]
SHOTS = os.environ.get("FENDREL_A11Y_SHOTS")

TEXT = pyatspi.ROLE_TEXT
PASSWORD = pyatspi.ROLE_PASSWORD_TEXT
BUTTON = pyatspi.ROLE_PUSH_BUTTON
RADIO = pyatspi.ROLE_RADIO_BUTTON
LIST = pyatspi.ROLE_LIST
TABLE = pyatspi.ROLE_TABLE
LABEL = pyatspi.ROLE_LABEL

TABLE_QUESTION = "Which table contains the field you want to split?"
LABEL_QUESTION = "Splits need to be put into new fields. What would you like to label these new fields as?"


class Failed(Exception):
    pass


def wait(what, probe, seconds=30):
    end = time.monotonic() + seconds
    while True:
        try:
            result = probe()
        except Exception:  # the tree changes under a walk while a page shows or hides
            result = None
        if result:
            return result
        if time.monotonic() > end:
            raise Failed("timed out waiting for " + what)
        time.sleep(0.1)


def program():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == PID:
            return app
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def showing(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def page():
    """The page window on screen (one at a time)."""
    app = program()
    frames = [f for f in app if f is not None and showing(f)] if app else []
    return frames[0] if len(frames) == 1 else None


def describe(node):
    return "%s %r" % (node.getRoleName(), node.name) if node is not None else "nothing"


def role_name(role):
    return str(role)[len("ROLE_"):].lower().replace("_", " ")


def focused():
    """The control that has the keyboard focus. Qt says a list's or grid's current item is focused
    whether or not the list is, so an item stands for its list only when no control has the focus."""
    frame = page()
    if frame is None:
        return None
    items = []
    for node in walk(frame):
        if node.getRole() == pyatspi.ROLE_FRAME or not node.getState().contains(pyatspi.STATE_FOCUSED):
            continue
        parent = node.parent
        if parent is not None and parent.getRole() in (LIST, TABLE):
            items.append(parent)
        else:
            return node
    return items[0] if items else None


def control(role, name):
    frame = page()
    for node in walk(frame):
        if node.getRole() == role and node.name == name:
            return node
    raise Failed("the page shows no %s %r; it has: %s" % (
        role_name(role), name, ", ".join(describe(n) for n in walk(frame) if n.name)))


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "30", *keys], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "5", text], check=True)


def expect_focus(role, name):
    def on():
        node = focused()
        return node is not None and node.getRole() == role and node.name == name
    try:
        wait("the focus on %s %r" % (role_name(role), name), on, seconds=10)
    except Failed:
        raise Failed("the focus is on %s, not on %s %r" % (describe(focused()), role_name(role), name))
    shot()


def tab_through(order):
    """The focus starts on the first control and each Tab moves it to the next."""
    expect_focus(*order[0])
    for role, name in order[1:]:
        key("Tab")
        expect_focus(role, name)


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def items(node):
    return [child.name for child in node if child is not None]


def table_size(node):
    table = node.queryTable()
    return table.nRows, table.nColumns


def selected_items(node):
    return [child.name for child in node
            if child is not None and child.getState().contains(pyatspi.STATE_SELECTED)]


def wait_page(role, name):
    wait("the page with %r" % name, lambda: control(role, name))
    shot.page += 1
    shot.step = 0


def shot():
    """With FENDREL_A11Y_SHOTS, the screen as it is now: pageN-M.png, the Mth focus of page N."""
    if SHOTS:
        time.sleep(0.2)  # the repaint after the focus moved
        shot.step += 1
        subprocess.run(["import", "-window", "root", os.path.join(SHOTS, "page%d-%d.png" % (shot.page, shot.step))])


shot.page = 0


def page1():
    wait_page(TEXT, "MDB or ACCDB File:")
    expect_focus(TEXT, "MDB or ACCDB File:")
    type_text(DATABASE)
    wait("the typed path", lambda: text_of(control(TEXT, "MDB or ACCDB File:")) == DATABASE)
    tab_through([(TEXT, "MDB or ACCDB File:"), (BUTTON, "..."), (PASSWORD, "Password (if required):"),
                 (BUTTON, "Load Sample/Example Database"), (BUTTON, "Next >")])
    key("space")


def page2():
    wait_page(LIST, TABLE_QUESTION)
    tables = control(LIST, TABLE_QUESTION)
    if items(tables) != ["People"] or selected_items(tables) != ["People"]:
        raise Failed("page 2 lists %s, selected %s" % (items(tables), selected_items(tables)))
    tab_through([(LIST, TABLE_QUESTION), (BUTTON, "< Back"), (BUTTON, "Next >")])
    key("space")


def page3():
    wait_page(TABLE, "Preview")
    preview = control(TABLE, "Preview").queryTable()
    if (preview.nRows, preview.nColumns) != (3, 2):
        raise Failed("the preview shows %d rows of %d columns" % (preview.nRows, preview.nColumns))
    offer = control(LIST, "Fields on offer")
    chosen = control(LIST, "Field to split")
    if items(offer) != ["ID", "Name"] or items(chosen):
        raise Failed("page 3 offers %s and has chosen %s" % (items(offer), items(chosen)))
    tab_through([(TABLE, "Preview"), (LIST, "Fields on offer")])
    for _ in range(4):
        if selected_items(offer) == ["Name"]:
            break
        key("Down")
        time.sleep(0.2)
    if selected_items(offer) != ["Name"]:
        raise Failed("the arrow keys select %s in the fields on offer" % selected_items(offer))
    key("Tab")
    expect_focus(BUTTON, "Move to the field to split")
    key("space")
    wait("Name in the field to split", lambda: items(control(LIST, "Field to split")) == ["Name"])
    tab_through([(BUTTON, "Move to the field to split"), (BUTTON, "Move back to the fields on offer"),
                 (LIST, "Field to split"), (BUTTON, "< Back"), (BUTTON, "Next >")])
    key("space")


def page4():
    wait_page(RADIO, "Comma")
    label = control(TEXT, LABEL_QUESTION)
    if text_of(label) != "SPLITCOLUMN":
        raise Failed("the label box holds %r" % text_of(label))
    tab_through([(BUTTON, "< Back"), (RADIO, "Space")])
    # The arrow keys choose among the separators.
    key("Down")
    expect_focus(RADIO, "Comma")
    wait("Comma chosen", lambda: control(RADIO, "Comma").getState().contains(pyatspi.STATE_CHECKED))
    # The plan follows the separator: the preview shows the value and its three pieces.
    wait("the plan for Comma", lambda: table_size(control(TABLE, "Preview")) == (3, 4), seconds=60)
    control(LABEL, "Plan")
    tab_through([(RADIO, "Comma"), (TEXT, "Other separator"), (TEXT, LABEL_QUESTION), (BUTTON, "Finish"),
                 (TABLE, "Preview")])
    key("shift+Tab")
    expect_focus(BUTTON, "Finish")
    key("space")
    wait("Exit", lambda: control(BUTTON, "Exit"), seconds=60)
    expect_focus(BUTTON, "Exit")
    # After the split: the table with its new columns where the preview was, and undo beside it.
    result = control(TABLE, "Result")
    if table_size(result) != (3, 5):
        raise Failed("the result shows %d rows of %d columns" % table_size(result))
    tab_through([(BUTTON, "Exit"), (TABLE, "Result"), (BUTTON, "Undo")])
    key("shift+Tab")
    expect_focus(TABLE, "Result")
    key("shift+Tab")
    expect_focus(BUTTON, "Exit")
    key("space")


def main():
    try:
        wait("the program on the accessibility bus", program)
        page1()
        page2()
        page3()
        page4()
    except Failed as failure:
        print("FAILED:", failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
