"""The recorder on a desktop without a notification area: a preset from the
local test station records at once and the recording display is the control
surface. Its lamp is lit, it shows the title, Pause stops the file growing,
the exit button's confirmation answers itself while the recording goes on,
Stop leaves a tagged file, and Exit then ends the program."""

import os
import re
import time

import atspi_driver as gui
from atspi_driver import GuiError
from recorder_station import (Station, has_tag, mp3_files, newest, size_of, steady, tonquill, tonquill_env,
                              write_preset)

# The question, with the seconds left until it answers No by itself.
COUNTDOWN = re.compile(r"^We are recording! Are you sure you wish to quit\? \(No in [0-5] s\)$")


def contrast_on_black(colour):
    """The WCAG contrast ratio of an sRGB colour against black."""
    def linear(v):
        v /= 255.0
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(v) for v in colour)
    return (0.2126 * r + 0.7152 * g + 0.0722 * b + 0.05) / 0.05


def main():
    work = gui.artifacts_dir()
    folder = os.path.join(work, "recordings") + "/"
    os.makedirs(folder)
    with Station() as station:
        preset = os.path.join(work, "station.tvp")
        write_preset(preset, "GUI Test Station", station.playlist(), folder)
        with gui.App([tonquill(), preset], name="tonquill", env=tonquill_env(os.path.join(work, "home"))) as app:
            display = app.window("Tonquill", timeout=60)

            def expect(condition, message):
                if not condition:
                    raise GuiError("%s\n%s" % (message, app.dump()))

            # Recording: the title of the station's song, and a lit lamp.
            title = app.find("label", re.compile(r"^Now Recording: .+ - .+\.mp3"), timeout=30)
            lamp = app.find(name="Recording lamp")
            gui.wait_until(lambda: mp3_files(folder), 20, "a recording file")
            shot = gui.screenshot("recording")
            expect(gui.colour_close(shot.pixel(*gui.centre(lamp)), (255, 0, 0), 2),
                   "the recording lamp is %r, not lit red" % (shot.pixel(*gui.centre(lamp)),))
            app.find("label", "B: 128")
            # Not listening: the lamp is dim red, its caption still readable.
            quiet = app.find(name="Listening lamp")
            expect(gui.colour_close(shot.pixel(*gui.centre(quiet)), (64, 0, 0), 2),
                   "the listening lamp is %r, not dim red" % (shot.pixel(*gui.centre(quiet)),))
            caption = max(contrast_on_black(c) for c in shot.colours_in(gui.extents(app.find("label", "Listening"))))
            expect(caption >= 3, "the unlit caption's contrast on black is only %.2f" % caption)

            # Pause: the file stops growing.
            app.press("push button", "Pause")
            app.find("label", re.compile(r"^PAUSED\.\.\."), timeout=10)
            paused = newest(folder)
            expect(steady(folder, paused, 2.0), "the file grew while paused")
            app.press("push button", "Pause")
            app.find("label", re.compile(r"^Now Recording: "), timeout=10)

            # Exit while recording: the confirmation, which answers No by itself.
            app.press("push button", "Exit")
            dialog = app.window("Are You Sure You Want To Quit?", timeout=10)
            app.find("label", COUNTDOWN, within=dialog)
            opened = time.monotonic()
            growing = newest(folder)
            before = size_of(folder, growing)
            app.absent(name="Are You Sure You Want To Quit?", timeout=15)
            waited = time.monotonic() - opened
            expect(waited > 3.5, "the confirmation closed after %.1f s, not about 5" % waited)
            gui.wait_until(lambda: size_of(folder, newest(folder)) > before or newest(folder) != growing, 10,
                           "the recording to go on")

            # Stop: the file is closed and tagged.
            app.press("push button", "Stop")
            app.find("label", "STOPPED", timeout=10)
            last = newest(folder)
            expect(has_tag(folder, last), "%s has no ID3v1 tag" % last)

            # Not recording: Exit ends the program at once.
            app.press("push button", "Exit")
            code = app.wait_exit(10)
            expect(code == 0, "tonquill ended with status %s" % code)


if __name__ == "__main__":
    main()
