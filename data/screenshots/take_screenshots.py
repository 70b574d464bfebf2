"""Takes the screenshots the AppStream metadata lists, from the programs
themselves on a private Xvfb display (run through scripts/screenshots.sh):
the control panel with its recording display docked below it, the directory
search window, and Discwright. Each picture is the union of the windows it
shows, cut from the screen and written as PNG into SCREENSHOT_DIR."""

import os
import re
import subprocess

import atspi_driver as gui

OUT = os.environ["SCREENSHOT_DIR"]
BUILD = os.environ["TONQUILL_BUILD_DIR"]


def shoot(name, *windows):
    boxes = [gui.extents(w) for w in windows]
    left, top = min(b[0] for b in boxes), min(b[1] for b in boxes)
    right = max(b[0] + b[2] for b in boxes)
    bottom = max(b[1] + b[3] for b in boxes)
    shot = gui.screenshot(name)
    subprocess.run(["convert", shot.path, "-crop",
                    "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage", "-strip",
                    "-define", "png:exclude-chunks=date,time", os.path.join(OUT, name + ".png")],
                   check=True, timeout=30)


def main():
    gui.require_tool("convert")
    work = gui.artifacts_dir()
    home, cwd = os.path.join(work, "home"), os.path.join(work, "cwd")
    os.makedirs(home)
    os.makedirs(cwd)
    stations = ["Harbour Jazz", "http://127.0.0.1:1/jazz.pls", "Night Owl Talk", "http://127.0.0.1:1/talk.m3u",
                "Coastline FM", "http://127.0.0.1:1/coast.pls"]
    with open(os.path.join(cwd, "Playlist.txt"), "w", newline="") as f:
        f.write("".join(line + "\r\n" for line in stations))
    env = {"TONQUILL_HOME": home, "TONQUILL_HEADLESS": "0"}
    with gui.App([os.path.join(BUILD, "app", "tonquill")], name="tonquill", env=env, cwd=cwd) as app:
        panel = app.window(re.compile(r"^Tonquill v"), timeout=60)
        display = app.window("Tonquill")
        shoot("tonquill-panel", panel, display)
        app.activate_menu("Search", "Shoutcast Search")
        search = app.window("ShoutCast Searcher")
        shoot("tonquill-search", search)
    with gui.App([os.path.join(BUILD, "app", "discwright")], name="discwright") as app:
        shoot("discwright", app.window(" Discwright "))


if __name__ == "__main__":
    gui.run(main)
