"""HLS mounts of the local test station (see teststation.py).

Every audio frame the station sends carries its own number (4 bytes, big
endian, after the frame header), so a test can tell which frames each
recorded song holds. The frames are silent-sized, not decodable, AAC in
ADTS (44.1 kHz, 1024 samples a frame) or MPEG-1 layer III (1152 samples);
with playable=1 the AAC frames are real (silent) AAC that any decoder
plays, their number in a data stream element inside the frame.

Paths (all under /hls/, answered over kept-alive HTTP/1.1):

    /hls/packed.m3u8   packed audio: each segment is an ID3 tag (the
                       transportStreamTimestamp PRIV frame, and TIT2/TPE1 when
                       a song starts there) and the frames; songs change at
                       segment starts
    /hls/ts.m3u8       MPEG-TS: audio PES packets of 5 frames, and the titles
                       as timed ID3 (stream type 0x15) at the first frame of
                       each song, in the middle of segments
    /hls/fmp4.m3u8     fragmented MP4 (AAC; #EXT-X-MAP /hls/init.mp4): one
                       fragment a segment, the titles as ID3 in emsg boxes at
                       the first sample of each song
    /hls/master.m3u8   a master playlist: /hls/packed.m3u8 at 64 and 128 kbit/s
    /hls/key           the AES-128 key of aes=1 and aes=2

Query options of the media playlists (kept on their segments):

    seg=S       seconds a segment lasts (default 2)
    song=S      seconds a song lasts (default 7; packed: whole segments)
    codec=aac|mp3   the audio (default aac)
    br=K        64 or 128 kbit/s frames (default 128)
    end=N       a finished stream: N segments and #EXT-X-ENDLIST
    window=N    live: the last N segments are listed (default 5)
    speed=X     live: the stream runs X times faster than real time
    extinf=1    titles only in #EXTINF (title="..",artist=".." pairs), no ID3 titles
    aes=1       segments encrypted with AES-128 (openssl), IV from the sequence
    aes=2       as aes=1, and fmp4's initialization section too: under a key
                tag with an IV that stands before #EXT-X-MAP
    playable=1  AAC frames that decode (silence), numbered inside the frame
    fail=N      segment N is answered 404 once
    stall=N     live: the playlist stops changing once it lists segment N
    jump=N      live: once segment N is listed the window jumps 5 segments ahead
    disc=N      #EXT-X-DISCONTINUITY before segment N, whose times start again
    stop=N      live: once segment N is listed the playlist ends (#EXT-X-ENDLIST)
"""

import math
import subprocess
import threading
import time
import urllib.parse

RATE = 44100
TS_OFFSET = 126000  # the first frame's PTS, as muxers leave room
KEY = b"tonquill-hls-key"
INIT_IV = bytes(range(16))  # the IV the key tag before an encrypted #EXT-X-MAP names


def opts(query):
    o = {
        "seg": int(query.get("seg", "2")),
        "song": float(query.get("song", "7")),
        "codec": query.get("codec", "aac"),
        "br": int(query.get("br", "128")),
        "end": int(query.get("end", "0")),
        "window": int(query.get("window", "5")),
        "speed": float(query.get("speed", "1")),
        "extinf": query.get("extinf") == "1",
        "aes": int(query.get("aes", "0")),
        "playable": query.get("playable") == "1",
    }
    for k in ("fail", "stall", "jump", "disc", "stop"):
        o[k] = int(query[k]) if k in query else -1
    return o


def spf(o):
    return 1152 if o["codec"] == "mp3" else 1024


def frame_start(o, seq):
    """The number of the first frame of segment `seq`."""
    return (seq * o["seg"] * RATE + spf(o) - 1) // spf(o)


def song_start(o, k, packed):
    if packed:
        per = max(1, round(o["song"] / o["seg"]))
        return frame_start(o, k * per)
    return math.ceil(k * o["song"] * RATE / spf(o))


def song_of(o, frame, packed):
    k = 0
    while song_start(o, k + 1, packed) <= frame:
        k += 1
    return k


class Bits:
    """Writes a bit stream, most significant bit first."""

    def __init__(self):
        self.bits = []

    def put(self, value, n):
        self.bits += [(value >> i) & 1 for i in range(n - 1, -1, -1)]

    def align(self):
        self.bits += [0] * (-len(self.bits) % 8)

    def bytes(self):
        self.align()
        return bytes(int("".join(map(str, self.bits[i:i + 8])), 2) for i in range(0, len(self.bits), 8))


