"""HLS ingest: an hour (by default) of 128 kbit/s AAC in MPEG-TS segments,
served as fast as it is asked for by the local test station, recorded by
the headless recorder (one file per song) and by `ffmpeg -i URL -c copy`.
Prints the wall time, CPU seconds and peak resident memory of each."""
import argparse, os, subprocess, sys, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchlib import require, workspace  # noqa: E402

here, build = sys.argv[1], sys.argv[2]
ap = argparse.ArgumentParser(prog="bench.sh --hls")
ap.add_argument("--minutes", type=int, default=60, help="length of the stream")
ap.add_argument("--kind", choices=["ts", "packed"], default="ts")
args = ap.parse_args(sys.argv[3:])
require("ffmpeg")
tonquill = os.environ.get("TONQUILL_BIN", os.path.join(build, "app", "tonquill"))
work, procs = workspace("tonquill-bench-hls-")

segments = args.minutes * 60 // 2
station = subprocess.Popen([sys.executable, os.path.join(here, "tools", "teststation.py"), "--port", "0", "--synth",
                            "--lifetime", "86400", "--titles", ",".join(f"Bench Artist {i} - Song {i}" for i in range(40))],
                           stdout=subprocess.PIPE, text=True)
procs.append(station)
port = None
for line in station.stdout:
    if line.startswith("LISTENING"):
        port = int(line.split()[1])
        break
if port is None:
    sys.exit("bench: the test station did not start")
url = f"http://127.0.0.1:{port}/hls/{args.kind}.m3u8?end={segments}&song=240"


def measured(cmd, env=None):
    start = time.monotonic()
    p = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    procs.append(p)
    _, status, usage = os.wait4(p.pid, 0)
    p.returncode = os.waitstatus_to_exitcode(status)
    return p.returncode, time.monotonic() - start, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024


def folder_bytes(folder):
    return sum(os.path.getsize(os.path.join(folder, f)) for f in os.listdir(folder))


home, rec = os.path.join(work, "home"), os.path.join(work, "rec")
os.makedirs(home)
os.makedirs(rec)
with open(os.path.join(home, "Tonquill-user.ini"), "w") as f:
    f.write("[Registration]\r\nCleanCuts=0\r\n")
preset = os.path.join(home, "hls.tvp")
with open(preset, "w", newline="") as f:
    f.write(f"HLS Bench\r\n{url}&as=.m3u8\r\nSONGNAMEONLY\r\n{rec}\r\n 0 \r\n 0 \r\n")
env = dict(os.environ, TONQUILL_HEADLESS="1", TONQUILL_HOME=home, QT_QPA_PLATFORM="offscreen")
rows = [("tonquill",) + measured([tonquill, preset], env) + (folder_bytes(rec), len(os.listdir(rec)))]
out = os.path.join(work, "ffmpeg.aac")
rows.append(("ffmpeg -c copy",) + measured(["ffmpeg", "-v", "error", "-y", "-i", url, "-c", "copy", "-f", "adts", out])
            + (os.path.getsize(out) if os.path.exists(out) else 0, 1))
print(f"HLS {args.kind}: {args.minutes} min of 128 kbit/s AAC, {segments} segments of 2 s")
print(f"{'program':16} {'exit':>4} {'wall s':>8} {'cpu s':>8} {'peak MiB':>9} {'bytes':>12} {'files':>6}")
for name, code, wall, cpu, rss, size, files in rows:
    print(f"{name:16} {code:>4} {wall:8.2f} {cpu:8.2f} {rss:9.1f} {size:>12} {files:>6}")
