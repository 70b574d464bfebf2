#!/usr/bin/env bash
# Sets everything up, starts the bundled local test station and records about
# a minute of it headless, one file per song; then lists the files and tags.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

bash scripts/setup.sh

out="$here/demo-out"
rm -rf "$out"
mkdir -p "$out/recordings" "$out/home"

station_log="$out/station.out"
python3 tools/teststation.py --port 0 --lifetime 240 --song-seconds 25 --metaint 8192 \
  --name "Tonquill Demo Station" \
  --titles "Aurora Lane - Morning Light,The Quiet Hours - Café Nocturne,Marlow & Finch - Harbour Lights" \
  >"$station_log" 2>&1 &
station_pid=$!
trap 'kill "$station_pid" 2>/dev/null || true' EXIT

port=""
for _ in $(seq 1 100); do
  port="$(sed -n 's/^LISTENING \([0-9]*\)$/\1/p' "$station_log" | head -n1)"
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "demo: the test station did not start:" >&2
  cat "$station_log" >&2
  exit 1
fi
echo "demo: test station on 127.0.0.1:$port"

preset="$out/demo.tvp"
printf '%s\r\n' \
  "# Demo preset: one minute from the local test station, one file per song" \
  "Tonquill Demo Station" \
  "http://127.0.0.1:$port/station.pls" \
  "SONGNAMEONLY" \
  "$out/recordings/" \
  " 1 " \
  " 0 " >"$preset"

echo "demo: recording one minute (tonquill $preset)"
status=0
TONQUILL_HEADLESS=1 TONQUILL_HOME="$out/home" "$here/build/app/tonquill" "$preset" || status=$?
echo "demo: tonquill ended with status $status"

echo
echo "demo: recorded files in $out/recordings"
shopt -s nullglob
files=("$out/recordings"/*.mp3)
if [ "${#files[@]}" -eq 0 ]; then
  echo "  (none)"
  exit 1
fi
# The ID3v1 tag is Latin-1; python reads it as such.
python3 - "${files[@]}" <<'PY'
import subprocess, sys, os
for path in sys.argv[1:]:
    data = open(path, "rb").read()
    tag = data[-128:] if len(data) >= 128 and data[-128:-125] == b"TAG" else None
    field = lambda a, b: tag[a:b].split(b"\0")[0].decode("latin-1") if tag else ""
    try:
        secs = float(subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration",
                                     "-of", "default=nw=1:nk=1", path], capture_output=True, text=True).stdout)
    except ValueError:
        secs = 0.0
    print("  %-44s %8d bytes %5.1f s  artist=%r title=%r comment=%r"
          % (os.path.basename(path), len(data), secs, field(33, 63), field(3, 33), field(97, 127)))
PY
exit "$status"