def playable_raw(number, size):
    """The raw data block of a silent stereo AAC LC frame of `size` bytes
    (with its 7-byte header): a channel pair without spectral bands, then a
    data stream element that carries the frame's number and the padding."""
    b = Bits()
    b.put(1, 3); b.put(0, 4); b.put(0, 1)  # channel pair element, no common window
    for _ in range(2):
        b.put(100, 8)  # global gain
        b.put(0, 11)  # ics_info: long window, max_sfb 0, no prediction
        b.put(0, 3)  # no pulse, TNS or gain control data
    b.put(4, 3); b.put(0, 4); b.put(1, 1)  # data stream element, byte aligned
    head = len(b.bits) + 8
    if size - 7 - 1 - (head + 7) // 8 >= 255:
        head += 8  # the count's escape byte
    count = size - 7 - 1 - (head + 7) // 8
    if count >= 255:
        b.put(255, 8); b.put(count - 255, 8)
    else:
        b.put(count, 8)
    b.align()
    for x in number.to_bytes(4, "big") + bytes(count - 4):
        b.put(x, 8)
    b.put(7, 3)  # end
    return b.bytes()


def frame_bytes(o, number):
    if o["codec"] == "mp3":
        size = 417 if o["br"] == 128 else 208
        head = bytes([0xFF, 0xFB, 0x90 if o["br"] == 128 else 0x50, 0x64]) + bytes(4)
    else:
        size = 372 if o["br"] == 128 else 186
        head = bytes([0xFF, 0xF1, (1 << 6) | (4 << 2), (2 << 6) | ((size >> 11) & 3),
                      (size >> 3) & 0xFF, ((size & 7) << 5) | 0x1F, 0xFC])
        if o["playable"]:
            return head + playable_raw(number, size)
    body = number.to_bytes(4, "big")
    return head + body + bytes(size - len(head) - len(body))


def pts_of(o, frame, base_frame=0):
    return TS_OFFSET + (frame - base_frame) * spf(o) * 90000 // RATE


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3_tag(title=None, ts=None):
    frames = b""
    if ts is not None:
        body = b"com.apple.streaming.transportStreamTimestamp\0" + ts.to_bytes(8, "big")
        frames += b"PRIV" + syncsafe(len(body)) + b"\0\0" + body
    if title:
        artist, _, name = title.partition(" - ")
        if not name:
            artist, name = "", artist
        pairs = [(b"TIT2", name)] + ([(b"TPE1", artist)] if artist else [])
        for fid, text in pairs:
            body = b"\3" + text.encode("utf-8")
            frames += fid + syncsafe(len(body)) + b"\0\0" + body
    return b"ID3\4\0\0" + syncsafe(len(frames)) + frames


def box(kind, body):
    return (len(body) + 8).to_bytes(4, "big") + kind + body


def full_box(kind, version, flags, body):
    return box(kind, ((version << 24) | flags).to_bytes(4, "big") + body)


def mp4_init():
    """An initialization section of one AAC LC track: 44.1 kHz, stereo, track 1."""
    asc = bytes([0x12, 0x10])
    esds = full_box(b"esds", 0, 0, bytes.fromhex("0380808022000100") + bytes.fromhex("048080801440150000000001f4000001f400")
                    + bytes.fromhex("05808080") + bytes([len(asc)]) + asc + bytes.fromhex("068080800102"))
    mp4a = box(b"mp4a", bytes(6) + (1).to_bytes(2, "big") + bytes(8) + bytes.fromhex("00020010") + bytes(4)
               + bytes.fromhex("ac440000") + esds)
    stsd = full_box(b"stsd", 0, 0, (1).to_bytes(4, "big") + mp4a)
    stbl = box(b"stbl", stsd + full_box(b"stts", 0, 0, bytes(4)) + full_box(b"stsc", 0, 0, bytes(4))
               + full_box(b"stsz", 0, 0, bytes(8)) + full_box(b"stco", 0, 0, bytes(4)))
    tkhd = full_box(b"tkhd", 0, 3, bytes(8) + (1).to_bytes(4, "big") + bytes(68))
    mdhd = full_box(b"mdhd", 0, 0, bytes(8) + RATE.to_bytes(4, "big") + bytes(8))
    hdlr = full_box(b"hdlr", 0, 0, bytes(4) + b"soun" + bytes(12) + b"\0")
    mdia = box(b"mdia", mdhd + hdlr + box(b"minf", full_box(b"smhd", 0, 0, bytes(4)) + stbl))
    mvex = box(b"mvex", full_box(b"trex", 0, 0, (1).to_bytes(4, "big") + (1).to_bytes(4, "big") + bytes(12)))
    mvhd = full_box(b"mvhd", 0, 0, bytes(8) + RATE.to_bytes(4, "big") + bytes(84))
    return box(b"ftyp", b"iso6" + bytes(4) + b"iso6mp41") + box(b"moov", mvhd + box(b"trak", tkhd + mdia) + mvex)


