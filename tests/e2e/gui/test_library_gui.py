"""The Recordings window as a user meets it: two songs recorded from the
test station, the window opened with tonquill --open-library (in the
Tonquill that records), both songs found in it, one played (the player's
button says Pause), the other moved to the trash and gone from the list and
its folder."""

import contextlib
import os
import re
import subprocess

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import Station, mp3_files, tonquill, tonquill_env, work_folder, write_preset

TITLES = ["Library Band - First Song", "Library Band - Second Song", "Library Band - Third Song"]


@contextlib.contextmanager
def sound_server():
    """A PulseAudio server of this run with a sink that plays into nothing:
    the player needs an audio device to play at all."""
    pulseaudio, pactl = gui.require_tool("pulseaudio"), gui.require_tool("pactl")
    log = open(os.path.join(gui.artifacts_dir(), "pulseaudio.log"), "w")
    server = subprocess.Popen([pulseaudio, "--daemonize=no", "--exit-idle-time=-1", "-n", "--disallow-exit",
                               "--load=module-native-protocol-unix", "--load=module-null-sink sink_name=nowhere",
                               "--load=module-always-sink"],
                              stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    try:
        gui.wait_until(lambda: server.poll() is None and subprocess.run(
            [pactl, "info"], capture_output=True, timeout=10).returncode == 0, 30, "the sound server")
        yield
    finally:
        server.terminate()
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.kill()
        log.close()


def main():
    folder = work_folder("recordings") + "/"
    home = work_folder("home")
    env = tonquill_env(home)
    with sound_server(), Station(song_seconds=8, titles=TITLES) as station:
        preset = os.path.join(gui.artifacts_dir(), "station.tvp")
        write_preset(preset, "GUI Test Station", station.playlist(), folder)
        with gui.App([tonquill(), preset], name="tonquill", env=env) as app:
            def expect(condition, message):
                if not condition:
                    raise GuiError("%s\n%s" % (message, app.dump()))

            # Two songs whole: the station's first title is cut into, the
            # next two are recorded from their start, a fourth file begun.
            songs = ("Library Band - Second Song.mp3", "Library Band - Third Song.mp3")
            gui.wait_until(lambda: all(s in mp3_files(folder) for s in songs) and len(mp3_files(folder)) >= 4,
                           120, "two whole songs recorded", dump=app.dump)

            opened = subprocess.run([tonquill(), "--open-library"], env=dict(os.environ, **env),
                                    capture_output=True, text=True, timeout=30)
            expect(opened.returncode == 0, "tonquill --open-library ended with %s: %s" % (opened.returncode,
                                                                                        opened.stderr))
            window = app.window("Recordings", timeout=20)
            table = app.find("table", "Recordings", within=window)
            for title in ("Second Song", "Third Song"):
                app.find("table cell", title, within=table, timeout=30)
            # The search narrows the list to one of them.
            search = app.find("text", "Search the recordings", within=window)
            app.set_text(search, "third")
            app.absent("table cell", "Second Song", within=table, timeout=15)
            app.set_text(search, "")
            app.find("table cell", "Second Song", within=table, timeout=15)

            # Play: the player says it plays by offering Pause.
            app.select_item(table, name="Second Song")
            app.press("push button", "Play", within=window)
            refused = re.compile("cannot be played")
            gui.wait_until(lambda: app.find_all("push button", "Pause", within=window)
                           or app.find_all("label", refused, within=window),
                           20, "the player to play", dump=app.dump)
            expect(app.find_all("push button", "Pause", within=window),
                   "the song does not play\n%s" % app.output())
            # The time played beside the length of the song (8 seconds).
            app.find("label", re.compile(r"^0:0\d / 0:0[6-9]$"), within=window, timeout=10)

            # Move to Trash: the row goes, the file leaves its folder for
            # the desktop's trash.
            app.select_item(table, name="Third Song")
            app.press("push button", "Move to Trash", within=window)
            app.absent("table cell", "Third Song", within=table, timeout=15)
            expect(songs[1] not in mp3_files(folder), "%s is still in its folder" % songs[1])
            data = os.environ.get("XDG_DATA_HOME") or os.path.join(os.environ["HOME"], ".local", "share")
            trash = os.path.join(data, "Trash", "files")
            expect(songs[1] in os.listdir(trash) if os.path.isdir(trash) else False,
                   "%s is not in the trash %s" % (songs[1], trash))
            app.find("table cell", "Second Song", within=table)


if __name__ == "__main__":
    gui.run(main)
