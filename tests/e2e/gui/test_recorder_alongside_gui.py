"""Two stations at once from the control panel: the first is recorded with
Record, the second with Operation > Record Alongside. The Recordings page
lists both; the media controls follow the row in focus (the last started,
then the one selected); Stop on the first row ends that recording (its file closed and
tagged) while the second goes on, its file growing. The first station is
then watched (Operation > Watch): its row says "watching", and "Save the
Last Minutes" on it writes what it kept. Exiting asks once; Yes closes and
tags every file."""

import os
import re

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import Station, has_tag, mp3_files, playerctl, size_of, tonquill, tonquill_env

QUESTION = "Are You Sure You Want To Quit?"


def files_of(folder, prefix):
    return [n for n in mp3_files(folder) if n.startswith(prefix)]


def newest_of(folder, prefix):
    names = files_of(folder, prefix)
    if not names:
        return None
    return max(names, key=lambda n: os.path.getmtime(os.path.join(folder, n)))


def main():
    gui.require_tool("xdotool")
    gui.require_tool("playerctl")
    work = gui.artifacts_dir()
    folder = os.path.join(work, "recordings") + "/"
    cwd = os.path.join(work, "cwd")
    home = os.path.join(work, "home")
    for path in (folder, cwd, home):
        os.makedirs(path)
    north_titles = ["North - One", "North - Two", "North - Three"]
    south_titles = ["South - One", "South - Two", "South - Three"]
    with Station(song_seconds=2, name="North Station", titles=north_titles, log="north.out") as north, \
            Station(song_seconds=2, name="South Station", titles=south_titles, log="south.out") as south:
        lines = ["North Station", north.playlist(), "South Station", south.playlist()]
        with open(os.path.join(cwd, "Playlist.txt"), "w", newline="") as f:
            f.write("".join(line + "\r\n" for line in lines))
        # Both share the one recording folder.
        with open(os.path.join(home, "Tonquill-user.ini"), "w") as f:
            f.write("[Registration]\nMP3Path=%s\nCapture=2\n" % folder)

        with gui.App([tonquill()], name="tonquill", env=tonquill_env(home), cwd=cwd) as app:
            def expect(condition, message):
                if not condition:
                    raise GuiError("%s\n%s" % (message, app.dump()))

            panel = app.window("Tonquill v2.01", timeout=60)
            stations = app.find(name="Stations", within=panel)
            record = app.find("push button", "Record", within=panel)

            app.double_click(app.find(name="North Station", within=stations))
            gui.wait_until(lambda: "enabled" in gui.states_of(record), 20, "Record to be enabled", dump=app.dump)
            gui.do_action(record, ("press", "click"))
            gui.wait_until(lambda: any(size_of(folder, n) > 0 for n in files_of(folder, "North")), 30,
                           "a file of North Station", dump=app.dump)

            # The second station beside the first; a fetch may still run
            # when the menu is first chosen, so it is chosen again (bounded).
            app.double_click(app.find(name="South Station", within=stations))
            for attempt in range(4):
                app.activate_menu("Operation", "Record Alongside")
                try:
                    gui.wait_until(lambda: any(size_of(folder, n) > 0 for n in files_of(folder, "South")), 8,
                                   "a file of South Station")
                    break
                except GuiError:
                    if attempt == 3:
                        raise GuiError("South Station did not start\n" + app.dump())

            app.press("push button", "Recordings", within=panel)
            table = app.find(name="Recordings", within=panel)
            # A row is named by the title the station's playlist gives.
            north_row = app.find("table cell", re.compile(r"North Station$"), within=table)
            app.find("table cell", re.compile(r"South Station$"), within=table)
            expect(len(app.find_all(name=re.compile(r"^recording$"), within=table)) == 2,
                   "both rows should say recording")

            # The media controls show the recording in focus: the last one
            # started, then the row selected (named as the station names
            # its stream: "(#1 - 1/1) South Station").
            seen = []
            def album_is(station):
                seen.append(playerctl("metadata", "xesam:album"))
                return (seen[-1] or "").endswith(") " + station)
            gui.wait_until(lambda: album_is("South Station"), 10, "the media controls to show South Station",
                           dump=lambda: "seen: %s" % seen[-3:])
            gui.click_at(*gui.centre(north_row))
            gui.wait_until(lambda: album_is("North Station"), 10, "the media controls to follow the selected row",
                           dump=lambda: "seen: %s" % seen[-3:])
            expect(playerctl("status") == "Playing", "the focused recording is not Playing: %s" % playerctl("status"))

            # Stop the first row: its file is closed and tagged; the other goes on.
            app.press("push button", "Stop", within=panel)
            gui.wait_until(lambda: app.find_all(name="stopped", within=table), 10, "the first row to stop",
                           dump=app.dump)
            last_north = newest_of(folder, "North")
            gui.wait_until(lambda: has_tag(folder, last_north), 10, "North's file to be tagged", dump=app.dump)
            growing = newest_of(folder, "South")
            before = size_of(folder, growing)
            gui.wait_until(lambda: newest_of(folder, "South") != growing or size_of(folder, growing) > before, 15,
                           "South's recording to go on", dump=app.dump)
            north_size = size_of(folder, last_north)
            expect(newest_of(folder, "North") == last_north and size_of(folder, last_north) == north_size,
                   "North went on after Stop")

            # Watching the first station writes nothing until its last minutes are saved.
            north_songs = lambda: [n for n in files_of(folder, "North") if not n.endswith("last 5 minutes.mp3")]
            songs_before = north_songs()
            app.press("push button", "Main Control Panel", within=panel)
            app.double_click(app.find(name="North Station", within=stations))
            for attempt in range(4):
                app.activate_menu("Operation", "Watch")
                app.press("push button", "Recordings", within=panel)
                try:
                    gui.wait_until(lambda: app.find_all(name="watching", within=table), 8, "a watching row")
                    break
                except GuiError:
                    if attempt == 3:
                        raise GuiError("North Station was not watched\n" + app.dump())
                    app.press("push button", "Main Control Panel", within=panel)
            gui.click_at(*gui.centre(app.find("table cell", "watching", within=table)))
            kept = lambda: [n for n in mp3_files(folder) if n.endswith("last 5 minutes.mp3") and size_of(folder, n) > 0]
            for attempt in range(5):
                app.press("push button", "Save the Last Minutes", within=panel)
                try:
                    gui.wait_until(kept, 4, "the last minutes saved")
                    break
                except GuiError:
                    if attempt == 4:  # nothing heard yet is said in a message box
                        raise GuiError("the last minutes were not saved\n" + app.dump())
                    for box in app.find_all("push button", "OK"):
                        gui.do_action(box, ("press", "click"))
            expect("North Station - " in kept()[0], "the saved minutes are named by the station: %s" % kept())
            # The watched row shows the title playing.
            gui.wait_until(lambda: app.find_all("table cell", re.compile(r"^North - "), within=table), 10,
                           "the watched row's title", dump=app.dump)
            expect(north_songs() == songs_before, "a watched station wrote a song nobody wished")

            # Exit asks once, for the recording that runs; Yes ends every one.
            app.activate_menu("File", "Exit")
            app.window(QUESTION, timeout=10)
            app.press("push button", "Yes")
            code = app.wait_exit(15)
            expect(code == 0, "tonquill ended with status %s" % code)

    untagged = [n for n in mp3_files(folder) if not n.endswith("last 5 minutes.mp3") and
                (not has_tag(folder, n) or size_of(folder, n) <= 128)]
    if untagged or not files_of(folder, "North") or not files_of(folder, "South"):
        raise GuiError("files left untagged or missing: %s" % mp3_files(folder))


if __name__ == "__main__":
    main()