class TsMuxer:
    def __init__(self, audio_type):
        self.out = bytearray()
        self.cc = {}
        pat = bytes.fromhex("00b00d0001c100000001f000") + bytes(4)
        self.packet(0, True, b"\0" + pat)
        pmt = bytes.fromhex("02b0170001c10000e100f000") + bytes([audio_type]) + bytes.fromhex("e100f000")
        pmt += bytes.fromhex("15e101f000") + bytes(4)
        self.packet(0x1000, True, b"\0" + pmt)

    def packet(self, pid, start, payload):
        cc = self.cc.get(pid, 0)
        self.cc[pid] = (cc + 1) & 15
        head = bytes([0x47, (0x40 if start else 0) | (pid >> 8), pid & 0xFF])
        stuffing = 184 - len(payload)
        if stuffing > 0:
            adapt = bytes([stuffing - 1]) + ((b"\0" + b"\xff" * (stuffing - 2)) if stuffing > 1 else b"")
            self.out += head + bytes([0x30 | cc]) + adapt + payload
        else:
            self.out += head + bytes([0x10 | cc]) + payload

    def pes(self, pid, stream_id, pts, payload):
        length = len(payload) + 8
        p = b"\0\0\1" + bytes([stream_id]) + (length if length <= 0xFFFF else 0).to_bytes(2, "big")
        p += bytes([0x80, 0x80, 5, 0x21 | ((pts >> 29) & 0x0E), (pts >> 22) & 0xFF, ((pts >> 14) & 0xFE) | 1,
                    (pts >> 7) & 0xFF, ((pts << 1) & 0xFE) | 1]) + payload
        for at in range(0, len(p), 184):
            self.packet(pid, at == 0, p[at:at + 184])


