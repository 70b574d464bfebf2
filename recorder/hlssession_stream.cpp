// The HLS session's segments: fetched (and decrypted) in order, read, and
// handed to the listener as audio runs with each title before the first
// frame of its time.
#include "platform/tickcount.h"
#include "recorder/hlscrypt.h"
#include "recorder/hlssession.h"

namespace {
constexpr int kSegmentRetryMs = 1000;
constexpr qint64 kWrap = qint64(1) << 33;
constexpr qsizetype kMaxKeyBytes = 1024;
} // namespace

void HlsSession::fetchSegment(const HlsMediaSegment& segment)
{
    if (segment.key.method == HlsKey::Method::SampleAes || segment.key.method == HlsKey::Method::Other) {
        refuse(tr("HLS: this station's segments are encrypted with SAMPLE-AES, which cannot be recorded"));
        return;
    }
    // The keys first: an initialization section may be encrypted with the
    // key in force where its #EXT-X-MAP stands.
    const auto fetchKey = [this, &segment](const HlsKey& key) {
        if (key.method != HlsKey::Method::Aes128 || m_keys.contains(key.uri))
            return false;
        m_fetcher->Get(key.uri, kMaxKeyBytes, [this, key, sequence = segment.sequence](const HlsFetchResult& result) {
            const Event event(m_listener);
            onKey(key, sequence, result);
        });
        return true;
    };
    if (!segment.map.isEmpty() && !m_inits.contains(segment.map)) {
        if (fetchKey(segment.mapKey))
            return;
        m_fetcher->Get(segment.map, kMaxHlsPlaylistBytes, [this, segment](const HlsFetchResult& result) {
            const Event event(m_listener);
            onInit(segment, result);
        });
        return;
    }
    if (fetchKey(segment.key))
        return;
    m_fetcher->Get(segment.uri, kMaxHlsSegmentBytes, [this, segment](const HlsFetchResult& result) {
        const Event event(m_listener);
        onSegment(segment, result);
    });
}

void HlsSession::onKey(const HlsKey& key, qint64 sequence, const HlsFetchResult& result)
{
    m_bytesTaken += result.body.size();
    if (result.ok) {
        m_lastResponseTick = m_clock.GetTickCount();
        // Kept even when it is no key: it is fetched once per address.
        m_keys.insert(key.uri, result.body);
    } else {
        say(tr("HLS: the key of segment %1 could not be loaded (%2)").arg(sequence).arg(result.error));
        m_segmentRetry->Start(kSegmentRetryMs);
    }
    pump();
}

void HlsSession::onInit(const HlsMediaSegment& segment, const HlsFetchResult& result)
{
    m_bytesTaken += result.body.size();
    if (!result.ok) {
        say(tr("HLS: the initialization section of segment %1 could not be loaded (%2)")
                .arg(segment.sequence)
                .arg(result.tooLarge ? tr("larger than 1 MiB") : result.error));
        m_segmentRetry->Start(kSegmentRetryMs);
        pump();
        return;
    }
    m_lastResponseTick = m_clock.GetTickCount();
    QByteArray body = result.body;
    if (segment.mapKey.method == HlsKey::Method::Aes128) {
        // Decrypted with the key and IV in force at its #EXT-X-MAP; without
        // a segment number of its own it must name its IV.
        const QByteArray key = m_keys.value(segment.mapKey.uri);
        QByteArray plain;
        if (!segment.mapKey.hasIv) {
            refuse(tr("HLS: the initialization section is encrypted, but its key names no IV"));
            return;
        }
        if (key.size() != 16) {
            refuse(tr("HLS: the key of the initialization section is not 16 bytes"));
            return;
        }
        if (!HlsDecryptAes128(body, key, segment.mapKey.iv, plain)) {
            refuse(tr("HLS: the initialization section could not be decrypted"));
            return;
        }
        body = plain;
    }
    const HlsMp4Track track = ReadHlsMp4Init(body);
    if (!track.ok) {
        refuse(tr("HLS: %1").arg(track.error));
        return;
    }
    m_inits.insert(segment.map, track);
    pump();
}

void HlsSession::onSegment(const HlsMediaSegment& segment, const HlsFetchResult& result)
{
    m_bytesTaken += result.body.size();
    if (m_state == ConnectionState::Stopped || m_state == ConnectionState::Idle)
        return;
    if (result.tooLarge) {
        say(tr("HLS: segment %1 is larger than 16 MiB and is passed over").arg(segment.sequence));
        ++m_nextSeq;
    } else if (!result.ok) {
        // Asked again while the playlist lists it.
        say(tr("HLS: segment %1 could not be loaded (%2)").arg(segment.sequence).arg(result.error));
        m_segmentRetry->Start(kSegmentRetryMs);
    } else {
        m_lastResponseTick = m_clock.GetTickCount();
        ++m_nextSeq;
        QByteArray body = result.body;
        if (segment.key.method == HlsKey::Method::Aes128) {
            const QByteArray key = m_keys.value(segment.key.uri);
            const QByteArray iv = segment.key.hasIv ? segment.key.iv : HlsSequenceIv(segment.sequence);
            QByteArray plain;
            if (key.size() != 16) {
                say(tr("HLS: the key of segment %1 is not 16 bytes: the segment is passed over").arg(segment.sequence));
                body.clear();
            } else if (!HlsDecryptAes128(body, key, iv, plain)) {
                say(tr("HLS: segment %1 could not be decrypted and is passed over").arg(segment.sequence));
                body.clear();
            } else {
                body = plain;
            }
        }
        if (!body.isEmpty())
            deliver(segment, body);
    }
    if (m_state != ConnectionState::Stopped && m_state != ConnectionState::WaitingToRetry)
        pump();
}

