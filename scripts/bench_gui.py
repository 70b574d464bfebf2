#!/usr/bin/python3
"""The windowed recorder's cost at rest: under Xvfb, tonquill records a
128 kbit/s stream from the local test station (a new title every few
seconds) with its recording display open. Prints the share of one core the
program used (from /proc) and the longest gap between two display
refreshes (the program writes it when TONQUILL_GUI_STATS names a file).

    scripts/bench.sh --gui [--seconds 60] [--song-seconds 8]
"""
from benchlib import require, start_display, workspace
import argparse, os, subprocess, sys, time

here, build = sys.argv[1], sys.argv[2]
ap = argparse.ArgumentParser(prog="bench.sh --gui")
ap.add_argument("--seconds", type=int, default=60)
ap.add_argument("--song-seconds", type=int, default=8)
args = ap.parse_args(sys.argv[3:])

require("Xvfb")
work, procs = workspace("tonquill-gui-bench-")

xvfb, display = start_display(procs)

station = subprocess.Popen(
    [sys.executable, os.path.join(here, "tools", "teststation.py"), "--port", "0",
     "--lifetime", str(args.seconds + 120), "--song-seconds", str(args.song_seconds), "--metaint", "16000",
     "--bitrate", "128", "--cache", os.path.join(build, "teststation-cache")],
    stdout=subprocess.PIPE, text=True)
procs.append(station)
port = None
for line in station.stdout:
    if line.startswith("LISTENING"):
        port = int(line.split()[1])
        break
if port is None:
    sys.exit("bench: the test station did not start")

folder = os.path.join(work, "recordings") + "/"
os.makedirs(folder)
preset = os.path.join(work, "bench.tvp")
with open(preset, "w", newline="") as f:
    f.write("\r\n".join(["GUI Bench", f"http://127.0.0.1:{port}/station.pls", "SONGNAMEONLY", folder,
                         "0", "0"]) + "\r\n")

stats = os.path.join(work, "gui-stats")
env = dict(os.environ, DISPLAY=f":{display}", QT_QPA_PLATFORM="xcb", TONQUILL_HOME=os.path.join(work, "home"),
           TONQUILL_GUI_STATS=stats, HOME=work, XDG_RUNTIME_DIR=work)
env.pop("TONQUILL_HEADLESS", None)
tonquill = os.environ.get("TONQUILL_BIN", os.path.join(build, "app", "tonquill"))
output = os.path.join(work, "tonquill.out")
proc = subprocess.Popen([tonquill, preset], env=env, stdout=open(output, "w"), stderr=subprocess.STDOUT)
procs.append(proc)

ticks = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks


def folder_bytes():
    return sum(os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder))


# Measure from the moment the recording is under way.
deadline = time.monotonic() + 30
while folder_bytes() == 0:
    if proc.poll() is not None or time.monotonic() > deadline:
        sys.exit("bench: the recorder did not start recording:\n" + open(output, errors="replace").read()[-2000:])
    time.sleep(0.2)
if os.path.exists(stats):
    os.remove(stats)  # gaps of the start-up are not the steady state
start_cpu, start = cpu_seconds(proc.pid), time.monotonic()
time.sleep(args.seconds)
cpu, wall = cpu_seconds(proc.pid) - start_cpu, time.monotonic() - start
files = len(os.listdir(folder))
worst = "unknown"
if os.path.exists(stats):
    worst = open(stats).read().strip() + " ms"
print(f"windowed recorder, {wall:.0f} s of 128 kbit/s with the display open, {files} files")
print(f"cpu: {100.0 * cpu / wall:.2f}% of one core (target: at most 0.73%)")
print(f"worst refresh gap: {worst} (target: under 150 ms)")