class HlsStation:
    def __init__(self, titles, own_url):
        self.titles = titles
        self.own_url = own_url
        self.t0 = time.monotonic()
        self.failed = set()
        self.lock = threading.Lock()

    def title(self, k):
        return self.titles[k % len(self.titles)]

    def live_range(self, o):
        now = int((time.monotonic() - self.t0) * o["speed"] / o["seg"])
        last = now + o["window"] - 1  # a window is listed from the start
        if o["stall"] >= 0 and last >= o["stall"]:
            last = o["stall"]
        if o["jump"] >= 0 and last >= o["jump"]:
            last += 5
        return max(0, last - o["window"] + 1), last

    def answer(self, path, query, raw_query):
        if path == "/hls/key":
            return 200, "application/octet-stream", KEY
        if path == "/hls/master.m3u8":
            text = "#EXTM3U\n"
            for br in (64, 128):
                text += "#EXT-X-STREAM-INF:BANDWIDTH=%d,CODECS=\"mp4a.40.2\"\npacked.m3u8?br=%d%s\n" % (
                    br * 1100, br, ("&" + raw_query) if raw_query else "")
            return 200, "application/vnd.apple.mpegurl", text.encode()
        if path == "/hls/init.mp4":
            init = mp4_init()
            return 200, "video/mp4", encrypt(init, INIT_IV) if opts(query)["aes"] == 2 else init
        if path in ("/hls/packed.m3u8", "/hls/ts.m3u8", "/hls/fmp4.m3u8"):
            return 200, "application/vnd.apple.mpegurl", self.playlist(path[5:-5], opts(query), raw_query)
        if path.startswith("/hls/seg/"):
            name = path[len("/hls/seg/"):]
            kind, _, rest = name.partition("-")
            seq = int(rest.split(".")[0])
            o = opts(query)
            with self.lock:
                if seq == o["fail"] and (kind, seq) not in self.failed:
                    self.failed.add((kind, seq))
                    return 404, "text/plain", b"not now\n"
            body = self.segment(kind, o, seq)
            if o["aes"]:
                body = encrypt(body, seq.to_bytes(16, "big"))
            return 200, {"ts": "video/mp2t", "fmp4": "video/iso.segment"}.get(kind, "audio/aac"), body
        return None

    def playlist(self, kind, o, raw_query):
        if o["end"]:
            first, last = 0, o["end"] - 1
        else:
            first, last = self.live_range(o)
        ended = bool(o["end"])
        if o["stop"] >= 0 and last >= o["stop"]:
            last, ended = o["stop"], True
        text = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:%d\n#EXT-X-MEDIA-SEQUENCE:%d\n" % (o["seg"], first)
        if kind == "fmp4" and o["aes"] == 2:
            # The initialization section under the key in force at its tag.
            text += "#EXT-X-KEY:METHOD=AES-128,URI=\"/hls/key\",IV=0x%s\n" % INIT_IV.hex()
            text += "#EXT-X-MAP:URI=\"/hls/init.mp4?aes=2\"\n"
        elif kind == "fmp4":  # before the key: the initialization section is not encrypted
            text += "#EXT-X-MAP:URI=\"/hls/init.mp4\"\n"
        if o["aes"]:
            text += "#EXT-X-KEY:METHOD=AES-128,URI=\"/hls/key\"\n"
        ext = {"ts": "ts", "fmp4": "m4s"}.get(kind, "mp3" if o["codec"] == "mp3" else "aac")
        packed = kind != "ts"
        for seq in range(first, last + 1):
            if seq == o["disc"]:
                text += "#EXT-X-DISCONTINUITY\n"
            info = ""
            if o["extinf"]:
                k = song_of(o, frame_start(o, seq), packed)
                artist, _, name = self.title(k).partition(" - ")
                info = "title=\"%s\",artist=\"%s\"" % (name, artist)
            text += "#EXTINF:%d.0,%s\nseg/%s-%d.%s?%s\n" % (o["seg"], info, kind, seq, ext, raw_query)
        if ended:
            text += "#EXT-X-ENDLIST\n"
        return text.encode()

    def segment(self, kind, o, seq):
        f0, f1 = frame_start(o, seq), frame_start(o, seq + 1)
        base = frame_start(o, o["disc"]) if 0 <= o["disc"] <= seq else 0
        if kind == "fmp4":
            return self.fragment(o, seq, f0, f1, base)
        packed = kind != "ts"
        if packed:
            k = song_of(o, f0, packed)
            starts = song_start(o, k, packed) == f0 and not o["extinf"]
            tag = id3_tag(self.title(k) if starts else None, pts_of(o, f0, base))
            return tag + b"".join(frame_bytes(o, f) for f in range(f0, f1))
        mux = TsMuxer(0x03 if o["codec"] == "mp3" else 0x0F)
        f = f0
        while f < f1:
            n = min(5, f1 - f)
            for g in range(f, f + n):
                k = song_of(o, g, False)
                if song_start(o, k, False) == g and not o["extinf"]:
                    mux.pes(0x101, 0xBD, pts_of(o, g, base), id3_tag(self.title(k)))
            mux.pes(0x100, 0xC0, pts_of(o, f, base), b"".join(frame_bytes(o, g) for g in range(f, f + n)))
            f += n
        return bytes(mux.out)

    def fragment(self, o, seq, f0, f1, base):
        out = b""
        for f in range(f0, f1):
            k = song_of(o, f, False)
            if song_start(o, k, False) == f and not o["extinf"]:
                body = (RATE.to_bytes(4, "big") + ((f - base) * 1024).to_bytes(8, "big") + bytes(8)
                        + b"https://aomedia.org/emsg/ID3\0\0" + id3_tag(self.title(k)))
                out += full_box(b"emsg", 1, 0, body)
        samples = [frame_bytes(o, f)[7:] for f in range(f0, f1)]
        entries = b"".join((1024).to_bytes(4, "big") + len(x).to_bytes(4, "big") for x in samples)
        tfhd = full_box(b"tfhd", 0, 0x020000, (1).to_bytes(4, "big"))
        tfdt = full_box(b"tfdt", 1, 0, ((f0 - base) * 1024).to_bytes(8, "big"))
        mfhd = full_box(b"mfhd", 0, 0, (seq + 1).to_bytes(4, "big"))
        trun_len = 8 + 4 + 4 + 4 + len(entries)
        moof_len = 8 + len(mfhd) + 8 + len(tfhd) + len(tfdt) + trun_len
        trun = full_box(b"trun", 0, 0x301, len(samples).to_bytes(4, "big") + (moof_len + 8).to_bytes(4, "big") + entries)
        out += box(b"moof", mfhd + box(b"traf", tfhd + tfdt + trun))
        return out + box(b"mdat", b"".join(samples))

    def serve(self, conn, first_request):
        """Answers requests on one kept-alive connection until the client closes it."""
        request = first_request
        served = 0
        while request is not None and served < 100000:
            path, query, raw = request
            result = self.answer(path, query, raw)
            if result is None:
                result = (404, "text/plain", b"No such path\n")
            status, ctype, body = result
            reason = {200: "OK", 404: "Not Found"}.get(status, "Error")
            conn.send(("HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %d\r\nConnection: keep-alive\r\n\r\n"
                       % (status, reason, ctype, len(body))).encode() + body)
            if path.startswith("/hls/seg/") and status == 200:
                conn.audio += len(body)
            served += 1
            request = conn.next_request()
        return "done"


def encrypt(body, iv):
    return subprocess.run(["openssl", "enc", "-aes-128-cbc", "-K", KEY.hex(), "-iv", iv.hex()], input=body,
                          capture_output=True, check=True).stdout


def split_target(target):
    url = urllib.parse.urlsplit(target)
    query = {k: v[-1] for k, v in urllib.parse.parse_qs(url.query, keep_blank_values=True).items()}
    return url.path or "/", query, url.query
