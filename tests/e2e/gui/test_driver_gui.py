"""The driver against a live window (fixture_window.cpp): selecting and
double-clicking list items, menus and submenus (also opened a second
time), a colour on the screen, and failures that explain themselves."""

import os
import re
import time

import atspi_driver as gui
from atspi_driver import GuiError

RESULT = re.compile(r"^(nothing|current|double|recent)")


def result_is(app, text):
    gui.wait_until(lambda: app.label_text(RESULT) == text, 5, "the result %r" % text, dump=app.dump)


def expect_failure(action, *fragments):
    start = time.monotonic()
    try:
        action()
    except GuiError as error:
        message = str(error)
        missing = [f for f in fragments if f not in message]
        if missing:
            raise GuiError("the failure message lacks %s:\n%s" % (missing, message))
        return time.monotonic() - start
    raise GuiError("no failure where one was expected")


def test():
    program = os.environ.get("GUI_FIXTURE_WINDOW", "")
    if not os.access(program, os.X_OK):
        raise GuiError("no fixture window program at %r (build gui_fixture_window)" % program)
    gui.require_tool("xdotool")
    with gui.App([program], name="fixture") as app:
        app.window("Driver Fixture")
        items = app.find("list", "Items")

        # Selecting by name and by index, each made the current item.
        for how, expected in [({"name": "beta"}, "current beta"), ({"index": 0}, "current alpha"),
                              ({"name": re.compile("^gam")}, "current gamma")]:
            app.select_item(items, **how)
            result_is(app, expected)
        app.double_click(app.find("list item", "beta"))
        result_is(app, "double beta")

        # The label's own background, beside its text.
        label = app.find("label", RESULT)
        x, y, w, h = gui.extents(label)
        shot = gui.screenshot("fixture")
        colour = shot.pixel(x + w - 3, y + h // 2)
        if not gui.colour_close(colour, (200, 30, 60)) or gui.colour_close(colour, (30, 200, 60)):
            raise GuiError("the label's background is %s (screenshot %s)" % (colour, shot.path))

        # A submenu, and the same menu once more after it has closed.
        app.activate_menu("File", "Recent", "One")
        result_is(app, "recent one")
        # The first click after a menu counts, and so does a double-click.
        app.select_item(items, name="gamma")
        result_is(app, "current gamma")
        app.double_click(app.find("list item", "alpha"))
        result_is(app, "double alpha")
        app.activate_menu(re.compile("^&?File$"), "Recent", "One")
        result_is(app, "recent one")

        # Failures: bounded, naming what was looked for, with the tree.
        took = expect_failure(lambda: app.find("push button", "No Such Button", timeout=0.5),
                              "'No Such Button'", "[frame] 'Driver Fixture'", "[list item] 'gamma'")
        if took > 3:
            raise GuiError("a 0.5 s search took %.1f s to fail" % took)
        expect_failure(lambda: gui.do_action(label, gui.PRESS_ACTIONS), "label")
        expect_failure(lambda: app.select_item(items, name="delta"), "'delta'", "[list item] 'alpha'")

        app.activate_menu("File", re.compile("^E&?xit$"))
        status = app.wait_exit(10)
        if status != 0:
            raise GuiError("the fixture ended with status %s\n%s" % (status, app.output()))
        expect_failure(lambda: app.find("list", "Items", timeout=0.5), "ended with status 0")


if __name__ == "__main__":
    gui.run(test)
