"""The local test station and a preset for it, for the recorder's GUI tests."""

import os
import subprocess
import sys
import time

import atspi_driver as gui
from atspi_driver import GuiError


class Station:
    """tools/teststation.py on 127.0.0.1, a new title every few seconds."""

    def __init__(self, song_seconds=4, name="GUI Test Station", titles=None, log="station.out"):
        source = os.environ["TONQUILL_SOURCE_DIR"]
        self.log = os.path.join(gui.artifacts_dir(), log)
        self._out = open(self.log, "w")
        cache = os.path.join(os.environ.get("TONQUILL_BUILD_DIR", "/tmp"), "teststation-cache")
        self.process = subprocess.Popen(
            [sys.executable if os.path.exists(sys.executable) else "python3",
             os.path.join(source, "tools", "teststation.py"), "--port", "0", "--lifetime", "600",
             "--song-seconds", str(song_seconds), "--metaint", "8192", "--name", name, "--cache", cache]
            + (["--titles", ",".join(titles)] if titles else []),
            stdout=self._out, stderr=subprocess.STDOUT, start_new_session=True)
        self.port = gui.wait_until(self._port, 30, "the test station to listen")

    def _port(self):
        if self.process.poll() is not None:
            raise GuiError("the test station ended:\n" + open(self.log).read())
        for line in open(self.log):
            if line.startswith("LISTENING "):
                return int(line.split()[1])
        return None

    def playlist(self):
        return "http://127.0.0.1:%d/station.pls" % self.port

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        self._out.close()
        return False


def write_preset(path, title, playlist, folder, minutes=0):
    with open(path, "w", newline="") as f:
        f.write("\r\n".join([title, playlist, "SONGNAMEONLY", folder, str(minutes), "0"]) + "\r\n")


def work_folder(name):
    """A new folder of that name in the run's artifacts."""
    path = os.path.join(gui.artifacts_dir(), name)
    os.makedirs(path)
    return path


def tonquill_env(home):
    # "0": with windows, even if the suite around asked for headless runs.
    return {"TONQUILL_HOME": home, "TONQUILL_HEADLESS": "0"}


def playerctl(*args):
    """What playerctl says of the running recorder's media controls; None when it fails."""
    done = subprocess.run(["playerctl", "-p", "tonquill"] + list(args), capture_output=True, text=True, timeout=10)
    return done.stdout.strip() if done.returncode == 0 else None


def tonquill():
    return os.path.join(os.environ["TONQUILL_BUILD_DIR"], "app", "tonquill")


def mp3_files(folder):
    try:
        return sorted(n for n in os.listdir(folder) if n.endswith(".mp3"))
    except OSError:
        return []


def size_of(folder, name):
    try:
        return os.path.getsize(os.path.join(folder, name))
    except OSError:
        return -1


def newest(folder):
    names = mp3_files(folder)
    if not names:
        return None
    return max(names, key=lambda n: os.path.getmtime(os.path.join(folder, n)))


def has_tag(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        data = f.read()
    return len(data) >= 128 and data[-128:].startswith(b"TAG")


def steady(folder, name, seconds):
    """True when the file did not change size for `seconds` (bounded watch)."""
    start = size_of(folder, name)
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if size_of(folder, name) != start:
            return False
        time.sleep(0.1)
    return True
