#pragma once

// A relay that keeps the last minutes of what the recorder hands it
// (LastMinutes) and passes everything on to the relay it stands in front of.
// It is always on, so the recorder hands it every chunk of audio; the relay
// behind it is given audio only while it listens.

#include "listen/relay.h"
#include "recorder/lastminutes.h"
#include "recorder/songsaver.h"

class KeepingRelay : public IRelay {
public:
    explicit KeepingRelay(IRelay& inner, qint64 keepMs) : m_inner(inner), m_kept(keepMs) {}

    LastMinutes& Kept() { return m_kept; }
    const LastMinutes& Kept() const { return m_kept; }
    // "Save This Song" of the station's song playing.
    SongSaver& Saver() { return m_saver; }
    // A title began: a song being saved ends where it does.
    void MarkTitle(const QString& title)
    {
        m_kept.MarkTitle(title);
        m_saver.Finish();
    }

    void PushData(const char* data, qsizetype size) override
    {
        m_kept.Append(data, size);
        if (m_inner.blnEnablePreviewStream())
            m_inner.PushData(data, size);
    }
    void StartPreviewing() override { m_inner.StartPreviewing(); }
    void StopPreviewing() override { m_inner.StopPreviewing(); }
    void SetVolume(qint32 volume) override { m_inner.SetVolume(volume); }
    qint32 lSetVolume() const override { return m_inner.lSetVolume(); }
    bool blnEnablePreviewStream() const override { return true; }
    bool Heard() const override { return m_inner.Heard(); }
    qint32 MixerVolume() override { return m_inner.MixerVolume(); }
    void BeginStream(const QByteArray& contentType, bool ogg) override
    {
        m_kept.BeginStream(LastMinutes::FramingOf(contentType, ogg));
        m_inner.BeginStream(contentType, ogg);
    }
    void OfferOggHeader(const QByteArray& headerPages) override
    {
        if (m_inner.blnEnablePreviewStream())
            m_inner.OfferOggHeader(headerPages);
    }

private:
    IRelay& m_inner;
    LastMinutes m_kept;
    SongSaver m_saver{m_kept};
};
