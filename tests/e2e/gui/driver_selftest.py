"""The driver's own parts that do not need a program under test: screenshot
decoding, name matching, bounded waits, the skip status and the X window
close. Run inside run_gui_test.sh (test_harness.py does)."""

import os
import re
import subprocess
import sys
import tempfile
import time

import atspi_driver as gui
from atspi_driver import GuiError

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def write_ppm(path, header, samples, size):
    with open(path, "wb") as f:
        f.write(header)
        for value in samples:
            f.write(value.to_bytes(size, "big"))


def screenshot_cases(folder):
    # 2x2 pictures: (header, bytes per sample, samples, expected pixels)
    cases = [
        ("8 bit", b"P6\n2 2\n255\n", 1, [255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30],
         {(0, 0): (255, 0, 0), (1, 0): (0, 255, 0), (0, 1): (0, 0, 255), (1, 1): (10, 20, 30)}),
        ("comment in header", b"P6\n# made by a test\n2 2\n255\n", 1, [1, 2, 3] * 3 + [250, 251, 252],
         {(0, 0): (1, 2, 3), (1, 1): (250, 251, 252)}),
        ("16 bit", b"P6 2 2 65535\n", 2, [65535, 0, 0, 0, 0xFF00, 0, 0, 0, 65535, 0x1234, 0, 65535],
         {(0, 0): (255, 0, 0), (1, 0): (0, 254, 0), (1, 1): (18, 0, 255)}),
    ]
    for label, header, size, samples, expected in cases:
        path = os.path.join(folder, label.replace(" ", "_") + ".ppm")
        write_ppm(path, header, samples, size)
        shot = gui.Screenshot(path)
        check((shot.width, shot.height) == (2, 2), "%s: size %dx%d" % (label, shot.width, shot.height))
        for (x, y), rgb in expected.items():
            actual = shot.pixel(x, y)
            check(actual == rgb, "%s: pixel %d,%d is %s, not %s" % (label, x, y, actual, rgb))
        for x, y in [(-1, 0), (0, -1), (2, 0), (0, 2)]:
            try:
                shot.pixel(x, y)
                failures.append("%s: pixel %d,%d outside the picture was read" % (label, x, y))
            except GuiError:
                pass
    shot = gui.Screenshot(os.path.join(folder, "8_bit.ppm"))
    check(shot.colours_in((0, 0, 2, 1)) == {(255, 0, 0), (0, 255, 0)}, "colours_in the top row")
    check(shot.colours_in((1, 1, 5, 5)) == {(10, 20, 30)}, "colours_in clipped to the picture")
    with open(os.path.join(folder, "p3.ppm"), "wb") as f:
        f.write(b"P3\n1 1\n255\n0 0 0\n")
    try:
        gui.Screenshot(os.path.join(folder, "p3.ppm"))
        failures.append("a text PPM was taken for a binary one")
    except GuiError:
        pass


class Fake:
    def __init__(self, role, name):
        self._role, self.name = role, name

    def getRoleName(self):
        return self._role


def matching_cases():
    cases = [
        ("push button", "OK", "push button", "OK", True),
        ("push button", "OK", "push button", "OK ", False),
        ("push button", "OK", "label", "OK", False),
        ("push button", "OK", None, "OK", True),
        ("push button", "&Open", "push button", re.compile(r"^&?Open$"), True),
        ("push button", "Open file", "push button", re.compile(r"^&?Open$"), False),
        ("label", "Time In Queue: 00:05", "label", re.compile(r"Queue: \d\d:\d\d"), True),
        ("label", "", "label", None, True),
    ]
    for role, name, want_role, want_name, expected in cases:
        actual = gui._matches(Fake(role, name), want_role, want_name)
        check(actual == expected, "match %r %r against %r %r gave %s" % (role, name, want_role, want_name, actual))


def wait_cases():
    calls = []

    def third_time():
        calls.append(1)
        if len(calls) < 3:
            raise RuntimeError("not yet")
        return "value"
    check(gui.wait_until(third_time, 5, "third call") == "value", "wait_until did not return the value")
    check(len(calls) == 3, "wait_until called %d times, not 3" % len(calls))

    start = time.monotonic()
    try:
        gui.wait_until(lambda: 1 / 0, 0.3, "a division", dump=lambda: "TREE DUMP")
        failures.append("wait_until did not time out")
    except GuiError as error:
        elapsed = time.monotonic() - start
        text = str(error)
        check(0.3 <= elapsed < 2.0, "a 0.3 s wait took %.2f s" % elapsed)
        check("a division" in text and "ZeroDivisionError" in text and "TREE DUMP" in text,
              "the time-out message lacks what, the last error or the dump: %r" % text)


def skip_cases():
    here = os.path.dirname(os.path.abspath(__file__))
    for ci, expected in [(None, 77), ("true", 1), ("false", 77)]:
        env = dict(os.environ, PYTHONPATH=here)
        env.pop("CI", None)
        if ci is not None:
            env["CI"] = ci
        code = subprocess.run([sys.executable, "-c", "import atspi_driver; atspi_driver.require_tool('no-such-tool-x')"],
                              env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=30)
        check(code.returncode == expected, "a missing tool with CI=%s gave %d, not %d" % (ci, code.returncode, expected))
        check(b"no-such-tool-x" in code.stderr, "the skip does not name the tool: %r" % code.stderr)


def x_cases():
    # A process with no windows has nothing to close; one that is not
    # ours either.
    check(gui.close_x_window(os.getpid()) == 0, "windows were found for a program without any")
    shot = gui.screenshot("selftest")
    check((shot.width, shot.height) == (1280, 1024), "the screen is %dx%d" % (shot.width, shot.height))
    check(shot.pixel(640, 512) == (0, 0, 0), "the empty screen is not black")


def main():
    with tempfile.TemporaryDirectory() as folder:
        screenshot_cases(folder)
    matching_cases()
    wait_cases()
    skip_cases()
    x_cases()
    if failures:
        print("FAIL:\n  " + "\n  ".join(failures), file=sys.stderr)
        sys.exit(1)
    print("PASS", file=sys.stderr)


if __name__ == "__main__":
    main()
