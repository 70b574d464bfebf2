#!/usr/bin/env python3
"""HTTPS ingest benchmark on loopback: a local TLS stream server (certificate
made with openssl) sends the same fast stream to curl and to the headless
recorder; prints both throughputs and their ratio (target: at least 0.8).
With --plain the same stream goes over plain HTTP, which separates the cost
of TLS from the recorder's own work on each chunk."""
import os, shutil, socket, ssl, subprocess, sys, tempfile, threading, time

here, build = sys.argv[1], sys.argv[2]
plain = "--plain" in sys.argv[3:]
scheme = "http" if plain else "https"
tonquill = os.environ.get("TONQUILL_BIN", os.path.join(build, "app", "tonquill"))
SIZE = int(os.environ.get("BENCH_TLS_BYTES", str(512 * 1024 * 1024)))
work = tempfile.mkdtemp(prefix="tonquill-tls-")
cert, key = os.path.join(work, "cert.pem"), os.path.join(work, "key.pem")
subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "2",
                "-subj", "/CN=bench", "-addext", "subjectAltName=IP:127.0.0.1"], check=True, capture_output=True)
frame = bytes([0xFF, 0xFB, 0x90, 0x00]) + bytes(413)
block = frame * 160  # about 65 KB of silent frames
done = {}


def serve(conn, label):
    try:
        request = b""
        while b"\r\n\r\n" not in request:
            piece = conn.recv(4096)
            if not piece:
                return
            request += piece
        if b".m3u" in request.split(b"\r\n")[0]:
            body = f"{scheme}://127.0.0.1:{port}/stream\r\n".encode()
            conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: audio/x-mpegurl\r\n\r\n" + body)
            return
        conn.sendall(b"ICY 200 OK\r\nicy-name:TLS Bench\r\nicy-br:128\r\nContent-Type: audio/mpeg\r\n\r\n")
        start, sent = time.monotonic(), 0
        view = memoryview(block)
        while sent < SIZE:
            n = min(len(block), SIZE - sent)
            conn.sendall(view[:n])
            sent += n
        done[label] = (sent, time.monotonic() - start)
    except OSError:
        pass
    finally:
        try:
            conn.close()
        except OSError:
            pass


ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
ctx.load_cert_chain(cert, key)
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(8)
port = listener.getsockname()[1]
current = {"label": None}


def accept_loop():
    while True:
        try:
            raw, _ = listener.accept()
            conn = raw if plain else ctx.wrap_socket(raw, server_side=True)
        except OSError:
            continue
        threading.Thread(target=serve, args=(conn, current["label"]), daemon=True).start()


threading.Thread(target=accept_loop, daemon=True).start()


def run_curl():
    current["label"] = "curl"
    t = time.monotonic()
    subprocess.run(["curl", "-s", "--http0.9", "--cacert", cert, "-o", "/dev/null", f"{scheme}://127.0.0.1:{port}/stream"], check=True)
    return SIZE / (time.monotonic() - t)


def run_tonquill():
    current["label"] = "tonquill"
    out = os.path.join(work, "out")
    os.makedirs(out, exist_ok=True)
    preset = os.path.join(work, "tls.tvp")
    with open(preset, "w") as f:
        f.write(f"TLS Bench\r\n{scheme}://127.0.0.1:{port}/list.m3u\r\nFILENAME bench.mp3\r\n{out}/\r\n 0 \r\n 0 \r\n")
    env = dict(os.environ, TONQUILL_HOME=work, TONQUILL_HEADLESS="1", TONQUILL_NO_PAUSES="1", TONQUILL_CA_FILE=cert)
    path = os.path.join(out, "bench.mp3")
    if os.path.exists(path):
        os.remove(path)
    t = time.monotonic()
    p = subprocess.Popen([tonquill, preset], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = t + 600
        while time.monotonic() < deadline:
            if os.path.exists(path) and os.path.getsize(path) >= SIZE:
                break
            if p.poll() is not None:
                raise SystemExit("tonquill ended early")
            time.sleep(0.02)
        elapsed = time.monotonic() - t
    finally:
        p.terminate()
        p.wait(15)
    return os.path.getsize(path) / elapsed


try:
    curl = sorted(run_curl() for _ in range(3))[1]
    rec = sorted(run_tonquill() for _ in range(3))[1]
    print(f"{scheme.upper()} ingest of {SIZE / 1e6:.0f} MB on 127.0.0.1 (median of 3): curl {curl / 1e6:.1f} MB/s, "
          f"tonquill {rec / 1e6:.1f} MB/s, ratio {rec / curl:.2f} (target 0.80: {'met' if rec >= 0.8 * curl else 'NOT met'})")
finally:
    listener.close()
    shutil.rmtree(work, ignore_errors=True)
