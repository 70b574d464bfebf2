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
python3 tools/teststation.py --port 0 --lifetime 240 --song-seconds 20 --metaint 8192 \
  --name "Tonquill Demo Station" \
  --titles "Aurora Lane - Morning Light,The Quiet Hours - Café Nocturne,Marlow & Finch - Don't Look Back" \
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
for f in "${files[@]}"; do
  size=$(stat -c %s "$f")
  title=$(ffprobe -v error -show_entries format_tags=title -of default=nw=1:nk=1 "$f" 2>/dev/null || true)
  artist=$(ffprobe -v error -show_entries format_tags=artist -of default=nw=1:nk=1 "$f" 2>/dev/null || true)
  secs=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$f" 2>/dev/null || true)
  printf '  %-52s %9d bytes  %6ss  tag: artist="%s" title="%s"\n' "$(basename "$f")" "$size" "${secs%.*}" "$artist" "$title"
done
exit "$status"
