#!/usr/bin/env bash
# Stream engine benchmarks against the local test station on 127.0.0.1.
#   scripts/bench.sh [--size BYTES]   ingest: curl, the headless recorder and
#                                     streamripper take the same fast stream
#   scripts/bench.sh --ogg [--size BYTES]
#                                     Ogg ingest: curl and the headless recorder
#                                     (one file per song) take the same fast
#                                     chained Opus stream (256 MB)
#   scripts/bench.sh --soak [--size BYTES]
#                                     a long accelerated recording; prints the
#                                     recorder's resident memory over time
#   scripts/bench.sh --demux          the in-memory demultiplexer benchmark
#   scripts/bench.sh --gui [--seconds N]
#                                     the windowed recorder under Xvfb: CPU share
#                                     and the worst gap between display refreshes
#   scripts/bench.sh --cuts           Icecast with tracks of known boundaries:
#                                     tonquill with clean cuts off and on, and
#                                     streamripper; clean decodes, cut distances
#   scripts/bench.sh --tls            ingest over HTTPS on loopback against curl
#                                     (--tls --plain: the same over plain HTTP)
#   scripts/bench.sh --faults         Icecast fed by ffmpeg through source and
#                                     server restarts, 25 s and 40 s outages and
#                                     a kicked listener: seconds of broadcast
#                                     tonquill and streamripper each lost and
#                                     recorded twice
#   scripts/bench.sh --many [--count 20] [--seconds 60]
#                                     one Icecast, 20 headless tonquill, one
#                                     tonquill --record of 20 presets, 20
#                                     streamripper on one mount, and a windowed
#                                     tonquill shown and hidden: CPU, PSS, RSS,
#                                     Private_Dirty, wake-ups, libraries mapped
#   scripts/bench.sh --image          Discwright: a BIN/CUE image of ten
#                                     4-minute MP3s against ffmpeg decoding
#                                     them one after another, and the time to
#                                     the window's first paint while the drive
#                                     scan waits
#   scripts/bench.sh --hls [--minutes 60] [--kind ts|packed]
#                                     an hour of 128 kbit/s HLS served fast by
#                                     the test station: wall time, CPU and peak
#                                     memory of headless tonquill against
#                                     ffmpeg -i URL -c copy
#   scripts/bench.sh --page           the station search window: how long each
#                                     hostile directory page (deep nesting,
#                                     huge pictures, a 520 KB word) holds it;
#                                     fails past 200 ms
#   scripts/bench.sh --history [PLAYS]  the title history: a million plays
#                                     written (time, size of the file), the
#                                     What Plays Where window's chart queries
#                                     over them (each period, one station, a
#                                     search; target under 100 ms), the memory
#                                     of 20 stations keeping 5 minutes each
#   scripts/bench.sh --library [FILES]  the Recordings window: 100,000 small
#                                     files in a folder tree, the time until
#                                     all are listed and the longest pause of
#                                     the window meanwhile (target < 50 ms)
# Builds a Release copy of the program into build-bench first.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BENCH_BUILD_DIR:-$here/build-bench}"

