#!/usr/bin/env python3
"""Local ICY test station: an internet-radio server for demos and tests.

Serves real, decodable MP3 with scripted stream titles, playlists that point
at itself, and a set of faults, on 127.0.0.1 only. Python 3 standard library
only; the audio is made once with sox and lame and kept in a cache folder
(when they are missing, or with --synth, silent MP3 frames are synthesised).

When it is ready it prints one line on stdout:

    LISTENING <port>

(preceded by "REFUSING <port>" when --refusing-port is given). It ends by
itself after --lifetime seconds, and on SIGTERM or SIGINT.

Paths (the query string may override the options of one request):

    /stream...        the stream (any path that starts with /stream)
    /noname           the stream without an icy-name line
    /split            the stream, its response header sent in small pieces
    /stall            the stream, which stops after --stall-after audio bytes
                      but keeps the connection open
    /drop             the stream, closed after --drop-after audio bytes
    /icyNNN           an "ICY NNN ..." line, then close (e.g. /icy400,
                      /icy401, /icy403, /icy404)
    /httpNNN          an "HTTP/1.0 NNN ..." answer with a small page, then
                      close (e.g. /http404, /http503)
    /redirect         "HTTP/1.0 302 Found" with a Location line pointing at
                      --redirect-to (default /stream on this station)
    /browser          a web page containing "SHOUTcast Server"
    /ogg, /opus       chained Ogg Vorbis or Ogg Opus: one logical stream per
                      title, with the title's ARTIST and TITLE comments
                      (made with ffmpeg at start; 503 without ffmpeg)
    /ogg.pls, /opus.pls, /ogg.m3u, /opus.m3u
                      playlists listing this station's /ogg or /opus
    /station.pls      a PLS playlist, /station.m3u an M3U playlist; both list
                      this station's /stream unless ?paths= says otherwise
    /hls/...          HLS: packed audio, MPEG-TS, a master playlist, AES-128
                      and faults (see teststation_hls.py)

Query overrides on stream paths:

    metaint=N  style=icy|http  br=N  name=TEXT  noname=1  split=1
    stall=N  drop=N  total=N  fast=1  songbytes=N  repeat=1  down=S  reset=1
    (e.g. /stream?style=http&metaint=1000&drop=50000)

On /redirect: to=URL-or-path (a path is taken on this station), lower=1
writes the header as "location:". On the playlists: paths=P1,P2,... with
paths or full URLs; the word "refused" stands for the --refusing-port
address; title=TEXT.

Options:

    --port N              port to listen on; 0 (default) picks a free one
    --lifetime S          end after S seconds (default 600)
    --metaint N           metadata interval in audio bytes (default 8192)
    --bitrate K           kbit/s of the MP3 and of "icy-br" (default 128)
    --status-style S      "icy" for "ICY 200 OK" (default) or "http" for
                          "HTTP/1.0 200 OK"
    --name TEXT           icy-name (default "Tonquill Test Station")
    --titles A,B,...      the stream titles, in turn, forever (default three)
    --titles-file F       the titles, one a line (UTF-8), instead of --titles
    --title-encoding E    "utf-8" (default) or "cp1252" for the title bytes
    --song-seconds S      a title lasts S seconds of audio (default 30)
    --song-bytes N        a title lasts N audio bytes (overrides seconds)
    --repeat-titles       send the title in every metadata block; otherwise
                          only in the first block and when it changes, and
                          empty blocks (length byte 0) in between
    --fast                send as fast as possible instead of in real time
    --total-bytes N       close a stream after N audio bytes (0: never)
    --stall-after N       audio bytes before /stall stops (default 65536)
    --drop-after N        audio bytes before /drop closes (default 65536)
    --redirect-to URL     target of /redirect (path or full URL)
    --redirect-lower      write the redirect's header as "location:"
    --split-size N        bytes per write of a split header (default 7)
    --split-delay MS      pause between those writes (default 15)
    --refusing-port       reserve a port that refuses connections and print
                          "REFUSING <port>" first
    --cache DIR           folder for the generated MP3 (default
                          $XDG_CACHE_HOME/tonquill-teststation)
    --synth               do not use sox/lame; synthesise silent frames
    --tone-seconds S      length of each generated tone, looped (default 4)
    --log FILE            append the log there ("-" for stdout)

The log has one line per event, fields as key=value:

    REQUEST id=N line=<first request line>
    TITLE id=N audio=<audio bytes sent before the block> title=<title>
    END id=N path=<path> audio=<audio bytes sent> meta=<metadata bytes sent>
        reason=<total|drop|stall-closed|client-closed|done|shutdown>

Audio counts only bytes whose send completed, so "END ... audio=" is what a
client reading to the end received.
"""

