"""What the benchmark scripts share: the tools they need, a work folder and
the processes they start, all stopped and removed when the script ends."""
import atexit, os, shutil, signal, subprocess, sys, tempfile


def require(*tools):
    for tool in tools:
        if not shutil.which(tool):
            sys.exit(f"bench: {tool} is missing (bash scripts/setup.sh installs it)")


def workspace(prefix):
    """A fresh work folder and the list to append started processes to."""
    work = tempfile.mkdtemp(prefix=prefix)
    procs = []

    def stop_all():
        for p in reversed(procs):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(work, ignore_errors=True)

    atexit.register(stop_all)
    return work, procs


def start_display(procs):
    """Xvfb on a display number of its own; returns the server and the number.
    The server joins `procs`, to be stopped with them."""
    # A display number of our own, well away from the low ones other display
    # servers on this machine pick, so none of them can take it over.
    for attempt in range(20):
        number = 300 + (os.getpid() + 37 * attempt) % 600
        if os.path.exists(f"/tmp/.X11-unix/X{number}"):
            continue
        rfd, wfd = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", f":{number}", "-displayfd", str(wfd), "-screen", "0", "1280x800x24",
                                 "-nolisten", "tcp"], pass_fds=(wfd,), stderr=subprocess.DEVNULL)
        procs.append(xvfb)
        os.close(wfd)
        # Xvfb may write the number and its newline apart, and dies when the
        # pipe is closed before the newline: read up to it.
        data = b""
        while not data.endswith(b"\n"):
            piece = os.read(rfd, 32)
            if not piece:
                break
            data += piece
        os.close(rfd)
        display = data.decode().strip()
        if display and xvfb.poll() is None:
            return xvfb, display
        xvfb.wait(timeout=10)
    sys.exit("bench: Xvfb did not start")
