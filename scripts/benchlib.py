"""What the benchmark scripts share: the tools they need, a work folder and
the processes they start, all stopped and removed when the script ends."""
import atexit, shutil, signal, subprocess, sys, tempfile


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
