"""The recorder on a desktop with a notification area (trayer): a preset
records with only the icon showing, no window opens by itself, and the
icon's menu (opened with the right button) stops the recording, tags the file and ends the program.
When the tray's host goes away the display takes over; SIGTERM ends the
program with the file tagged."""

import os
import re
import shutil
import signal
import subprocess

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import Station, has_tag, mp3_files, newest, tonquill, tonquill_env, write_preset


def tray_icon_position(pid_hint="tonquill"):
    """The centre of the recorder's icon inside the tray, from the X window tree."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True, timeout=10).stdout
    in_tray = False
    for line in tree.splitlines():
        if '("panel" "trayer")' in line:
            in_tray = True
            continue
        if in_tray and '("%s" "Tonquill")' % pid_hint in line:
            m = re.search(r"(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)", line)
            if m:
                w, h, x, y = map(int, m.groups())
                return x + w // 2, y + h // 2
    return None


def tray_is_up():
    """True once trayer's panel window is in the X window tree."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True, timeout=10).stdout
    return '("panel" "trayer")' in tree


def main():
    for tool in ("trayer", "xwininfo", "xdotool"):
        gui.require_tool(tool)
    work = gui.artifacts_dir()
    folder = os.path.join(work, "recordings") + "/"
    os.makedirs(folder)
    with Station() as station, gui.App(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
             "--height", "24"], name="trayer"):
        # The notification area is up before the recorder starts: one that
        # is missing then makes the display the control surface.
        gui.wait_until(tray_is_up, 30, "trayer's notification area")
        preset = os.path.join(work, "station.tvp")
        write_preset(preset, "GUI Test Station", station.playlist(), folder)
        with gui.App([tonquill(), preset], name="tonquill", env=tonquill_env(os.path.join(work, "home"))) as app:
            def expect(condition, message):
                if not condition:
                    raise GuiError("%s\n%s" % (message, app.dump()))

            gui.wait_until(lambda: len(mp3_files(folder)) >= 2, 30, "recording files")
            icon = gui.wait_until(tray_icon_position, 60, "the recorder's icon in the tray")
            # The recording runs without a window of its own.
            expect(not app.find_all(role="window") and not app.find_all(role="frame"),
                   "a window opened by itself")

            # The icon's menu: stop and exit.
            subprocess.run([shutil.which("xdotool"), "mousemove", "--sync", str(icon[0]), str(icon[1])],
                           check=True, timeout=10)
            subprocess.run([shutil.which("xdotool"), "click", "3"], check=True, timeout=10)
            # Pop-up menus are not in the accessibility tree (Qt leaves them
            # out); the menu is worked with the keyboard as a user may: Up
            # wraps to its last item, "Stop Recording and Exit".
            gui.wait_until(lambda: gui.colour_close(gui.screenshot("menu").pixel(icon[0] - 40, icon[1] + 30),
                                                    (239, 239, 239), 40), 10, "the icon's menu to open")
            subprocess.run([shutil.which("xdotool"), "key", "Up", "Return"], check=True, timeout=10)
            code = app.wait_exit(15)
            expect(code == 0, "tonquill ended with status %s" % code)
            last = newest(folder)
            expect(has_tag(folder, last), "%s has no ID3v1 tag" % last)


def tray_lost():
    """The notification area's host ends while the recorder runs: the
    recorder goes on, its display takes over, and SIGTERM ends it with the
    file closed and tagged."""
    work = gui.artifacts_dir()
    folder = os.path.join(work, "recordings-2") + "/"
    os.makedirs(folder)
    with Station() as station:
        tray = gui.App(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                        "--height", "24"], name="trayer-2")
        preset = os.path.join(work, "station-2.tvp")
        write_preset(preset, "GUI Test Station", station.playlist(), folder)
        with tray, gui.App([tonquill(), preset], name="tonquill-2",
                           env=tonquill_env(os.path.join(work, "home-2"))) as app:
            # The tray may take its selection after the recorder loaded: the
            # icon is added when it does.
            try:
                gui.wait_until(tray_icon_position, 60, "the recorder's icon in the tray")
            except GuiError as e:
                raise GuiError("%s\n%s" % (e, app.output()))
            gui.wait_until(lambda: mp3_files(folder), 30, "a recording file")
            tray.kill()
            app.window("Tonquill", timeout=15)
            app.find("label", re.compile(r"^Now Recording: "), timeout=10)
            app.process.send_signal(signal.SIGTERM)
            code = app.wait_exit(15)
            if code != 0:
                raise GuiError("tonquill ended with status %s after SIGTERM\n%s" % (code, app.output()))
            last = newest(folder)
            if not has_tag(folder, last):
                raise GuiError("%s has no ID3v1 tag after SIGTERM" % last)


if __name__ == "__main__":
    main()
    tray_lost()