if [ "${1:-}" = "--page" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTONQUILL_TESTS=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target bench_page >/dev/null
  echo "page reduce-ms first-paint-ms longest-hold-ms blocks"
  QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" exec "$build/bench/bench_page"
fi

if [ "${1:-}" = "--history" ]; then
  shift
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTONQUILL_TESTS=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target bench_history >/dev/null
  exec "$build/bench/bench_history" "$@"
fi

if [ "${1:-}" = "--library" ]; then
  shift
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTONQUILL_TESTS=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target bench_library >/dev/null
  QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" exec "$build/bench/bench_library" "$@"
fi

if [ "${1:-}" = "--image" ]; then
  shift
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTONQUILL_TESTS=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target discwright bench_image >/dev/null
  exec /usr/bin/python3 "$here/scripts/bench_image.py" "$here" "$build" "$@"
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTONQUILL_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target tonquill bench_demux >/dev/null

if [ "${1:-}" = "--gui" ]; then
  shift
  exec /usr/bin/python3 "$here/scripts/bench_gui.py" "$here" "$build" "$@"
fi

if [ "${1:-}" = "--cuts" ]; then
  shift
  exec python3 "$here/scripts/bench_cuts.py" "$here" "$build" "$@"
fi

if [ "${1:-}" = "--many" ]; then
  shift
  cmake --build "$build" -j"$(nproc)" --target tonquill-desktop tonquill-sound tonquill-mixer tonquill-image >/dev/null
  exec /usr/bin/python3 "$here/scripts/bench_many.py" "$here" "$build" "$@"
fi

if [ "${1:-}" = "--faults" ]; then
  shift
  exec python3 "$here/scripts/bench_faults.py" "$here" "$build" "$@"
fi

if [ "${1:-}" = "--hls" ]; then
  shift
  exec python3 "$here/scripts/bench_hls.py" "$here" "$build" "$@"
fi

if [ "${1:-}" = "--tls" ]; then
  shift
  exec python3 "$here/scripts/bench_tls.py" "$here" "$build" "$@"
fi

if [ "${1:-}" = "--demux" ]; then
  shift
  exec "$build/bench/bench_demux" "$@"
fi

exec python3 - "$here" "$build" "$@" <<'PY'
import argparse, os, re, shutil, signal, subprocess, sys, tempfile, time

here, build = sys.argv[1], sys.argv[2]
ap = argparse.ArgumentParser(prog="bench.sh")
ap.add_argument("--soak", action="store_true")
ap.add_argument("--ogg", action="store_true", help="a chained Ogg Opus stream instead of MP3 with titles")
ap.add_argument("--size", type=int, default=0, help="audio bytes of the stream")
ap.add_argument("--metaint", type=int, default=16000)
ap.add_argument("--song-bytes", type=int, default=5 * 1024 * 1024)
ap.add_argument("--keep", action="store_true", help="keep the work folder")
ap.add_argument("--rounds", type=int, default=5, help="ingest rounds; the median round is reported")
ap.add_argument("--no-shipped", action="store_true",
                help="skip the extra recorder run with its 500 ms blocks (about 0.5 s a song)")
args = ap.parse_args(sys.argv[3:])
size = args.size or (576_000_000 if args.soak else 256 * 1024 * 1024 if args.ogg else 1024 * 1024 * 1024)
# soak: 10 h of 128 kbit/s
tonquill = os.environ.get("TONQUILL_BIN", os.path.join(build, "app", "tonquill"))
work = tempfile.mkdtemp(prefix="tonquill-bench-")
log = os.path.join(work, "station.log")

# Unique titles, so every song gets a file of its own. Ogg: eight songs of
# five minutes at 128 kbit/s (about 4.8 MB each) made once with ffmpeg,
# played in turn, each play its own logical stream; repeats take numbers.
songs = 8 if args.ogg else size // args.song_bytes + 2
with open(os.path.join(work, "titles"), "w") as f:
    for i in range(songs):
        f.write(f"Bench Artist {i:05d} - Song {i:05d}\n")

stream_path = "/opus" if args.ogg else "/stream"
# Ogg: after a stream's last page the source is away for a while, so the
# recorder's reconnect finds nothing more to record.
kind = ["--song-seconds", "300", "--bitrate", "128", "--ogg-codecs", "opus", "--down", "5"] if args.ogg else \
    ["--metaint", str(args.metaint), "--song-bytes", str(args.song_bytes), "--ogg-codecs", ""]
station = subprocess.Popen(
    [sys.executable, os.path.join(here, "tools", "teststation.py"), "--port", "0", "--fast",
     "--total-bytes", str(size), "--titles-file", os.path.join(work, "titles"), "--lifetime", "86400",
     "--log", log, "--cache", os.path.join(build, "teststation-cache")] + kind,
    stdout=subprocess.PIPE, text=True)
port = None
for line in station.stdout:
    if line.startswith("LISTENING"):
        port = int(line.split()[1])
        break
if port is None:
    sys.exit("bench: the test station did not start")
base = f"http://127.0.0.1:{port}"


def stop_station():
    if station.poll() is None:
        station.send_signal(signal.SIGTERM)
        station.wait(timeout=30)


import atexit
atexit.register(stop_station)


def log_lines():
    with open(log, errors="replace") as f:
        return f.read().splitlines()


def stream_ends(since):
    """Audio bytes of every finished stream connection logged after line `since`."""
    return [int(re.search(r"audio=(\d+)", l).group(1)) for l in log_lines()[since:]
            if l.startswith("END ") and f" path={stream_path} " in l]


def folder_bytes(folder):
    total = 0
    for root, _, files in os.walk(folder):
        for n in files:
            try:
                total += os.path.getsize(os.path.join(root, n))
            except OSError:
                pass
    return total


def parse_time(path):
    t = open(path).read()
    def field(name):
        return re.search(re.escape(name) + r": (.*)", t).group(1).strip()
    return {"cpu": float(field("User time (seconds)")) + float(field("System time (seconds)")),
            "rss_mb": int(field("Maximum resident set size (kbytes)")) / 1024.0}


def rss_kb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for l in f:
                if l.startswith("VmRSS:"):
                    return int(l.split()[1])
    except OSError:
        pass
    return 0


def child_of(pid):
    for _ in range(100):
        try:
            kids = open(f"/proc/{pid}/task/{pid}/children").read().split()
            if kids:
                return int(kids[0])
        except OSError:
            pass
        time.sleep(0.01)
    return None


def run_recorder(name, argv, folder, env=None, sample=None):
    """Runs a recorder under /usr/bin/time until its folder holds what the
    station sent (or stops growing after the stream ended), then stops it
    with SIGTERM. Wall time is until the last byte reached the disk. While
    the stream runs only the station's short log is read, so the watching
    takes next to no CPU from the recorder; the folder is summed once a
    second (and at each sample), and often once the station is done."""
    since = len(log_lines())
    timefile = os.path.join(work, name + ".time")
    out = open(os.path.join(work, name + ".out"), "w")
    start = time.monotonic()
    proc = subprocess.Popen(["/usr/bin/time", "-v", "-o", timefile] + argv, env=env, stdout=out, stderr=out)
    pid = child_of(proc.pid)
    last_size, last_change, next_sample, next_look = -1, start, start, start
    samples = []
    while True:
        now = time.monotonic()
        ends = stream_ends(since)
        if ends or now >= next_look or (sample and now >= next_sample):
            have = folder_bytes(folder)
            next_look = now + 1.0
            if have != last_size:
                last_size, last_change = have, now
            if sample and now >= next_sample and pid:
                samples.append((now - start, have, rss_kb(pid)))
                next_sample += sample
            if ends and (have >= ends[0] or now - last_change > 3.0):
                break
        if proc.poll() is not None:
            break
        time.sleep(0.005 if ends else 0.02)
    wall = last_change - start
    if proc.poll() is None and pid:
        os.kill(pid, signal.SIGTERM)
    proc.wait(timeout=60)
    time.sleep(0.3)
    r = parse_time(timefile)
    r["wall"] = wall
    r["sent"] = sum(stream_ends(since))
    r["connections"] = len(stream_ends(since))
    r["samples"] = samples
    return r


def settle():
    """Lets the disk catch up with the previous run, so one program's write-back
    does not land in the next one's time; an Ogg source away after the last
    run is back."""
    os.sync()
    time.sleep(0.5)
    for _ in range(120 if args.ogg else 0):
        back = subprocess.run(["curl", "-s", "-o", "/dev/null", "-w", "%{http_code}",
                               f"{base}{stream_path}?total=1&down=0"], capture_output=True, text=True)
        if back.stdout.strip() == "200":
            break
        time.sleep(0.5)


def tonquill_run(sample=None, pauses=True):
    rec = os.path.join(work, "tonquill-rec")
    home = os.path.join(work, "tonquill-home")
    shutil.rmtree(rec, ignore_errors=True)
    os.makedirs(rec)
    os.makedirs(home, exist_ok=True)
    preset = os.path.join(work, "bench.tvp")
    with open(preset, "wb") as f:
        pls = f"{base}{'/opus' if args.ogg else '/station'}.pls"
        f.write(b"\r\n".join([b"Bench", pls.encode(), b"SONGNAMEONLY",
                              (rec + "/").encode(), b" 0 ", b" 0 "]) + b"\r\n")
    env = dict(os.environ, TONQUILL_HEADLESS="1", TONQUILL_HOME=home, QT_QPA_PLATFORM="offscreen")
    env.pop("TONQUILL_NO_PAUSES", None)
    if not pauses:
        env["TONQUILL_NO_PAUSES"] = "1"
    settle()
    r = run_recorder("tonquill", [tonquill, preset], rec, env=env, sample=sample)
    files = sorted(os.listdir(rec))
    audio = 0
    for n in files:
        p = os.path.join(rec, n)
        s = os.path.getsize(p)
        with open(p, "rb") as f:
            if s >= 128:
                f.seek(s - 128)
                if f.read(3) == b"TAG":
                    s -= 128
        audio += s
    r["files"] = len(files)
    r["audio"] = audio
    shutil.rmtree(rec, ignore_errors=True)
    return r


def curl_run():
    raw = os.path.join(work, "curl.raw")
    tf = os.path.join(work, "curl.time")
    settle()
    since = len(log_lines())
    t0 = time.monotonic()
    subprocess.run(["/usr/bin/time", "-v", "-o", tf, "curl", "-s", "--http0.9", "-H", "Icy-MetaData:1",
                    "-o", raw, f"{base}{stream_path}"], check=False)
    c = parse_time(tf)
    c["wall"] = time.monotonic() - t0
    c["sent"] = sum(stream_ends(since))
    os.remove(raw)
    return c


def streamripper_run():
    sr_dir = os.path.join(work, "streamripper")
    shutil.rmtree(sr_dir, ignore_errors=True)
    os.makedirs(sr_dir)
    settle()
    r = run_recorder("streamripper", ["streamripper", f"{base}/stream", "-d", sr_dir, "-s", "--quiet"], sr_dir)
    shutil.rmtree(sr_dir, ignore_errors=True)
    return r


def median_run(runs):
    """The run with the median wall time (CPU and memory from that same run),
    with the fastest round's wall and CPU time beside it."""
    runs = sorted(runs, key=lambda r: r["wall"])
    r = dict(runs[len(runs) // 2])
    r["best_wall"] = runs[0]["wall"]
    r["best_cpu"] = min(x["cpu"] for x in runs)
    return r


def gb(n):
    return n / 1e9


if args.soak:
    print(f"soak: {size / 1e6:.0f} MB at full speed (= {size / 16000 / 3600:.1f} h of 128 kbit/s), "
          f"a new title every {args.song_bytes / 1e6:.1f} MB")
    r = tonquill_run(sample=1.0)
    print(f"{'seconds':>8} {'recorded MB':>12} {'RSS MB':>8}")
    for t, have, kb in r["samples"]:
        print(f"{t:8.1f} {have / 1e6:12.1f} {kb / 1024:8.1f}")
    rss = [kb for _, _, kb in r["samples"] if kb]
    if len(rss) >= 4:
        warm = rss[len(rss) // 4:]
        print(f"soak: RSS after the first quarter {min(warm) / 1024:.1f} to {max(warm) / 1024:.1f} MB, "
              f"first {rss[len(rss) // 4] / 1024:.1f} MB, last {rss[-1] / 1024:.1f} MB, "
              f"growth {(rss[-1] - rss[len(rss) // 4]) / 1024:+.1f} MB; peak {r['rss_mb']:.1f} MB")
    ok = r["audio"] == r["sent"]
    print(f"soak: {r['files']} files, {r['audio']} audio bytes of {r['sent']} sent: {'complete' if ok else 'MISSING BYTES'}")
    print(f"soak: wall {r['wall']:.1f} s, CPU {r['cpu']:.1f} s")
elif args.ogg:
    print(f"ogg ingest: {size / 1e6:.0f} MB of chained Ogg Opus (128 kbit/s, 5-minute songs, {songs} titles "
          f"in turn), station on {base}")
    # The first request waits for the songs to be made: one untimed fetch.
    subprocess.run(["curl", "-s", "-o", "/dev/null", f"{base}{stream_path}?total=1&down=0"], check=False)
    rounds = {"curl": [], "tonquill": []}
    for n in range(args.rounds):
        rounds["curl"].append(curl_run())
        rounds["tonquill"].append(tonquill_run(pauses=False))
        print("round " + str(n + 1) + ": " + ", ".join(
            f"{name} {runs[-1]['wall']:.2f} s" for name, runs in rounds.items()), flush=True)
    results = {name: median_run(runs) for name, runs in rounds.items()}
    print(f"{'program':<15} {'wall s':>8} {'CPU s':>7} {'peak MB':>8} {'MB/s':>8} {'best wall':>10}")
    for name, r in results.items():
        r["mbps"] = r["sent"] / 1e6 / r["wall"] if r["wall"] > 0 else 0
        print(f"{name:<15} {r['wall']:8.2f} {r['cpu']:7.2f} {r['rss_mb']:8.1f} {r['mbps']:8.1f} {r['best_wall']:10.2f}")
    t, c = results["tonquill"], results["curl"]
    print(f"tonquill/curl throughput {t['mbps'] / c['mbps']:.2f} median, "
          f"{c['best_wall'] / t['best_wall']:.2f} best rounds (target at least 0.9)")
    ok = all(r["audio"] == r["sent"] for r in rounds["tonquill"])
    print(f"tonquill: {t['files']} files; in every round they held every page the station sent: "
          f"{'yes' if ok else 'NO, MISSING BYTES'}")
else:
    print(f"ingest: {size / 1e6:.0f} MB of audio, metaint {args.metaint}, a new title every {args.song_bytes / 1e6:.1f} MB, "
          f"station on {base}")
    # Rounds of (a) curl saving the raw stream, metadata included (the
    # limit), (b) the headless recorder splitting by title, (c) streamripper
    # splitting by title; each figure is from the median round. In the rounds
    # the recorder runs without its two deliberate 500 ms blocks of the
    # thread (after a response header, after each new file), which measures
    # the engine; it then runs once more as shipped, blocks included.
    rounds = {"curl": [], "tonquill": [], "streamripper": []}
    for n in range(args.rounds):
        rounds["curl"].append(curl_run())
        rounds["tonquill"].append(tonquill_run(pauses=False))
        rounds["streamripper"].append(streamripper_run())
        print("round " + str(n + 1) + ": " + ", ".join(
            f"{name} {runs[-1]['wall']:.2f} s" for name, runs in rounds.items()), flush=True)
    results = {name: median_run(runs) for name, runs in rounds.items()}
    if not args.no_shipped:
        results["tonquill-500ms"] = tonquill_run(pauses=True)
    engine_ok = all(r["audio"] == r["sent"] for r in rounds["tonquill"])

    # On a virtual machine the kernel's copy into the page cache varies from
    # one run to the next by a factor of two or three (fresh guest pages are
    # slow to touch), for every program alike; hence rounds, and both the
    # median and the fastest round.
    print(f"{'program':<15} {'wall s':>8} {'CPU s':>7} {'peak MB':>8} {'MB/s':>8} {'CPU s/GB':>9} "
          f"{'best wall':>10} {'best CPU':>9}")
    for name, r in results.items():
        mbps = r["sent"] / 1e6 / r["wall"] if r["wall"] > 0 else 0
        cpugb = r["cpu"] / gb(r["sent"]) if r["sent"] else 0
        r["mbps"], r["cpugb"] = mbps, cpugb
        best = f"{r['best_wall']:10.2f} {r['best_cpu']:9.2f}" if "best_wall" in r else ""
        print(f"{name:<15} {r['wall']:8.2f} {r['cpu']:7.2f} {r['rss_mb']:8.1f} {mbps:8.1f} {cpugb:9.2f} {best}")
    t, c, s = results["tonquill"], results["curl"], results["streamripper"]
    print(f"tonquill/curl throughput {t['mbps'] / c['mbps']:.2f} median, "
          f"{c['best_wall'] / t['best_wall']:.2f} best rounds (target at least 0.8)")
    if s["cpugb"] > 0:
        print(f"tonquill/streamripper CPU per GB {t['cpugb'] / s['cpugb']:.2f} median, "
              f"{t['best_cpu'] / s['best_cpu']:.2f} best rounds (target at most 0.2)")
        print(f"tonquill/streamripper throughput {t['mbps'] / s['mbps']:.2f}")
    if "tonquill-500ms" in results:
        p = results["tonquill-500ms"]
        pauses = 0.5 * (p["files"] + p["connections"])
        print(f"tonquill as shipped (tonquill-500ms): {p['files']} files over {p['connections']} connection(s); "
              f"its 500 ms blocks after each new file and each response header come to {pauses:.1f} s of its "
              f"{p['wall']:.1f} s; throughput {p['mbps'] / c['mbps']:.2f} of curl's")
        shipped_ok = p["audio"] == p["sent"]
        print(f"tonquill as shipped: files hold {p['audio']} audio bytes of {p['sent']} the station sent: "
              f"{'every byte' if shipped_ok else 'MISSING BYTES'}")
    else:
        shipped_ok = True
    print(f"tonquill: {t['files']} files; in every round they held every audio byte the station sent: "
          f"{'yes' if engine_ok else 'NO, MISSING BYTES'}")
    ok = engine_ok and shipped_ok

stop_station()
if args.keep:
    print(f"bench: work folder {work}")
else:
    shutil.rmtree(work, ignore_errors=True)
sys.exit(0 if ok else 1)
PY
