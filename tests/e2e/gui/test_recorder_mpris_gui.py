"""The recorder in the desktop's media controls (MPRIS 2, driven with
playerctl and dbus-send) and its notifications (a stand-in notification
service on the test's session bus): Playing while recording, the song's
title, pause stops the file growing and play resumes it, a burst of
PlayPause toggles each time, volumes out of range are clamped, a saved song
is announced with its title and "Open folder" opens its folder, stop leaves
a tagged file, the menu entry's "Open search" and "Record last preset"
reach the running program, and Quit ends it; "Record last preset" without a
running program starts one on the preset of the last run, and Quit asks
while it records."""

import json
import os
import re
import stat
import subprocess
import urllib.parse

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import (Station, has_tag, mp3_files, newest, playerctl, size_of, steady, tonquill,
                              tonquill_env, work_folder, write_preset)

HERE = os.path.dirname(os.path.abspath(__file__))
PLAYER = "org.mpris.MediaPlayer2.tonquill"


def dbus_send(*args):
    return subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=" + PLAYER, "/org/mpris/MediaPlayer2"] +
                          list(args), capture_output=True, text=True, timeout=10)


def set_volume(value):
    done = dbus_send("org.freedesktop.DBus.Properties.Set", "string:org.mpris.MediaPlayer2.Player", "string:Volume",
                     "variant:double:%s" % value)
    if done.returncode != 0:
        raise GuiError("setting the volume to %s failed: %s" % (value, done.stderr))


def expect(condition, message):
    if not condition:
        raise GuiError(message)


def notices(log):
    try:
        with open(log, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]
    except OSError:
        return []


