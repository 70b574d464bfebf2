"""What the benchmark scripts share: the tools they need, a work folder and
the processes they start, all stopped and removed when the script ends."""
import atexit, os, pwd, shutil, signal, subprocess, sys, tempfile, time, urllib.request


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


def start_icecast(work, procs, port, password, clients=20, mounts=""):
    """icecast2 on 127.0.0.1:port with its files in work/icecast (run as
    nobody when the script runs as root, which icecast2 refuses)."""
    share = next(d for d in ("/usr/share/icecast2", "/usr/share/icecast") if os.path.isdir(d + "/web"))
    folder = os.path.join(work, "icecast")
    os.makedirs(folder)
    conf = os.path.join(folder, "icecast.xml")
    with open(conf, "w") as f:
        f.write(f"""<icecast><location>127.0.0.1</location><admin>bench@localhost</admin>
<limits><clients>{clients}</clients><sources>2</sources><queue-size>524288</queue-size><client-timeout>30</client-timeout>
<header-timeout>15</header-timeout><source-timeout>10</source-timeout><burst-on-connect>1</burst-on-connect>
<burst-size>65535</burst-size></limits>
<authentication><source-password>{password}</source-password><relay-password>{password}</relay-password>
<admin-user>admin</admin-user><admin-password>{password}</admin-password></authentication>
<hostname>127.0.0.1</hostname><listen-socket><port>{port}</port><bind-address>127.0.0.1</bind-address></listen-socket>
{mounts}<fileserve>1</fileserve><paths><basedir>{folder}</basedir><logdir>{folder}</logdir><pidfile>{folder}/icecast.pid</pidfile>
<webroot>{share}/web</webroot><adminroot>{share}/admin</adminroot></paths>
<logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog><loglevel>3</loglevel></logging>
<security><chroot>0</chroot></security></icecast>""")
    cmd = ["icecast2", "-c", conf]
    if os.geteuid() == 0:
        nobody = pwd.getpwnam("nobody")
        os.chown(folder, nobody.pw_uid, nobody.pw_gid)
        os.chmod(conf, 0o644)
        os.chmod(work, 0o755)
        cmd = ["setpriv", f"--reuid={nobody.pw_uid}", f"--regid={nobody.pw_gid}", "--clear-groups", "--"] + cmd
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    procs.append(p)
    for _ in range(100):
        try:
            urllib.request.urlopen(f"http://127.0.0.1:{port}/status-json.xsl", timeout=1).read()
            return p
        except Exception:
            time.sleep(0.1)
    raise SystemExit("icecast2 did not start")
