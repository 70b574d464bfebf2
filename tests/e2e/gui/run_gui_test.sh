#!/usr/bin/env bash
# Runs one GUI test script the way a user meets the programs: on its own Xvfb
# display, inside its own D-Bus session with the accessibility bus, with a
# fresh home folder. Everything started here is stopped on the way out.
#
#   run_gui_test.sh <script.py> [args...]
#
# Exit status: the script's; 77 when a needed tool is missing (1 with CI=true).
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
python=/usr/bin/python3
bus_launcher=/usr/libexec/at-spi-bus-launcher

missing_tool() {
    echo "run_gui_test: missing tool: $1" >&2
    if [ "${CI:-}" = "true" ]; then
        exit 1
    fi
    exit 77
}

if [ $# -lt 1 ]; then
    echo "usage: run_gui_test.sh <script.py> [args...]" >&2
    exit 2
fi
script="$1"
shift
if [ ! -f "$script" ]; then
    echo "run_gui_test: no such script: $script" >&2
    exit 2
fi

for tool in Xvfb dbus-run-session dbus-send setsid; do
    command -v "$tool" >/dev/null 2>&1 || missing_tool "$tool"
done
[ -x "$python" ] || missing_tool "$python"
[ -x "$bus_launcher" ] || missing_tool "$bus_launcher (at-spi2-core)"
"$python" -c 'import pyatspi' >/dev/null 2>&1 || missing_tool "pyatspi (python3-pyatspi)"

tmp="$(mktemp -d "${TMPDIR:-/tmp}/tonquill-gui.XXXXXX")" || exit 1
xvfb_pid=""
session_pid=""

# Stops a process group, politely first, and waits a bounded time for it.
stop_group() {
    local pgid="$1"
    [ -n "$pgid" ] || return 0
    kill -TERM -- "-$pgid" 2>/dev/null || return 0
    for _ in $(seq 1 30); do
        kill -0 -- "-$pgid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -KILL -- "-$pgid" 2>/dev/null
}

cleanup() {
    local status=$?
    trap - EXIT INT TERM HUP PIPE
    # Programs the script started run in groups of their own; the driver
    # writes their ids here in case the script itself was killed.
    if [ -f "$tmp/pgids" ]; then
        while read -r pgid; do
            stop_group "$pgid"
        done <"$tmp/pgids"
    fi
    stop_group "$session_pid"
    stop_group "$xvfb_pid"
    if [ -n "${TONQUILL_GUI_KEEP:-}" ]; then
        echo "run_gui_test: kept $tmp" >&2
    else
        rm -rf "$tmp"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
trap 'exit 141' PIPE

mkdir -p "$tmp/home" "$tmp/config" "$tmp/data" "$tmp/cache" "$tmp/state" "$tmp/runtime" "$tmp/artifacts"
chmod 700 "$tmp/runtime"

# Xvfb picks a free display itself and writes its number to the file.
setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
display=""
for _ in $(seq 1 100); do
    if grep -q '^[0-9][0-9]*$' "$tmp/display" 2>/dev/null; then
        display=":$(head -n1 "$tmp/display")"
        break
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$display" ]; then
    echo "run_gui_test: Xvfb did not start" >&2
    cat "$tmp/xvfb.log" >&2
    exit 1
fi

unset WAYLAND_DISPLAY SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
export DISPLAY="$display"
export QT_QPA_PLATFORM=xcb
# The programs run with windows, whatever the suite around sets, and in
# English, whatever the desktop's language: a test names its own.
unset TONQUILL_HEADLESS
unset LANGUAGE LC_ALL LC_MESSAGES
export LANG=C.UTF-8
# Built with AddressSanitizer: the X keyboard library hands strndup buffers
# without a final zero (valid C), which the strict string check reports.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
fi
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export QT_ACCESSIBILITY=1
export NO_AT_BRIDGE=0
export GTK_MODULES=gail:atk-bridge
export HOME="$tmp/home"
export XDG_CONFIG_HOME="$tmp/config"
export XDG_DATA_HOME="$tmp/data"
export XDG_CACHE_HOME="$tmp/cache"
export XDG_STATE_HOME="$tmp/state"
export XDG_RUNTIME_DIR="$tmp/runtime"
export TONQUILL_GUI_TMP="$tmp"
export TONQUILL_GUI_ARTIFACTS="${TONQUILL_GUI_ARTIFACTS:-$tmp/artifacts}"
export PYTHONPATH="$here${PYTHONPATH:+:$PYTHONPATH}"
export PYTHONDONTWRITEBYTECODE=1

# Inside the session: the accessibility bus first, then the script.
# shellcheck disable=SC2016
inner='
launcher="$1"; python="$2"; shift 2
"$launcher" --launch-immediately >"$TONQUILL_GUI_TMP/at-spi.log" 2>&1 &
launcher_pid=$!
trap "kill $launcher_pid 2>/dev/null" EXIT
ready=""
for _ in $(seq 1 100); do
    # NameHasOwner does not start a second launcher through D-Bus activation.
    if dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q "boolean true"; then
        ready=1
        break
    fi
    kill -0 "$launcher_pid" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$ready" ]; then
    echo "run_gui_test: the accessibility bus did not start" >&2
    cat "$TONQUILL_GUI_TMP/at-spi.log" >&2
    exit 1
fi
"$python" "$@"
'
setsid dbus-run-session -- bash -c "$inner" inner "$bus_launcher" "$python" "$script" "$@" &
session_pid=$!
wait "$session_pid"
status=$?
exit "$status"