def main():
    gui.require_tool("playerctl")
    try:
        import dbus  # noqa: F401  (the stand-in notification service's)
        from gi.repository import GLib  # noqa: F401
    except ImportError as e:
        gui.skip("python3-dbus / python3-gi: %s" % e)
    work = gui.artifacts_dir()
    folder = work_folder("recordings") + "/"
    home = work_folder("home")
    with open(os.path.join(home, "Tonquill-user.ini"), "w") as f:
        f.write("[Registration]\nNotifySongs=1\n")
    # xdg-open as the desktop would run it: writes what it was asked to open.
    bin_dir = work_folder("bin")
    opened = os.path.join(work, "opened.txt")
    opener = os.path.join(bin_dir, "xdg-open")
    with open(opener, "w") as f:
        f.write('#!/bin/sh\necho "$1" >> "%s"\n' % opened)
    os.chmod(opener, os.stat(opener).st_mode | stat.S_IEXEC)
    log = os.path.join(work, "notices.jsonl")
    env = dict(tonquill_env(home), PATH=bin_dir + ":" + os.environ["PATH"])
    with Station() as station, gui.App(["/usr/bin/python3", os.path.join(HERE, "fake_notifications.py"), log],
                                       name="notifications"):
        gui.wait_until(lambda: os.path.exists(log) and "READY" in open(log).read(), 20, "the notification service")
        os.remove(log)
        preset = os.path.join(work, "station.tvp")
        write_preset(preset, "GUI Test Station", station.playlist(), folder)
        with gui.App([tonquill(), preset], name="tonquill", env=env) as app:

            gui.wait_until(lambda: playerctl("status") == "Playing", 60, "MPRIS to say Playing")
            expect(playerctl("metadata", "mpris:trackid") is not None, "no track id")
            expect(playerctl("metadata", "xesam:album") == "GUI Test Station", "the album is not the station")

            # The title read through MPRIS is the song's: the file being
            # written is named after it.
            def consistent_title():
                url = playerctl("metadata", "xesam:url")
                shown = playerctl("metadata", "--format", "{{xesam:artist}} - {{xesam:title}}")
                if not url or not shown:
                    return None
                name = os.path.basename(urllib.parse.unquote(url))
                return shown if name == shown + ".mp3" else None

            title = gui.wait_until(consistent_title, 30, "the MPRIS title to be the file's song")
            expect(re.match(r"^.+ - .+$", title), "title %r has no artist" % title)

            # Pause: the file stops growing; play: it grows again.
            expect(playerctl("pause") is not None, "pause failed")
            gui.wait_until(lambda: playerctl("status") == "Paused", 10, "MPRIS to say Paused")
            paused = newest(folder)
            expect(steady(folder, paused, 2.0), "the file grew while paused")
            expect(playerctl("play") is not None, "play failed")
            gui.wait_until(lambda: playerctl("status") == "Playing", 10, "MPRIS to say Playing again")
            before = size_of(folder, newest(folder))
            gui.wait_until(lambda: size_of(folder, newest(folder)) > before, 15, "the recording to grow again")

            # A burst of PlayPause: an even number of toggles leaves it
            # recording, and the recording goes on.
            burst = subprocess.run(["/usr/bin/python3", "-c", (
                "import dbus\n"
                "p = dbus.SessionBus().get_object('%s', '/org/mpris/MediaPlayer2')\n"
                "for i in range(100):\n"
                "    p.PlayPause(dbus_interface='org.mpris.MediaPlayer2.Player')\n") % PLAYER],
                capture_output=True, text=True, timeout=60)
            expect(burst.returncode == 0, "PlayPause burst failed: " + burst.stderr)
            expect(playerctl("status") == "Playing", "after 100 toggles the status is %r" % playerctl("status"))
            before = size_of(folder, newest(folder))
            gui.wait_until(lambda: size_of(folder, newest(folder)) > before, 15, "the recording to go on")

            # Volumes out of range are clamped.
            for asked, kept in (("7.5", 1.0), ("-3", 0.0), ("0.25", 0.25)):
                set_volume(asked)
                gui.wait_until(lambda: playerctl("volume") is not None and abs(float(playerctl("volume")) - kept) < 0.01,
                               10, "the volume to become %s" % kept)

            # A saved song is announced with its title, and its folder opens.
            def saved_notice():
                for n in notices(log):
                    if n["summary"] == "Saved":
                        song, _, name = n["body"].partition("\n")
                        if name in mp3_files(folder) and name == song + ".mp3":
                            return n
                return None

            saved = gui.wait_until(saved_notice, 30, "a saved song's notice")
            # Every song announced is the one in the file it names.
            for n in notices(log):
                song, _, name = n["body"].partition("\n")
                expect(n["summary"] == "Saved" and name in mp3_files(folder), "notice %r" % n)
                expect(" - " not in name or name == song + ".mp3", "notice %r names another song" % n)
            expect(saved["actions"] == ["open-folder", "Open folder"], "actions %r" % saved["actions"])
            invoke = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.Notifications",
                                     "/org/freedesktop/Notifications", "org.freedesktop.Notifications.InvokeAction",
                                     "uint32:%d" % saved["id"], "string:open-folder"],
                                    capture_output=True, text=True, timeout=10)
            expect(invoke.returncode == 0, invoke.stderr)
            gui.wait_until(lambda: os.path.exists(opened) and folder.rstrip("/") in open(opened).read(), 10,
                           "the folder to be opened")

            # The menu entry's "Open search" goes to this program.
            second = subprocess.run([tonquill(), "--open-search"], env=dict(os.environ, **env), capture_output=True,
                                    text=True, timeout=30)
            expect(second.returncode == 0, "tonquill --open-search ended with %s" % second.returncode)
            app.window("ShoutCast Searcher", timeout=15)

            # Stop leaves a tagged file; Quit then ends the program.
            expect(playerctl("stop") is not None, "stop failed")
            gui.wait_until(lambda: playerctl("status") == "Stopped", 10, "MPRIS to say Stopped")
            last = newest(folder)
            expect(has_tag(folder, last), "%s has no ID3v1 tag" % last)
            # "Record last preset" from the menu entry starts it again in this program.
            again = subprocess.run([tonquill(), "--record-last-preset"], env=dict(os.environ, **env),
                                   capture_output=True, text=True, timeout=30)
            expect(again.returncode == 0, "tonquill --record-last-preset ended with %s" % again.returncode)
            gui.wait_until(lambda: playerctl("status") == "Playing", 30, "the last preset to record again")
            expect(playerctl("stop") is not None, "stop failed")
            gui.wait_until(lambda: playerctl("status") == "Stopped", 10, "MPRIS to say Stopped again")
            expect(dbus_send("org.mpris.MediaPlayer2.Quit").returncode == 0, "Quit failed")
            code = app.wait_exit(15)
            expect(code == 0, "tonquill ended with status %s" % code)
            gui.wait_until(lambda: playerctl("status") is None, 10, "the player to leave the bus")

        # Without a running Tonquill, "Record last preset" starts one that
        # records the preset of the last run; Quit asks while it records.
        with gui.App([tonquill(), "--record-last-preset"], name="tonquill-2", env=env) as app:
            gui.wait_until(lambda: playerctl("status") == "Playing", 60, "the new Tonquill to record")
            expect(playerctl("metadata", "xesam:album") == "GUI Test Station", "another preset was recorded")
            expect(dbus_send("org.mpris.MediaPlayer2.Quit").returncode == 0, "Quit failed")
            app.window("Are You Sure You Want To Quit?", timeout=15)
            expect(playerctl("status") == "Playing", "the question stopped the recording")
            app.absent(name="Are You Sure You Want To Quit?", timeout=15)
            expect(playerctl("stop") is not None, "stop failed")
            gui.wait_until(lambda: playerctl("status") == "Stopped", 10, "the new Tonquill to stop")
            expect(dbus_send("org.mpris.MediaPlayer2.Quit").returncode == 0, "Quit failed")
            code = app.wait_exit(15)
            expect(code == 0, "the new tonquill ended with status %s" % code)


if __name__ == "__main__":
    main()