import argparse
import bisect
import hashlib
import os
import re
import signal
import random
import socket
import socketserver
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import zlib

import teststation_hls

BITRATES_MPEG1_L3 = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]
SAMPLE_RATE = 44100
DEFAULT_TITLES = "Alpha Artist - First Song,Beta Artist - Second Song,Gamma Artist - Third Song"

ICY_REASONS = {
    400: "Server Full",
    401: "Service Unavailable",
    403: "Service Forbidden",
    404: "Resource Not Found",
}
HTTP_REASONS = {
    400: "Bad Request",
    401: "Unauthorized",
    403: "Forbidden",
    404: "Not Found",
    500: "Internal Server Error",
    503: "Service Unavailable",
}


# ---------------------------------------------------------------- audio


class Song:
    """The frames of one looped tone: the bytes and where each frame starts."""

    def __init__(self, data):
        self.data = data
        self.view = memoryview(data)
        self.offsets = frame_offsets(data)
        if not self.offsets or self.offsets[0] != 0:
            raise ValueError("no MPEG frames at the start of the audio")
        # The data is cut to whole frames; its end is a frame boundary.
        self.offsets.append(len(data))


def frame_length(header):
    """Length of an MPEG-1 Layer III frame from its 4 header bytes, or 0."""
    b1, b2 = header[1], header[2]
    if header[0] != 0xFF or (b1 & 0xFE) != 0xFA:
        return 0
    index = b2 >> 4
    rate_index = (b2 >> 2) & 3
    if index in (0, 15) or rate_index == 3:
        return 0
    rate = (44100, 48000, 32000)[rate_index]
    return 144000 * BITRATES_MPEG1_L3[index] // rate + ((b2 >> 1) & 1)


def frame_offsets(data):
    offsets = []
    pos = 0
    while pos + 4 <= len(data):
        n = frame_length(data[pos:pos + 4])
        if n == 0 or pos + n > len(data):
            break
        offsets.append(pos)
        pos += n
    return offsets


def whole_frames(data):
    """Skips a leading ID3v2 tag and keeps the whole frames that follow."""
    if data[:3] == b"ID3" and len(data) >= 10:
        size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
        data = data[10 + size:]
    offsets = frame_offsets(data)
    if not offsets:
        return b""
    last = offsets[-1]
    return data[:last + frame_length(data[last:last + 4])]


def silent_frames(bitrate, seconds):
    """Valid MPEG-1 Layer III frames that decode to silence."""
    index = BITRATES_MPEG1_L3.index(bitrate)
    size = 144000 * bitrate // SAMPLE_RATE
    header = bytes([0xFF, 0xFB, index << 4, 0xC4])  # mono, no padding
    frame = header + bytes(size - 4)  # side info and main data all zero
    count = max(1, int(seconds * SAMPLE_RATE / 1152))
    return frame * count


def tone_frequency(number):
    return 330 + 110 * (number % 12)


def cache_folder(option):
    candidates = []
    if option:
        candidates.append(option)
    xdg = os.environ.get("XDG_CACHE_HOME")
    if xdg:
        candidates.append(os.path.join(xdg, "tonquill-teststation"))
    home = os.path.expanduser("~")
    if home and home != "~":
        candidates.append(os.path.join(home, ".cache", "tonquill-teststation"))
    candidates.append(os.path.join(tempfile.gettempdir(), "tonquill-teststation-%d" % os.getuid()))
    for folder in candidates:
        try:
            os.makedirs(folder, exist_ok=True)
            if os.access(folder, os.W_OK):
                return folder
        except OSError:
            continue
    return tempfile.mkdtemp(prefix="teststation-")


