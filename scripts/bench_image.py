#!/usr/bin/python3
"""Discwright's image writing and start-up.

1. Image throughput: a BIN/CUE image of ten 4-minute MP3 files written by the
   disc recorder (bench_image, which reads and queues the files as the window
   does, then writes), against `ffmpeg -i FILE -f s16le -ar 44100 -ac 2` run
   for the same files one after the other. Both write to the same folder;
   the median of several rounds is compared. Target: at least 0.9 of
   FFmpeg's throughput.
2. First paint: discwright under Xvfb with its drive scan held back 5 s;
   the time from starting the program to its first paint. Target: < 300 ms.

    scripts/bench.sh --image [--rounds 3] [--files 10] [--minutes 4]
"""
from benchlib import require, start_display, workspace
import argparse, os, shutil, statistics, subprocess, sys, time

here, build = sys.argv[1], sys.argv[2]
ap = argparse.ArgumentParser(prog="bench.sh --image")
ap.add_argument("--rounds", type=int, default=3)
ap.add_argument("--files", type=int, default=10)
ap.add_argument("--minutes", type=float, default=4)
ap.add_argument("--paint-rounds", type=int, default=7)
args = ap.parse_args(sys.argv[3:])

require("ffmpeg", "Xvfb")
work, procs = workspace("discwright-bench-")

# The MP3 files, kept between runs: 44.1 kHz stereo at 192 kbit/s, a
# different chord in each so no two are alike.
cache = os.path.join(build, "bench-image-cache")
os.makedirs(cache, exist_ok=True)
seconds = int(args.minutes * 60)
files = []
for i in range(args.files):
    path = os.path.join(cache, f"track{i:02d}-{seconds}s.mp3")
    if not os.path.exists(path):
        f1, f2 = 220 + 37 * i, 330 + 53 * i
        src = (f"sine=frequency={f1}:duration={seconds}:sample_rate=44100,"
               f"volume=0.4[a];sine=frequency={f2}:duration={seconds}:sample_rate=44100,volume=0.3[b];"
               f"anoisesrc=duration={seconds}:sample_rate=44100:amplitude=0.05[c];[a][b][c]amix=inputs=3")
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-filter_complex", src, "-ac", "2", "-c:a", "libmp3lame",
                        "-b:a", "192k", path + ".part.mp3"], check=True)
        os.rename(path + ".part.mp3", path)
    files.append(path)

out = os.path.join(work, "out")


def fresh_out():
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)


def ffmpeg_round():
    fresh_out()
    start = time.monotonic()
    for i, f in enumerate(files):
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-i", f, "-f", "s16le", "-ar", "44100", "-ac", "2",
                        os.path.join(out, f"{i}.raw")], check=True)
    elapsed = time.monotonic() - start
    return elapsed, sum(os.path.getsize(os.path.join(out, n)) for n in os.listdir(out))


def image_round():
    fresh_out()
    start = time.monotonic()
    done = subprocess.run([os.path.join(build, "bench", "bench_image"), out] + files, capture_output=True,
                          text=True)
    elapsed = time.monotonic() - start
    if done.returncode != 0:
        sys.exit(f"bench: bench_image failed: {done.stderr.strip()}")
    fields = dict(line.split() for line in done.stdout.splitlines() if line.strip())
    bins = [n for n in os.listdir(out) if n.endswith(".bin")]
    return elapsed, os.path.getsize(os.path.join(out, bins[0])), float(fields["probe-seconds"])


ff, img = [], []
for r in range(args.rounds):
    # Alternate which goes first, so neither always meets a warm cache.
    if r % 2:
        img.append(image_round()); ff.append(ffmpeg_round())
    else:
        ff.append(ffmpeg_round()); img.append(image_round())

ff_time = statistics.median(t for t, _ in ff)
img_time = statistics.median(t for t, _, _ in img)
ff_bytes, img_bytes = ff[0][1], img[0][1]
ff_rate = ff_bytes / ff_time / 1e6
img_rate = img_bytes / img_time / 1e6
ratio = img_rate / ff_rate
print(f"image: {args.files} x {args.minutes:g} min MP3, {args.rounds} rounds (median)")
print(f"  ffmpeg one after another: {ff_time:7.2f} s  {ff_rate:7.1f} MB/s of PCM ({ff_bytes} bytes)")
print(f"  discwright image:         {img_time:7.2f} s  {img_rate:7.1f} MB/s of image ({img_bytes} bytes,"
      f" reading the files {statistics.median(p for _, _, p in img):.2f} s)")
print(f"  throughput ratio: {ratio:.2f} (target >= 0.90) {'PASS' if ratio >= 0.9 else 'FAIL'}")

# First paint with a drive scan that waits 5 s, on a display of our own.
def first_paint(display):
    env = dict(os.environ, DISPLAY=f":{display}", QT_QPA_PLATFORM="xcb", DISCWRIGHT_SCAN_DELAY_MS="5000",
               DISCWRIGHT_FIRST_PAINT="1", HOME=work, XDG_RUNTIME_DIR=work)
    start = time.monotonic()
    proc = subprocess.Popen([os.path.join(build, "app", "discwright")], env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    procs.append(proc)
    line = proc.stdout.readline()
    wall = (time.monotonic() - start) * 1000
    proc.wait(timeout=30)
    if not line.startswith("first-paint-ms"):
        return None
    return wall, float(line.split()[1])


xvfb, display = start_display(procs)
paint_wall, paint_main = [], []
failures = 0
while len(paint_wall) < args.paint_rounds:
    result = first_paint(display)
    if result is None:
        # Another display server on this machine may have taken the number
        # meanwhile: a fresh display, a few times at most.
        failures += 1
        if failures > 3:
            sys.exit("bench: discwright did not report its first paint")
        xvfb.terminate()
        xvfb.wait(timeout=10)
        xvfb, display = start_display(procs)
        continue
    paint_wall.append(result[0])
    paint_main.append(result[1])
wall = statistics.median(paint_wall)
print(f"first paint, drive scan held 5 s ({args.paint_rounds} runs, median): {wall:.0f} ms from start"
      f" ({statistics.median(paint_main):.0f} ms from main) (target < 300 ms) {'PASS' if wall < 300 else 'FAIL'}")
sys.exit(0 if ratio >= 0.9 and wall < 300 else 1)
