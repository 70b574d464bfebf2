"""A new user's first start: a home folder without ~/Music. Double-clicking
the local test station fetches its playlist, makes ~/Music as the folder
for the recordings and enables Record, which records there. A folder the
user chose and that is gone by the next start is not replaced in silence:
the Other page opens with the save box and a line naming the folder, and
Record waits until a folder is chosen."""

import os
import re

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import Station, has_tag, mp3_files, tonquill, tonquill_env
from test_recorder_panel_gui import press_key


def expecter(app):
    def expect(condition, message):
        if not condition:
            raise GuiError("%s\n%s" % (message, app.dump()))
    return expect


def pick_station(app, expect):
    """Double-clicks the station while Record is still disabled; gives Record."""
    panel = app.window("Tonquill v2.01", timeout=60)
    record = app.find("push button", "Record", within=panel)
    expect("enabled" not in gui.states_of(record), "Record is enabled before a station is chosen")
    app.double_click(app.find(name="First Station", within=app.find(name="Stations", within=panel)))
    return record


def main():
    gui.require_tool("xdotool")
    work = gui.artifacts_dir()
    music = os.path.join(os.environ["HOME"], "Music")
    if os.path.exists(music):
        raise GuiError("the fresh home already has %s" % music)
    cwd = os.path.join(work, "cwd")
    os.makedirs(cwd)
    settings = os.path.join(work, "tonquill")
    chosen = os.path.join(work, "chosen") + "/"
    os.makedirs(chosen)
    with Station(song_seconds=3, name="First Station") as station:
        with open(os.path.join(cwd, "Playlist.txt"), "w", newline="") as f:
            f.write("First Station\r\n%s\r\n" % station.playlist())

        with gui.App([tonquill()], name="tonquill", env=tonquill_env(settings), cwd=cwd) as app:
            expect = expecter(app)
            record = pick_station(app, expect)
            gui.wait_until(lambda: "enabled" in gui.states_of(record), 15, "Record to be enabled", dump=app.dump)
            expect(os.path.isdir(music), "~/Music was not made")

            gui.do_action(record, ("press", "click"))
            gui.wait_until(lambda: len(mp3_files(music)) >= 2, 40, "recording files in ~/Music", dump=app.dump)
            app.activate_menu("Operation", "Stop")
            app.find("label", "STOPPED", timeout=10)
            untagged = [n for n in mp3_files(music) if not has_tag(music, n)]
            expect(not untagged, "files without a tag: %s" % untagged)

            # The user chooses a folder of their own.
            app.press("push button", "Other Options")
            path = app.find("text", "Save MP3s to:")
            expect(gui.text_of(path) == music + "/", "the save box shows %r" % gui.text_of(path))
            app.set_text(path, chosen)
            path.queryComponent().grabFocus()
            press_key("Return")
            gui.wait_until(lambda: gui.text_of(path) == chosen, 5, "the chosen folder to be accepted")
            app.activate_menu("File", "Exit")
            code = app.wait_exit(15)
            expect(code == 0, "tonquill ended with status %s" % code)

        os.rmdir(chosen)
        with gui.App([tonquill()], name="tonquill-again", env=tonquill_env(settings), cwd=cwd) as app:
            expect = expecter(app)
            record = pick_station(app, expect)
            # The Other page comes up with the line and the save box.
            line = app.find("label", re.compile(r"^The folder .* is missing\."), timeout=15)
            expect(chosen in gui.name_of(line), "the line does not name %s: %r" % (chosen, gui.name_of(line)))
            path = app.find("text", "Save MP3s to:")
            expect("enabled" not in gui.states_of(record), "Record is enabled without a folder")
            expect(not os.path.exists(chosen), "the missing folder was made again")

            # Choosing a folder takes the line away and enables Record.
            app.set_text(path, music)
            path.queryComponent().grabFocus()
            press_key("Return")
            gui.wait_until(lambda: gui.text_of(path) == music + "/", 5, "the folder to be accepted")
            app.absent("label", re.compile(r"is missing"), timeout=5)
            gui.wait_until(lambda: "enabled" in gui.states_of(record), 5, "Record to be enabled", dump=app.dump)
            app.activate_menu("File", "Exit")
            code = app.wait_exit(15)
            expect(code == 0, "tonquill ended with status %s" % code)


if __name__ == "__main__":
    gui.run(main)
