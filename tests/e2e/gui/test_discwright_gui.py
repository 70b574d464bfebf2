"""Discwright as a user meets it: the window, its controls and texts, the
queue filled through Browse and emptied through Delete, the message for a
Delete with nothing selected, and closing the window; started with two
files, both queued in the order given."""

import os
import re
import subprocess
import wave

import atspi_driver as gui
from atspi_driver import GuiError

TITLE = " Discwright "
BUTTONS = ("Record", "Abort", "Browse", "Delete")


def make_wav(path, seconds):
    with wave.open(path, "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(44100)
        out.writeframes(b"\0\0\0\0" * int(44100 * seconds))


def expect(condition, message, app):
    if not condition:
        raise GuiError("%s\n%s" % (message, app.dump()))


def check_window(app):
    frame = app.window(TITLE)
    for caption in BUTTONS:
        app.find("push button", caption, within=frame)
    # The disc status and the queue's time are in the status bar.
    status = app.find("status bar")
    app.find("label", "Disc Status:", within=status)
    disc = app.find("label", re.compile(r"^Empty CD +\[ [0-9:]+ Time Left , .* Left \]$"), within=status)
    expect(disc is not None, "no disc status", app)
    app.find("label", "Time In Queue: 00:00", within=status)
    app.find("label", "Drag And Drop Audio Audio Files Below", within=frame)
    # Test is the mode a new window starts in.
    expect("checked" in gui.states_of(app.find("radio button", "Test")), "Test is not the starting mode", app)
    expect("checked" not in gui.states_of(app.find("radio button", "Record")), "Record starts checked", app)
    return frame


def check_icon(app):
    # The window carries Discwright's own icon for the task bar and the
    # window manager (_NET_WM_ICON, at least one size).
    xdotool, xprop = gui.require_tool("xdotool"), gui.require_tool("xprop")
    found = subprocess.run([xdotool, "search", "--pid", str(app.pid), "--name", "Discwright"],
                           capture_output=True, text=True, timeout=10).stdout.split()
    icons = [subprocess.run([xprop, "-id", w, "_NET_WM_ICON"], capture_output=True, text=True,
                            timeout=10).stdout for w in found]
    expect(any("Icon (16 x 16)" in i or "Icon (32 x 32)" in i for i in icons),
           "no window of discwright has an icon: %s" % [i[:80] for i in icons], app)


def check_pause_field(app):
    pause = app.find("text", "Pause")
    expect(gui.text_of(pause) == "2", "the pause starts at %r, not 2" % gui.text_of(pause), app)
    app.set_text(pause, "5")
    app.set_text(pause, "2")


def check_colours(app, frame):
    # The window is painted in the window colour, the pause field in the
    # (lighter) field colour; the bare Xvfb screen around them is black.
    shot = gui.screenshot("discwright")
    x, y, w, h = gui.extents(frame)
    background = shot.pixel(x + w // 2, y + h - 30)
    field = shot.pixel(*gui.centre(app.find("text", "Pause")))
    outside = shot.pixel(min(shot.width - 1, x + w + 20), min(shot.height - 1, y + h + 20))
    expect(outside == (0, 0, 0), "the screen outside the window is %s, not black" % (outside,), app)
    expect(background != outside and min(background) > 160,
           "the window background is %s (screenshot %s)" % (background, shot.path), app)
    expect(sum(field) > sum(background),
           "the pause field %s is not lighter than the window %s (screenshot %s)" % (field, background, shot.path),
           app)


def check_delete_without_selection(app):
    app.press("push button", "Delete")
    alert = app.window("Discwright")
    app.find("label", "Please Click A File You Wish To Delete From Queue", within=alert)
    app.press("push button", "OK", within=alert)
    app.absent("push button", "OK")


def add_through_browse(app, path):
    app.press("push button", "Browse")
    chooser = app.window("Discwright")
    # The last editable text of the file chooser is its file name field;
    # a full path there opens that file.
    fields = [t for t in app.find_all("text", within=chooser) if "editable" in gui.states_of(t)]
    expect(fields, "the file chooser has no file name field", app)
    app.set_text(fields[-1], path)
    app.press("push button", re.compile(r"^&?Open$"), within=chooser)
    app.absent("push button", re.compile(r"^&?Open$"))


def check_queue(app, first, second):
    tracks = app.find("label", "Tracks")  # beside "Total Tracks:", the count before any file
    expect("editable" not in gui.states_of(tracks), "Total Tracks can be edited", app)
    add_through_browse(app, first)
    gui.wait_until(lambda: gui.text_of(tracks) == "1", what="Total Tracks to show 1", dump=app.dump)
    add_through_browse(app, second)
    gui.wait_until(lambda: gui.text_of(tracks) == "2", what="Total Tracks to show 2", dump=app.dump)
    app.find("list item", "Audio Track 01 (%s)  00:03" % os.path.basename(first))
    app.find("list item", "Audio Track 02 (%s)  00:02" % os.path.basename(second))
    app.find("label", "Time In Queue: 00:05")

    # Deleting the first entry renumbers the one left.
    app.select_item(app.find("list", ""), name=re.compile(re.escape(os.path.basename(first))))
    app.press("push button", "Delete")
    app.find("label", "Time In Queue: 00:02")
    gui.wait_until(lambda: gui.text_of(tracks) == "1", what="Total Tracks to show 1", dump=app.dump)
    app.find("list item", "Audio Track 01 (%s)  00:02" % os.path.basename(second))
    expect(not app.find_all("list item", re.compile(re.escape(os.path.basename(first)))),
           "the deleted track is still listed", app)


def check_started_with_files(program, first, second):
    # Given on the command line, the files are queued as if dropped: each
    # listed by its file name, in the order given.
    with gui.App([program, second, first], name="discwright") as app:
        frame = app.window(TITLE)
        app.find("list item", "Audio Track 01 (%s)  00:02" % os.path.basename(second), within=frame)
        app.find("list item", "Audio Track 02 (%s)  00:03" % os.path.basename(first), within=frame)
        app.find("label", "Time In Queue: 00:05")
        # Total Tracks counts them (the label's name is its text).
        app.find("label", "2", within=frame)
        expect(len(app.find_all("list item", re.compile(r"^Audio Track "), within=frame)) == 2,
               "more than the two files are queued", app)
        app.close_window(TITLE)
        status = app.wait_exit(10)
        expect(status == 0, "discwright ended with status %s\n%s" % (status, app.output()), app)


def test():
    build = os.environ.get("TONQUILL_BUILD_DIR")
    program = os.path.join(build or "", "app", "discwright")
    if not build or not os.access(program, os.X_OK):
        raise GuiError("no discwright program at %r (set TONQUILL_BUILD_DIR)" % program)
    first = os.path.join(os.environ["HOME"], "three seconds.wav")
    second = os.path.join(os.environ["HOME"], "two.wav")
    make_wav(first, 3)
    make_wav(second, 2)
    with gui.App([program], name="discwright") as app:
        frame = check_window(app)
        check_icon(app)
        check_pause_field(app)
        check_colours(app, frame)
        check_delete_without_selection(app)
        check_queue(app, first, second)
        app.close_window(TITLE)
        status = app.wait_exit(10)
        expect(status == 0, "discwright ended with status %s\n%s" % (status, app.output()), app)
    check_started_with_files(program, first, second)


if __name__ == "__main__":
    gui.run(test)