void HlsSession::Feed(const QByteArray& data)
{
    const Event event(m_listener);
    HlsMediaSegment segment;
    segment.sequence = m_nextSeq;
    deliver(segment, data);
}

void HlsSession::deliver(const HlsMediaSegment& segment, const QByteArray& body)
{
    const HlsSegmentRead read =
        segment.map.isEmpty() ? ReadHlsSegment(body) : ReadHlsMp4Segment(body, m_inits.value(segment.map));
    if (!read.ok()) {
        say(tr("HLS: segment %1 is not audio (%2): nothing of it is recorded").arg(segment.sequence).arg(read.error));
        return;
    }
    if (!read.warnings.isEmpty())
        say(tr("HLS: segment %1: %2").arg(segment.sequence).arg(read.warnings.join(QStringLiteral("; "))));
    if (m_codec != HlsCodec::None && read.codec != m_codec) {
        say(tr("HLS: segment %1 changes the audio format: it is passed over").arg(segment.sequence));
        return;
    }
    if (!m_streamBegan)
        beginStream(read);
    if (m_state == ConnectionState::AwaitingHeader) {
        SetState(ConnectionState::Streaming);
        m_retryCount = 0;
    }
    if (segment.discontinuity) {
        // Times start again: titles that waited for later audio come now.
        for (const PendingTitle& title : std::exchange(m_pending, {}))
            emitTitle(title);
        m_wrap = 0;
        m_lastTime = -1;
    }
    emitRead(segment, read);
    const qint32 now = m_clock.GetTickCount();
    m_streamTick = m_lastDataTick = now;
    m_listener.OnChunkDone();
}

void HlsSession::beginStream(const HlsSegmentRead& read)
{
    m_streamBegan = true;
    m_codec = read.codec;
    StreamHead head;
    head.contentType = read.codec == HlsCodec::Adts ? QByteArrayLiteral("audio/aac") : QByteArrayLiteral("audio/mpeg");
    head.metadata = m_titled;
    head.bodyStart = read.audio.left(4096);
    m_listener.OnStreamBegan(head);
}

void HlsSession::emitTitle(const PendingTitle& title)
{
    // A recording that is not cut into songs asked for no titles.
    if (!m_titled)
        return;
    m_listener.OnTitle(title.title, m_audioBytes, m_firstTitle);
    if (!title.picture.isEmpty())
        m_listener.OnStreamPicture(title.title, title.picture, title.pictureType);
    m_firstTitle = false;
}

void HlsSession::emitRead(const HlsMediaSegment& segment, const HlsSegmentRead& read)
{
    // The segment's times, unwrapped past the 33-bit counter.
    const auto unwrap = [this](qint64 time) {
        if (time < 0)
            return time;
        qint64 t = time + m_wrap;
        if (m_lastTime >= 0 && t < m_lastTime - kWrap / 2) {
            m_wrap += kWrap;
            t += kWrap;
        }
        return t;
    };
    QList<PendingTitle> here;
    if (!read.titles.isEmpty())
        m_id3Titles = true;
    if (!m_id3Titles && !segment.title.isEmpty())
        here.append({-1, segment.title});
    // Times are compared give or take half a frame of rounding.
    const qint64 half = read.FrameTicks() / 2;
    int title = 0;
    qsizetype runStart = 0, runEnd = 0;
    const auto flush = [&] {
        if (runEnd > runStart) {
            m_listener.OnAudio(read.audio.constData() + runStart, runEnd - runStart);
            m_audioBytes += runEnd - runStart;
        }
        runStart = runEnd;
    };
    for (int i = 0; i < read.frames.size(); ++i) {
        const HlsAudioFrame& frame = read.frames[i];
        const qint64 time = unwrap(frame.time);
        // Titles of this segment that come before this frame.
        while (title < read.titles.size() && read.titles[title].beforeFrame <= i) {
            const HlsTimedTitle& t = read.titles[title++];
            here.append({t.time < 0 ? -1 : unwrap(t.time), t.title, t.picture, t.pictureType});
        }
        bool said = false;
        for (qsizetype k = 0; k < m_pending.size();) {
            if (time < 0 || m_pending[k].time <= time + half) {
                if (!said)
                    flush();
                said = true;
                emitTitle(m_pending.takeAt(k));
            } else {
                ++k;
            }
        }
        for (const PendingTitle& t : std::exchange(here, {})) {
            if (t.time >= 0 && time >= 0 && t.time > time + half) {
                m_pending.append(t); // its frame comes later (a later segment, perhaps)
                continue;
            }
            if (!said)
                flush();
            said = true;
            emitTitle(t);
        }
        runEnd = frame.offset + frame.size;
        if (time >= 0)
            m_lastTime = time;
    }
    flush();
    // Titles after the segment's last frame wait for the audio of their time.
    while (title < read.titles.size()) {
        const HlsTimedTitle& t = read.titles[title++];
        here.append({t.time < 0 ? -1 : unwrap(t.time), t.title, t.picture, t.pictureType});
    }
    for (const PendingTitle& t : here)
        m_pending.append(t);
}
