"""The control panel as a new user meets it: `tonquill` with no arguments in
a folder whose Playlist.txt lists the local test station. Double-clicking
the station fetches its playlist and title; with a save folder set and a
timed recording chosen, Record writes song files; Operation > Stop closes
and tags them; closing the window ends the program and rewrites the station
list; the next start restores every option."""

import os
import re
import subprocess
import shutil

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import Station, has_tag, mp3_files, tonquill, tonquill_env


def press_key(*keys):
    subprocess.run([shutil.which("xdotool"), "key"] + list(keys), check=True, timeout=10)


def main():
    gui.require_tool("xdotool")
    work = gui.artifacts_dir()
    folder = os.path.join(work, "recordings") + "/"
    os.makedirs(folder)
    cwd = os.path.join(work, "cwd")
    os.makedirs(cwd)
    home = os.path.join(work, "home")
    with Station(song_seconds=3, name="Panel Station") as station:
        playlist = os.path.join(cwd, "Playlist.txt")
        stations = ["Panel Station", station.playlist(), "Second Station", "http://127.0.0.1:1/other.m3u"]
        with open(playlist, "w", newline="") as f:
            f.write("".join(line + "\r\n" for line in stations))

        with gui.App([tonquill()], name="tonquill", env=tonquill_env(home), cwd=cwd) as app:
            def expect(condition, message):
                if not condition:
                    raise GuiError("%s\n%s" % (message, app.dump()))

            panel = app.window("Tonquill v2.01", timeout=20)
            app.window("Tonquill")  # the recording display, docked below
            record = app.find("push button", "Record", within=panel)
            expect("enabled" not in gui.states_of(record), "Record is enabled before a station is chosen")

            # Pick the station: its playlist is fetched and its title filled in.
            stations_list = app.find(name="Stations", within=panel)
            item = app.find(name="Panel Station", within=stations_list)
            app.double_click(item)

            # The options: a save folder and a timed recording of 5 minutes.
            app.press("push button", "Other Options")
            title = app.find("text", "Title:")
            gui.wait_until(lambda: gui.text_of(title) != "", 15, "the station's title")
            path = app.find("text", "Save MP3s to:")
            app.set_text(path, folder.rstrip("/"))
            path.queryComponent().grabFocus()
            press_key("Return")
            gui.wait_until(lambda: gui.text_of(path) == folder, 5, "the folder to be accepted")
            app.press("push button", "Advanced Options")
            timed = app.find("check box", "Timed Recording")
            if "checked" not in gui.states_of(timed):
                gui.do_action(timed, ("click", "press", "toggle"))
            minutes = app.find("text", "Time of Recording (in minutes):")
            minutes.queryComponent().grabFocus()
            app.set_text(minutes, "5")
            press_key("Tab")  # the spinner takes its value as the focus leaves it

            # Record: song files appear.
            app.press("push button", "Main Control Panel")
            gui.wait_until(lambda: "enabled" in gui.states_of(record), 10, "Record to be enabled")
            gui.do_action(record, ("press", "click"))
            gui.wait_until(lambda: len(mp3_files(folder)) >= 3, 40, "three recording files")
            app.find("label", re.compile(r"^Now Recording: "))

            # Stop from the menu: every file is closed and tagged.
            app.activate_menu("Operation", "Stop")
            app.find("label", "STOPPED", timeout=10)
            names = mp3_files(folder)
            untagged = [n for n in names if not has_tag(folder, n)]
            expect(not untagged, "files without a tag: %s" % untagged)

            app.activate_menu("File", "Exit")
            code = app.wait_exit(15)
            expect(code == 0, "tonquill ended with status %s" % code)

        with open(playlist, "rb") as f:
            written = f.read()
        if written != "".join(line + "\r\n" for line in stations).encode():
            raise GuiError("Playlist.txt was rewritten as %r" % written)

        # The next start restores the options.
        with gui.App([tonquill()], name="tonquill-again", env=tonquill_env(home), cwd=cwd) as app:
            app.window("Tonquill v2.01", timeout=20)
            app.press("push button", "Other Options")
            path = app.find("text", "Save MP3s to:")
            if gui.text_of(path) != folder:
                raise GuiError("the save folder came back as %r\n%s" % (gui.text_of(path), app.dump()))
            if "checked" not in gui.states_of(app.find("radio button", "Capture as stream titles")):
                raise GuiError("the capture mode was not restored\n" + app.dump())
            app.press("push button", "Advanced Options")
            if "checked" not in gui.states_of(app.find("check box", "Timed Recording")):
                raise GuiError("Timed Recording was not restored\n" + app.dump())
            minutes = app.find("text", "Time of Recording (in minutes):")
            if gui.text_of(minutes) != "5":
                raise GuiError("the minutes came back as %r\n%s" % (gui.text_of(minutes), app.dump()))
            app.activate_menu("File", "Exit")
            app.wait_exit(15)


if __name__ == "__main__":
    main()
