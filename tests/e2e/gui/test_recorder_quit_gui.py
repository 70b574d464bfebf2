"""Ending the recorder with the control panel open, on a desktop without a
web browser. Closing the panel while it records asks first: left alone the
question answers No and the recording goes on; Yes closes and tags the file
and ends the program (window close and File > Exit alike). A termination
signal while a message box, the add-station dialog or the save-preset
dialog is open ends the program with status 0, the file tagged and the
station list written. Help shows the guide in the program's own window, and
"Tonquill on the Web" shows the address it could not open. A notice on
screen (a station list line too long) does not keep the panel's close from
ending the program."""

import os
import re
import signal
import time

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import Station, has_tag, mp3_files, newest, size_of, tonquill, tonquill_env

QUESTION = "Are You Sure You Want To Quit?"

# The question, with the seconds left until it answers No by itself.
COUNTDOWN = re.compile(r"^We are recording! Are you sure you wish to quit\? \(No in [0-5] s\)$")


def prepare(work, name, station):
    """A working folder whose station list holds the test station and a
    station that does not answer, and a home whose stored save folder is
    the recordings folder."""
    base = os.path.join(work, name)
    folder = os.path.join(base, "recordings") + "/"
    cwd = os.path.join(base, "cwd")
    home = os.path.join(base, "home")
    for path in (folder, cwd, home):
        os.makedirs(path)
    lines = ["Quit Station", station.playlist(), "Silent Station", "http://127.0.0.1:1/silent.pls"]
    with open(os.path.join(cwd, "Playlist.txt"), "w", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))
    with open(os.path.join(home, "Tonquill-user.ini"), "w") as f:
        f.write("[Registration]\nMP3Path=%s\nCapture=2\n" % folder)
    return folder, cwd, home, lines


def start_recording(app, panel, folder):
    item = app.find(name="Quit Station", within=app.find(name="Stations", within=panel))
    app.double_click(item)
    record = app.find("push button", "Record", within=panel)
    gui.wait_until(lambda: "enabled" in gui.states_of(record), 20, "Record to be enabled", dump=app.dump)
    gui.do_action(record, ("press", "click"))
    # A file without audio yet is removed when the program ends: wait for audio.
    gui.wait_until(lambda: any(size_of(folder, n) > 0 for n in mp3_files(folder)), 30, "a recording file",
                   dump=app.dump)
    app.find("label", re.compile(r"^Now Recording: "), timeout=20)


def all_tagged(folder):
    names = mp3_files(folder)
    return names and all(has_tag(folder, n) and size_of(folder, n) > 128 for n in names)


def station_list(cwd):
    with open(os.path.join(cwd, "Playlist.txt"), "rb") as f:
        return f.read()


def closing_asks(work, station):
    folder, cwd, home, _ = prepare(work, "close", station)
    with gui.App([tonquill()], name="tonquill-close", env=tonquill_env(home), cwd=cwd) as app:
        panel = app.window("Tonquill v2.01", timeout=60)
        start_recording(app, panel, folder)

        # The window's close: the question, which answers No by itself.
        app.close_window("Tonquill v2.01")
        dialog = app.window(QUESTION, timeout=10)
        app.find("label", COUNTDOWN, within=dialog)
        growing = newest(folder)
        before = size_of(folder, growing)
        app.absent(name=QUESTION, timeout=15)
        gui.wait_until(lambda: newest(folder) != growing or size_of(folder, growing) > before, 15,
                       "the recording to go on", dump=app.dump)
        app.window("Tonquill v2.01")
        if app.process.poll() is not None:
            raise GuiError("the program ended after No")

        # File > Exit asks too; Yes closes and tags the file and ends.
        app.activate_menu("File", "Exit")
        dialog = app.window(QUESTION, timeout=10)
        app.press("push button", "Yes")
        code = app.wait_exit(15)
        if code != 0:
            raise GuiError("tonquill ended with status %s\n%s" % (code, app.output()))
    if not all_tagged(folder):
        raise GuiError("files left untagged or empty: %s" % mp3_files(folder))


