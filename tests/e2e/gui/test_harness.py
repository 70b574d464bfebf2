"""Checks run_gui_test.sh from the outside: the script's exit status comes
back, the script sees its own display, session and home, everything the
run started is gone afterwards (also when the run is stopped), a missing
tool skips (fails with CI=true), and the driver's self-test passes inside."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
RUNNER = os.path.join(HERE, "run_gui_test.sh")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # A zombie that nobody reaped yet has ended too.
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False


def wait_for(condition, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


def run(script_text, folder, args=(), env=None, timeout=60):
    path = os.path.join(folder, "script_%d.py" % time.monotonic_ns())
    with open(path, "w") as f:
        f.write(script_text)
    full_env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    full_env.pop("CI", None)
    full_env.update(env or {})
    return subprocess.run(["/bin/bash", RUNNER, path, *args], env=full_env, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=timeout)


def status_cases(folder):
    cases = [
        ("passes", "import sys; sys.exit(0)", 0),
        ("fails with 3", "import sys; sys.exit(3)", 3),
        ("skips", "raise SystemExit(77)", 77),
        ("raises", "raise RuntimeError('boom')", 1),
    ]
    for label, text, expected in cases:
        result = run(text, folder)
        check(result.returncode == expected, "a script that %s gave %d, not %d: %s"
              % (label, result.returncode, expected, result.stderr.decode(errors="replace")[-500:]))


ENVIRONMENT_SCRIPT = r"""
import json, os, sys
import pyatspi
out = {k: os.environ.get(k) for k in ("DISPLAY", "QT_QPA_PLATFORM", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON",
       "NO_AT_BRIDGE", "HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "TONQUILL_GUI_TMP",
       "DBUS_SESSION_BUS_ADDRESS")}
out["args"] = sys.argv[1:]
out["desktop"] = pyatspi.Registry.getDesktop(0).getRoleName()
out["python"] = sys.executable
with open(sys.argv[1], "w") as f:
    json.dump(out, f)
"""


def environment_case(folder):
    import json
    report = os.path.join(folder, "environment.json")
    outer_bus = "unix:path=/nonexistent/outer-bus"
    result = run(ENVIRONMENT_SCRIPT, folder, args=(report, "second arg"),
                 env={"DBUS_SESSION_BUS_ADDRESS": outer_bus, "HOME": "/nonexistent-home"})
    check(result.returncode == 0, "the environment script failed: %s" % result.stderr.decode(errors="replace"))
    if result.returncode != 0:
        return
    with open(report) as f:
        seen = json.load(f)
    tmp = seen["TONQUILL_GUI_TMP"] or "?"
    expected = {"QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "NO_AT_BRIDGE": "0",
                "desktop": "desktop frame", "python": "/usr/bin/python3", "args": [report, "second arg"]}
    for key, value in expected.items():
        check(seen[key] == value, "%s is %r inside, not %r" % (key, seen[key], value))
    check((seen["DISPLAY"] or "").startswith(":"), "DISPLAY is %r" % seen["DISPLAY"])
    check(seen["DBUS_SESSION_BUS_ADDRESS"] not in (None, outer_bus), "the script shares the outer D-Bus session")
    for key in ("HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"):
        check((seen[key] or "").startswith(tmp + "/"), "%s=%r is not in the run's folder %r" % (key, seen[key], tmp))
    # Afterwards the display and the folder are gone.
    number = (seen["DISPLAY"] or ":x")[1:]
    check(wait_for(lambda: not os.path.exists("/tmp/.X%s-lock" % number), 5), "Xvfb %s still runs" % seen["DISPLAY"])
    check(not os.path.exists(tmp), "the run's folder %s was left behind" % tmp)


LEAVE_BEHIND_SCRIPT = r"""
import os, sys, time
import atspi_driver as gui
app = gui.App(["sleep", "300"], name="sleeper")
with open(sys.argv[1], "w") as f:
    f.write("%d %s\n" % (app.pid, os.environ["DISPLAY"]))
if sys.argv[2] == "wait":
    for _ in range(600):
        time.sleep(0.1)
os._exit(0)  # no clean-up of its own
"""


def read_started(path):
    try:
        with open(path) as f:
            pid, display = f.read().split()
        return int(pid), display
    except (OSError, ValueError):
        return None


def cleanup_cases(folder):
    # The script exits without stopping what it started.
    report = os.path.join(folder, "left.txt")
    result = run(LEAVE_BEHIND_SCRIPT, folder, args=(report, "exit"))
    check(result.returncode == 0, "the leaving script gave %d" % result.returncode)
    started = read_started(report)
    check(started is not None, "the leaving script did not start its program")
    if started:
        check(wait_for(lambda: not alive(started[0]), 5), "a program the script left behind still runs")

    # The run itself is stopped (as ctest does at its time-out).
    report = os.path.join(folder, "stopped.txt")
    path = os.path.join(folder, "stopped.py")
    with open(path, "w") as f:
        f.write(LEAVE_BEHIND_SCRIPT)
    env = dict(os.environ)
    env.pop("CI", None)
    runner = subprocess.Popen(["/bin/bash", RUNNER, path, report, "wait"], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        check(wait_for(lambda: read_started(report) is not None, 20), "the waiting script did not start")
        started = read_started(report)
        runner.send_signal(signal.SIGTERM)
        code = runner.wait(15)
        check(code == 143, "a stopped run gave %d, not 143" % code)
        if started:
            check(wait_for(lambda: not alive(started[0]), 5), "a stopped run left its program running")
            check(wait_for(lambda: not os.path.exists("/tmp/.X%s-lock" % started[1][1:]), 5),
                  "a stopped run left Xvfb %s running" % started[1])
    finally:
        if runner.poll() is None:
            runner.kill()
            runner.wait(5)


def missing_tool_cases(folder):
    # A PATH with nothing but what the runner needs before its tool check.
    bare = os.path.join(folder, "bare-bin")
    os.makedirs(bare, exist_ok=True)
    for tool in ("dirname",):
        os.symlink(shutil.which(tool), os.path.join(bare, tool))
    for ci, expected in [(None, 77), ("true", 1)]:
        env = {"PATH": bare}
        if ci:
            env["CI"] = ci
        result = run("raise SystemExit(0)", folder, env=env)
        message = result.stderr.decode(errors="replace")
        check(result.returncode == expected, "a missing Xvfb with CI=%s gave %d, not %d" % (ci, result.returncode,
                                                                                          expected))
        check("missing tool: Xvfb" in message, "the missing tool is not named: %r" % message)


def selftest_case():
    result = subprocess.run(["/bin/bash", RUNNER, os.path.join(HERE, "driver_selftest.py")],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    check(result.returncode == 0, "the driver self-test failed: %s" % result.stderr.decode(errors="replace"))


def main():
    for tool in ("Xvfb", "dbus-run-session"):
        if not shutil.which(tool):
            print("SKIP: missing tool: " + tool, file=sys.stderr)
            sys.exit(1 if os.environ.get("CI") == "true" else 77)
    with tempfile.TemporaryDirectory() as folder:
        status_cases(folder)
        environment_case(folder)
        cleanup_cases(folder)
        missing_tool_cases(folder)
    selftest_case()
    if failures:
        print("FAIL:\n  " + "\n  ".join(failures), file=sys.stderr)
        sys.exit(1)
    print("PASS", file=sys.stderr)


if __name__ == "__main__":
    main()