def make_tone(folder, frequency, seconds, bitrate):
    """A cached MP3 of a sine tone made with sox and lame; None on failure."""
    name = "tone-%dhz-%ss-%dk.mp3" % (frequency, seconds, bitrate)
    path = os.path.join(folder, name)
    if os.path.exists(path) and os.path.getsize(path) > 0:
        with open(path, "rb") as f:
            return f.read()
    fd, wav = tempfile.mkstemp(suffix=".wav", dir=folder)
    os.close(fd)
    partial = path + ".%d.part" % os.getpid()
    try:
        subprocess.run(["sox", "-n", "-r", str(SAMPLE_RATE), "-c", "2", "-b", "16", wav,
                        "synth", str(seconds), "sine", str(frequency), "vol", "0.3"],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        # No reservoir: every frame decodes on its own, so songs can be
        # joined at any frame. No Xing frame, no tags.
        subprocess.run(["lame", "--silent", "-b", str(bitrate), "--cbr", "-t", "--nores",
                        "--resample", "44.1", wav, partial],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        os.replace(partial, path)
        with open(path, "rb") as f:
            return f.read()
    except (OSError, subprocess.SubprocessError):
        return None
    finally:
        for p in (wav, partial):
            try:
                os.remove(p)
            except OSError:
                pass


def build_songs(args, count):
    songs = []
    folder = None if args.synth else cache_folder(args.cache)
    for number in range(count):
        data = None
        if folder:
            raw = make_tone(folder, tone_frequency(number), args.tone_seconds, args.bitrate)
            if raw:
                data = whole_frames(raw)
        if not data:
            data = silent_frames(args.bitrate, args.tone_seconds)
        songs.append(Song(data))
    return songs


class SongSource:
    """Audio of the scripted songs in turn; a song changes at a frame
    boundary once it has lasted its share of bytes."""

    def __init__(self, songs, titles, song_bytes):
        self.songs = songs
        self.titles = titles
        self.song_bytes = max(1, song_bytes)
        self.number = 0
        self.pos = 0
        self.left = self.song_bytes

    @property
    def title(self):
        return self.titles[self.number % len(self.titles)]

    def read(self, n):
        song = self.songs[self.number % len(self.songs)]
        if self.left <= 0:
            at = bisect.bisect_left(song.offsets, self.pos)
            if song.offsets[at] == self.pos:
                self.number += 1
                self.pos = 0
                self.left = max(1, self.left + self.song_bytes)
                song = self.songs[self.number % len(self.songs)]
        limit = len(song.data) - self.pos
        if self.left <= 0:
            end = song.offsets[bisect.bisect_right(song.offsets, self.pos)]
            limit = end - self.pos
        elif self.left < min(n, limit):
            end = song.offsets[bisect.bisect_left(song.offsets, self.pos + self.left)]
            limit = end - self.pos
        n = min(n, limit)
        piece = song.view[self.pos:self.pos + n]
        self.pos += n
        self.left -= n
        if self.pos == len(song.data):
            self.pos = 0
        return piece


OGG_CODECS = {"ogg": ("libvorbis", 44100, ".ogg"), "opus": ("libopus", 48000, ".opus")}


def ogg_pages(data):
    """The (offset, size) of each whole page of an Ogg file."""
    pages, at = [], 0
    while at + 27 <= len(data) and data[at:at + 4] == b"OggS":
        segments = data[at + 26]
        size = 27 + segments + sum(data[at + 27:at + 27 + segments])
        if at + size > len(data):
            break
        pages.append((at, size))
        at += size
    return pages


# A song played again is a new logical stream: it gets a serial number of its
# own. The page CRC (polynomial 0x04C11DB7, start 0, not reflected) is linear,
# so the new CRC is the old one plus the CRC of the serial's change moved past
# the bytes after it: crc(d) * x^(8n) mod P.
OGG_POLY = 0x104C11DB7
OGG_CRC_TABLE = []
for _byte in range(256):
    _r = _byte << 24
    for _ in range(8):
        _r = ((_r << 1) ^ OGG_POLY) if _r & 0x80000000 else (_r << 1)
    OGG_CRC_TABLE.append(_r & 0xFFFFFFFF)


def ogg_crc(data):
    crc = 0
    for b in data:
        crc = ((crc << 8) & 0xFFFFFFFF) ^ OGG_CRC_TABLE[((crc >> 24) ^ b) & 0xFF]
    return crc


def gf_mulmod(a, b):
    r = 0
    for i in range(31, -1, -1):
        r <<= 1
        if r & 0x100000000:
            r ^= OGG_POLY
        if (b >> i) & 1:
            r ^= a
    return r


def gf_xpow(bits):
    """x^bits mod P."""
    result, base = 1, 2
    while bits:
        if bits & 1:
            result = gf_mulmod(result, base)
        base = gf_mulmod(base, base)
        bits >>= 1
    return result


class OggSong:
    """An Ogg file's pages, to be sent under any serial number."""

    def __init__(self, data):
        self.data = data
        self.pages = ogg_pages(data)
        self.shift = [gf_xpow(8 * (size - 18)) for _, size in self.pages]

    def page(self, index, serial):
        at, size = self.pages[index]
        page = bytearray(self.data[at:at + size])
        old = struct.unpack_from("<I", page, 14)[0]
        if old != serial:
            crc = struct.unpack_from("<I", page, 22)[0]
            change = ogg_crc(struct.pack("<I", old ^ serial))
            struct.pack_into("<I", page, 14, serial)
            struct.pack_into("<I", page, 22, crc ^ gf_mulmod(change, self.shift[index]))
        return page


def make_ogg_song(folder, kind, number, title, seconds, bitrate):
    """A cached Ogg song of a sine tone made with ffmpeg, its comments from
    "ARTIST - TITLE" (TITLE alone without " - "); None on failure."""
    codec, rate, ext = OGG_CODECS[kind]
    artist, _, name = title.rpartition(" - ")
    key = hashlib.sha1(("%s|%s|%s|%s|%s" % (kind, number, title, seconds, bitrate)).encode("utf-8")).hexdigest()[:16]
    path = os.path.join(folder, "song-%s%s" % (key, ext))
    if not (os.path.exists(path) and os.path.getsize(path) > 0):
        partial = path + ".%d.part%s" % (os.getpid(), ext)
        # At low priority, beside whatever the station serves meanwhile.
        cmd = ["nice", "-n", "19", "ffmpeg", "-v", "error", "-y", "-threads", "1", "-f", "lavfi", "-i",
               "sine=f=%d:d=%s" % (tone_frequency(number), seconds), "-ac", "2", "-ar", str(rate),
               "-c:a", codec, "-b:a", "%dk" % bitrate, "-serial_offset", str(1000 * (number + 1)),
               "-metadata", "TITLE=" + name]
        if artist:
            cmd += ["-metadata", "ARTIST=" + artist]
        try:
            subprocess.run(cmd + [partial], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=300)
            os.replace(partial, path)
        except (OSError, subprocess.SubprocessError):
            try:
                os.remove(partial)
            except OSError:
                pass
            return None
    with open(path, "rb") as f:
        data = f.read()
    song = OggSong(data)
    return song if song.pages else None


def build_ogg_songs(args, titles, kind):
    """The Ogg songs of every title, or None when ffmpeg cannot make them."""
    if args.synth:
        return None
    folder = cache_folder(args.cache)
    songs = []
    for number, title in enumerate(titles):
        song = make_ogg_song(folder, kind, number, title, args.song_seconds, args.bitrate)
        if not song:
            return None
        songs.append(song)
    return songs


def metadata_block(title_bytes, url=b""):
    prefix, suffix = b"StreamTitle='", b"';StreamUrl='" + url + b"';"
    room = 255 * 16 - len(prefix) - len(suffix)
    text = prefix + title_bytes[:room] + suffix
    text += bytes((-len(text)) % 16)
    return bytes([len(text) // 16]) + text


# ---------------------------------------------------------------- covers


def cover_colour(number):
    """The colour of song `number`'s cover: far apart for the first songs."""
    return ((number * 97 + 40) % 256, (number * 57 + 200) % 256, (number * 151 + 90) % 256)


def png_picture(width, height, rgb):
    """A PNG of one colour, made with the standard library."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xffffffff)
    row = b"\0" + bytes(rgb) * width
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(row * height))
            + chunk(b"IEND", b""))


# What a StreamUrl names with "covers=<kind>": the song's own picture, or a
# picture address that answers badly.
COVER_KINDS = ("1", "page", "slow", "loop", "big", "wrongtype", "file")


def cover_url(station, kind, number):
    if kind == "1":
        return station.own_url("/cover/%d.png" % number)
    if kind == "file":
        return "file:///etc/hostname"
    return station.own_url("/cover/%s" % kind)


# ---------------------------------------------------------------- server


class Station:
    def __init__(self, args):
        self.args = args
        self.stop = threading.Event()
        self.port = 0
        self.refusing_port = 0
        self.log_lock = threading.Lock()
        self.log_file = None
        self.next_id = 0
        self.id_lock = threading.Lock()
        # An outage of the source: until this time (monotonic) stream
        # requests are answered 404, as Icecast does for a missing mount.
        self.down_until = 0.0
        self.titles = load_titles(args)
        self.hls = teststation_hls.HlsStation(self.titles, self.own_url)
        self.songs = build_songs(args, len(self.titles))
        # The Ogg songs are made beside the server; a request waits for them.
        self.ogg_songs = {}
        self.ogg_ready = threading.Event()
        threading.Thread(target=self.make_ogg, daemon=True).start()
        if args.log == "-":
            self.log_file = sys.stdout
        elif args.log:
            self.log_file = open(args.log, "a", encoding="utf-8")

    def make_ogg(self):
        for kind in self.args.ogg_codecs.split(","):
            if kind in OGG_CODECS:
                self.ogg_songs[kind] = build_ogg_songs(self.args, self.titles, kind)
        self.ogg_ready.set()

    def new_id(self):
        with self.id_lock:
            self.next_id += 1
            return self.next_id

    def log(self, text):
        if not self.log_file:
            return
        with self.log_lock:
            self.log_file.write(text + "\n")
            self.log_file.flush()

    def own_url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)


def load_titles(args):
    if args.titles_file:
        with open(args.titles_file, encoding="utf-8") as f:
            titles = [line.rstrip("\r\n") for line in f if line.strip()]
    else:
        titles = [t for t in args.titles.split(",") if t]
    return titles or ["Untitled"]


def read_request(sock):
    sock.settimeout(10)
    data = b""
    while b"\r\n\r\n" not in data and b"\n\n" not in data and len(data) < 16384:
        piece = sock.recv(4096)
        if not piece:
            break
        data += piece
    sock.settimeout(None)
    return data


def parse_request(data):
    head = data.replace(b"\r\n", b"\n").split(b"\n\n", 1)[0]
    lines = head.split(b"\n")
    first = lines[0].decode("latin-1") if lines else ""
    headers = {}
    for line in lines[1:]:
        if b":" in line:
            key, value = line.split(b":", 1)
            headers[key.strip().lower().decode("latin-1")] = value.strip().decode("latin-1")
    parts = first.split(" ")
    target = parts[1] if len(parts) >= 2 else "/"
    url = urllib.parse.urlsplit(target)
    query = {k: v[-1] for k, v in urllib.parse.parse_qs(url.query, keep_blank_values=True).items()}
    return first, url.path or "/", query, headers


class Connection:
    def __init__(self, station, sock, cid):
        self.station = station
        self.args = station.args
        self.sock = sock
        self.id = cid
        self.audio = 0
        self.meta = 0
        self.path = "?"

    def send(self, data):
        self.sock.sendall(data)

    def run(self):
        reason = "done"
        try:
            data = read_request(self.sock)
            first, path, query, headers = parse_request(data)
            parts = first.split(" ")
            self.target = parts[1] if len(parts) >= 2 else "/"
            self.path = path
            self.station.log("REQUEST id=%d line=%s" % (self.id, first))
            reason = self.dispatch(path, query, headers)
        except (BrokenPipeError, ConnectionResetError, socket.timeout):
            reason = "client-closed"
        except OSError:
            reason = "shutdown" if self.station.stop.is_set() else "client-closed"
        finally:
            self.station.log("END id=%d path=%s audio=%d meta=%d reason=%s"
                             % (self.id, self.path, self.audio, self.meta, reason))

    def next_request(self):
        """The next request on a kept-alive connection: (path, query, raw query), or None."""
        data = read_request(self.sock)
        if not data:
            return None
        first = parse_request(data)[0]
        self.station.log("REQUEST id=%d line=%s" % (self.id, first))
        parts = first.split(" ")
        return teststation_hls.split_target(parts[1] if len(parts) >= 2 else "/")

    def dispatch(self, path, query, headers):
        if path.startswith("/hls/"):
            return self.station.hls.serve(self, (path, query, urllib.parse.urlsplit(self.target).query))
        m = re.fullmatch(r"/icy(\d{3})", path)
        if m:
            code = int(m.group(1))
            self.send(("ICY %d %s\r\n\r\n" % (code, ICY_REASONS.get(code, "Error"))).encode())
            return "done"
        m = re.fullmatch(r"/http(\d{3})", path)
        if m:
            code = int(m.group(1))
            reason = HTTP_REASONS.get(code, "Error")
            page = "<html><body><h1>%d %s</h1></body></html>" % (code, reason)
            self.send(("HTTP/1.0 %d %s\r\nContent-Type: text/html\r\nContent-Length: %d\r\n\r\n%s"
                       % (code, reason, len(page), page)).encode())
            return "done"
        if path.startswith("/cover/"):
            return self.cover(path[len("/cover/"):])
        if path == "/redirect":
            return self.redirect(query)
        if path == "/browser":
            page = ("<html><head><title>SHOUTcast Administrator</title></head><body>"
                    "<h2>SHOUTcast Server Status</h2><p>Stream is up at 128 kbps</p></body></html>")
            self.send(("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: %d\r\n\r\n%s"
                       % (len(page), page)).encode())
            return "done"
        if path in ("/station.pls", "/station.m3u"):
            return self.playlist(path, query)
        if path in ("/ogg.pls", "/ogg.m3u", "/opus.pls", "/opus.m3u"):
            mount = path.rsplit(".", 1)[0]
            return self.playlist(path, dict(query, paths=query.get("paths", mount)))
        if path in ("/ogg", "/opus"):
            if time.monotonic() < self.station.down_until:
                self.send(b"HTTP/1.0 404 Not Found\r\n\r\n")
                return "outage"
            return self.ogg_stream(path[1:], dict(query))
        options = dict(query)
        if path == "/noname":
            options.setdefault("noname", "1")
        elif path == "/split":
            options.setdefault("split", "1")
        elif path == "/stall":
            options.setdefault("stall", str(self.args.stall_after))
        elif path == "/drop":
            options.setdefault("drop", str(self.args.drop_after))
        elif not path.startswith("/stream"):
            self.send(b"HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\n\r\nNo such path\r\n")
            return "done"
        if time.monotonic() < self.station.down_until:
            self.send(b"ICY 404 Resource Not Found\r\n\r\n")
            return "outage"
        meta_on = headers.get("icy-metadata", "0").strip() == "1"
        return self.stream(options, meta_on)

    def cover(self, name):
        m = re.fullmatch(r"(\d+)\.png", name)
        if m:
            picture = png_picture(48, 32, cover_colour(int(m.group(1))))
            self.send(b"HTTP/1.0 200 OK\r\nContent-Type: image/png\r\nContent-Length: %d\r\n\r\n" % len(picture)
                      + picture)
        elif name == "page":
            page = b"<html><body>Now playing</body></html>"
            self.send(b"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: %d\r\n\r\n" % len(page) + page)
        elif name == "wrongtype":
            page = b"<html><body>Now playing</body></html>"
            self.send(b"HTTP/1.0 200 OK\r\nContent-Type: image/png\r\nContent-Length: %d\r\n\r\n" % len(page) + page)
        elif name == "loop":
            self.send(b"HTTP/1.0 302 Found\r\nLocation: /cover/loop\r\nContent-Length: 0\r\n\r\n")
        elif name == "big":
            # More than a picture may hold, sent until the client leaves.
            self.send(b"HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n" + png_picture(8, 8, (1, 2, 3)))
            for _ in range(200):
                if self.station.stop.is_set():
                    break
                self.send(bytes(64 * 1024))
        elif name == "slow":
            # The head, then nothing until the station ends (or the client leaves).
            self.send(b"HTTP/1.0 200 OK\r\nContent-Type: image/png\r\nContent-Length: 5000\r\n\r\n")
            self.station.stop.wait(self.args.lifetime)
        else:
            self.send(b"HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n")
        return "done"

    def redirect(self, query):
        target = query.get("to") or self.args.redirect_to
        if target.startswith("/"):
            target = self.station.own_url(target)
        lower = query.get("lower", "1" if self.args.redirect_lower else "0") == "1"
        field = "location" if lower else "Location"
        self.send(("HTTP/1.0 302 Found\r\n%s: %s\r\nContent-Length: 0\r\n\r\n" % (field, target)).encode())
        return "done"

    def playlist(self, path, query):
        entries = []
        for item in (query.get("paths") or "/stream").split(","):
            item = item.strip()
            if not item:
                continue
            if item == "refused":
                item = "http://127.0.0.1:%d/stream" % self.station.refusing_port
            elif item.startswith("/"):
                item = self.station.own_url(item)
            entries.append(item)
        title = query.get("title") or self.args.name
        if path.endswith(".pls"):
            lines = ["[playlist]", "NumberOfEntries=%d" % len(entries)]
            for i, url in enumerate(entries, 1):
                lines += ["File%d=%s" % (i, url), "Title%d=(#%d - 1/1) %s" % (i, i, title), "Length%d=-1" % i]
            lines.append("Version=2")
            kind = "audio/x-scpls"
        else:
            lines = ["#EXTM3U"]
            for url in entries:
                lines += ["#EXTINF:-1,%s" % title, url]
            kind = "audio/x-mpegurl"
        body = ("\r\n".join(lines) + "\r\n").encode("utf-8")
        self.send(("HTTP/1.0 200 OK\r\nContent-Type: %s\r\nContent-Length: %d\r\n\r\n"
                   % (kind, len(body))).encode() + body)
        return "done"

    def stream_header(self, options, meta_on, metaint, content_type="audio/mpeg"):
        style = options.get("style", self.args.status_style)
        bitrate = options.get("br", str(self.args.bitrate))
        name = options.get("name", self.args.name)
        lines = ["HTTP/1.0 200 OK" if style == "http" else "ICY 200 OK"]
        if style == "http":
            lines += ["Server: teststation", "Cache-Control: no-cache"]
        lines += ["icy-notice1:<BR>This stream requires a compatible player<BR>",
                  "icy-notice2:Tonquill test station<BR>"]
        if options.get("noname", "0") != "1":
            lines.append("icy-name:%s" % name)
        lines += ["icy-genre:Test", "icy-url:%s" % self.station.own_url("/"),
                  "content-type:" + content_type, "icy-pub:0", "icy-br:%s" % bitrate]
        if meta_on:
            lines.append("icy-metaint:%d" % metaint)
        return ("\r\n".join(lines) + "\r\n\r\n").encode("utf-8")

    def stream(self, options, meta_on):
        args = self.args
        metaint = int(options.get("metaint", args.metaint))
        meta_on = meta_on and metaint > 0
        header = self.stream_header(options, meta_on, metaint)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        if options.get("split", "0") == "1":
            size = max(1, args.split_size)
            for at in range(0, len(header), size):
                self.send(header[at:at + size])
                if self.station.stop.wait(args.split_delay / 1000.0):
                    return "shutdown"
        else:
            self.send(header)

        stall = int(options.get("stall", 0))
        drop = int(options.get("drop", 0))
        total = int(options.get("total", args.total_bytes))
        fast = options.get("fast", "1" if args.fast else "0") == "1"
        repeat = options.get("repeat", "1" if args.repeat_titles else "0") == "1"
        bytes_per_second = args.bitrate * 125
        song_bytes = int(options.get("songbytes", args.song_bytes or args.song_seconds * bytes_per_second))
        limits = [(n, why) for n, why in ((stall, "stall"), (drop, "drop"), (total, "total")) if n > 0]
        limit, why = min(limits) if limits else (0, "")
        source = SongSource(self.station.songs, self.station.titles, song_bytes)
        covers = options.get("covers", "")
        encoding = args.title_encoding
        until_block = metaint
        last_title = None
        slice_size = 65536 if fast else max(1024, bytes_per_second // 10)
        started = time.monotonic()

        while not self.station.stop.is_set():
            want = slice_size
            if limit:
                want = min(want, limit - self.audio)
                if want <= 0:
                    break
            buffer = bytearray()
            audio = 0
            meta = 0
            titles = []
            while want > 0:
                n = min(want, until_block) if meta_on else want
                piece = source.read(n)
                buffer += piece
                want -= len(piece)
                audio += len(piece)
                until_block -= len(piece)
                if meta_on and until_block == 0:
                    title = source.title
                    if repeat or title != last_title:
                        url = b""
                        if covers in COVER_KINDS:
                            url = cover_url(self.station, covers, source.number % len(source.titles)).encode()
                        block = metadata_block(title.encode(encoding, "replace"), url)
                        titles.append((self.audio + audio, title))
                        last_title = title
                    else:
                        block = b"\0"
                    buffer += block
                    meta += len(block)
                    until_block = metaint
            for at, title in titles:
                self.station.log("TITLE id=%d audio=%d title=%s" % (self.id, at, title))
            self.send(buffer)
            self.audio += audio
            self.meta += meta
            if not fast:
                due = started + self.audio / bytes_per_second
                delay = due - time.monotonic()
                if delay > 0 and self.station.stop.wait(delay):
                    return "shutdown"
        if self.station.stop.is_set():
            return "shutdown"
        self.source_away(options, why)
        if why == "stall":
            return self.hold_open()
        if options.get("reset", "0") == "1":
            # reset=1: the connection ends with a reset instead of a close.
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.sock.close()
            return "reset"
        return why or "done"

    def source_away(self, options, why):
        """down=S: the source goes away for S seconds after this stream
        ends; --down S: after a stream that ended at its total."""
        down = float(options.get("down", self.args.down if why == "total" else 0))
        if down > 0:
            self.station.down_until = time.monotonic() + down

    def ogg_stream(self, kind, options):
        """The chained songs, whole pages only, in turn forever (or until
        `total` bytes, at the page that reaches them)."""
        self.station.ogg_ready.wait(600)
        songs = self.station.ogg_songs.get(kind)
        if not songs:
            self.send(b"HTTP/1.0 503 Service Unavailable\r\nContent-Type: text/plain\r\n\r\nNo Ogg songs\r\n")
            return "no-ogg"
        header = self.stream_header(dict(options, style="http"), False, 0, "audio/ogg")
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.send(header)
        total = int(options.get("total", self.args.total_bytes))
        fast = options.get("fast", "1" if self.args.fast else "0") == "1"
        started = time.monotonic()
        played = 0.0  # seconds of the songs sent whole
        number = 0
        while not self.station.stop.is_set():
            song = songs[number % len(songs)]
            pages = song.pages
            serial = (0x7E570000 + 7919 * (number + 1)) & 0xFFFFFFFF
            self.station.log("TITLE id=%d audio=%d title=%s"
                             % (self.id, self.audio, self.station.titles[number % len(songs)]))
            per_page = self.args.song_seconds / max(1, len(pages))
            at = 0
            while at < len(pages):
                # About 64 KB at a time when fast, else about a tenth of a second.
                end = at + 1
                if fast:
                    while end < len(pages) and pages[end][0] + pages[end][1] - pages[at][0] <= 65536:
                        end += 1
                else:
                    end = min(len(pages), at + max(1, int(0.1 / per_page)))
                piece = b"".join(song.page(i, serial) for i in range(at, end))
                self.send(piece)
                self.audio += len(piece)
                if total and self.audio >= total:
                    self.source_away(options, "total")
                    return "total"
                if not fast:
                    due = started + played + per_page * end
                    delay = due - time.monotonic()
                    if delay > 0 and self.station.stop.wait(delay):
                        return "shutdown"
                at = end
            played += self.args.song_seconds
            number += 1
        return "shutdown"

    def hold_open(self):
        """Sends nothing more but keeps the connection until the client
        closes it or the station ends."""
        self.sock.settimeout(0.2)
        while not self.station.stop.is_set():
            try:
                if not self.sock.recv(4096):
                    return "shutdown" if self.station.stop.is_set() else "stall-closed"
            except socket.timeout:
                continue
        return "shutdown"


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, station, port):
        self.station = station
        self.open_sockets = set()
        self.open_lock = threading.Lock()
        super().__init__(("127.0.0.1", port), Handler)


# With --high-port the station takes a random free port above 32767, so a
# client's whole port range is exercised; otherwise the kernel chooses.
HIGH_PORTS = (32768, 65535)


def bind_free(make, high):
    """Calls make(port): once with 0, or with random ports in HIGH_PORTS until one binds."""
    if not high:
        return make(0)
    rng = random.Random()
    last = None
    for _ in range(200):
        port = rng.randint(*HIGH_PORTS)
        try:
            return make(port)
        except OSError as e:
            last = e
    raise last


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        server = self.server
        with server.open_lock:
            server.open_sockets.add(self.request)
        try:
            Connection(server.station, self.request, server.station.new_id()).run()
        finally:
            with server.open_lock:
                server.open_sockets.discard(self.request)


def parse_args(argv):
    p = argparse.ArgumentParser(description="Local ICY test station (127.0.0.1 only).")
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--lifetime", type=float, default=600)
    p.add_argument("--metaint", type=int, default=8192)
    p.add_argument("--bitrate", type=int, default=128, choices=[b for b in BITRATES_MPEG1_L3 if b])
    p.add_argument("--status-style", choices=["icy", "http"], default="icy")
    p.add_argument("--name", default="Tonquill Test Station")
    p.add_argument("--titles", default=DEFAULT_TITLES)
    p.add_argument("--titles-file")
    p.add_argument("--title-encoding", choices=["utf-8", "cp1252"], default="utf-8")
    p.add_argument("--song-seconds", type=float, default=30)
    p.add_argument("--song-bytes", type=int, default=0)
    p.add_argument("--repeat-titles", action="store_true")
    p.add_argument("--fast", action="store_true")
    p.add_argument("--total-bytes", type=int, default=0)
    p.add_argument("--stall-after", type=int, default=65536)
    p.add_argument("--drop-after", type=int, default=65536)
    p.add_argument("--redirect-to", default="/stream")
    p.add_argument("--redirect-lower", action="store_true")
    p.add_argument("--split-size", type=int, default=7)
    p.add_argument("--split-delay", type=float, default=15)
    p.add_argument("--refusing-port", action="store_true")
    p.add_argument("--high-port", action="store_true")
    p.add_argument("--cache")
    p.add_argument("--synth", action="store_true")
    p.add_argument("--tone-seconds", type=int, default=4)
    p.add_argument("--ogg-codecs", default="ogg,opus")
    p.add_argument("--down", type=float, default=0)
    p.add_argument("--log")
    return p.parse_args(argv)


def main(argv):
    args = parse_args(argv)
    station = Station(args)
    signal.signal(signal.SIGTERM, lambda *_: station.stop.set())
    signal.signal(signal.SIGINT, lambda *_: station.stop.set())

    refusing = None
    if args.refusing_port:
        # Bound but never listening: connections to it are refused, and no
        # one else can take the port while the station runs.
        def reserve(port):
            sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            try:
                sock.bind(("127.0.0.1", port))
            except OSError:
                sock.close()
                raise
            return sock
        refusing = bind_free(reserve, args.high_port)
        station.refusing_port = refusing.getsockname()[1]
        print("REFUSING %d" % station.refusing_port, flush=True)

    if args.port:
        server = Server(station, args.port)
    else:
        server = bind_free(lambda port: Server(station, port), args.high_port)
    station.port = server.server_address[1]
    thread = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
    thread.start()
    print("LISTENING %d" % station.port, flush=True)

    station.stop.wait(args.lifetime)
    station.stop.set()
    server.shutdown()
    server.server_close()
    with server.open_lock:
        for s in list(server.open_sockets):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
    if refusing:
        refusing.close()
    time.sleep(0.1)  # lets the connections write their END lines
    station.log("EXIT")
    if station.log_file and station.log_file is not sys.stdout:
        station.log_file.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