def open_message_box(app, panel):
    app.double_click(app.find(name="Silent Station", within=app.find(name="Stations", within=panel)))
    app.find("alert", None, timeout=20)


def open_add_station(app, panel):
    app.press("push button", "Add Station")
    app.window("Add Station", timeout=10)


def open_save_preset(app, panel):
    save = app.find("push button", "Save Preset File", within=panel)
    gui.do_action(save, ("press", "click"))
    app.window("Save Preset File", timeout=10)


def signal_with_dialog(work, station, name, open_dialog):
    folder, cwd, home, lines = prepare(work, "signal-" + name, station)
    with gui.App([tonquill()], name="tonquill-" + name, env=tonquill_env(home), cwd=cwd) as app:
        panel = app.window("Tonquill v2.01", timeout=60)
        start_recording(app, panel, folder)
        open_dialog(app, panel)
        os.kill(app.pid, signal.SIGTERM)
        code = app.wait_exit(15)
        output = app.output()
    if code != 0:
        raise GuiError("with the %s open, SIGTERM ended tonquill with status %s\n%s" % (name, code, output))
    if not all_tagged(folder):
        raise GuiError("with the %s open: files left untagged or empty: %s" % (name, mp3_files(folder)))
    if station_list(cwd) != "".join(line + "\r\n" for line in lines).encode():
        raise GuiError("with the %s open the station list was written as %r" % (name, station_list(cwd)))


def closing_over_a_notice(work, station):
    """A station list with a 10 MB line: the panel says it was shortened, and
    closing the panel with that notice still on screen ends the program."""
    folder, cwd, home, lines = prepare(work, "notice", station)
    with open(os.path.join(cwd, "Playlist.txt"), "w", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines) + "Long Station\r\nhttp://127.0.0.1/" + "x" * (10 << 20) + "\r\n")
    with gui.App([tonquill()], name="tonquill-notice", env=tonquill_env(home), cwd=cwd) as app:
        app.window("Tonquill v2.01", timeout=60)
        alert = app.find("alert", None, timeout=20)
        shown = " ".join(gui.name_of(a) + " " + gui.text_of(a) for a, _ in gui.walk(alert))
        if "shortened" not in shown:
            raise GuiError("the notice does not say the line was shortened:\n" + app.dump())
        app.close_window("Tonquill v2.01")
        code = app.wait_exit(20)
        if code != 0:
            raise GuiError("tonquill ended with status %s" % code)


def help_without_browser(work, station):
    folder, cwd, home, _ = prepare(work, "help", station)
    with gui.App([tonquill()], name="tonquill-help", env=tonquill_env(home), cwd=cwd) as app:
        panel = app.window("Tonquill v2.01", timeout=60)
        app.press("push button", "Help")
        help_window = app.window("Tonquill Help", timeout=15)
        guide = app.find(name="User's guide", within=help_window)
        gui.wait_until(lambda: "records internet radio" in gui.text_of(guide), 10, "the guide's text",
                       dump=app.dump)

        app.activate_menu("Help", "Tonquill on the Web")
        alert = app.find("alert", None, timeout=20)
        shown = " ".join(gui.name_of(a) + " " + gui.text_of(a) for a, _ in gui.walk(alert))
        if "No program could open the web address" not in shown or "https://" not in shown:
            raise GuiError("the message does not show the address:\n" + app.dump())
        app.press("push button", "OK")
        app.absent("alert", None, timeout=10)
        app.activate_menu("File", "Exit")
        code = app.wait_exit(15)
        if code != 0:
            raise GuiError("tonquill ended with status %s" % code)


def main():
    gui.require_tool("xdotool")
    work = gui.artifacts_dir()
    with Station(song_seconds=3, name="Quit Station") as station:
        closing_asks(work, station)
        signal_with_dialog(work, station, "message box", open_message_box)
        signal_with_dialog(work, station, "add-station dialog", open_add_station)
        signal_with_dialog(work, station, "save-preset dialog", open_save_preset)
        help_without_browser(work, station)
        closing_over_a_notice(work, station)


if __name__ == "__main__":
    gui.run(main)
