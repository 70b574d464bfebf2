#pragma once

#include <QByteArray>
#include <QtGlobal>

// What the recorder needs of the local listening relay.
class IRelay {
public:
    virtual ~IRelay() = default;
    virtual void PushData(const char* data, qsizetype size) = 0;
    virtual void StartPreviewing() = 0;
    virtual void StopPreviewing() = 0;
    virtual void SetVolume(qint32 volume) = 0;
    // The volume last set through SetVolume.
    virtual qint32 lSetVolume() const = 0;
    // Listening is on: the recorder hands every chunk of audio to PushData.
    virtual bool blnEnablePreviewStream() const = 0;
    // Someone listens: the audio handed on is heard. A relay that takes the
    // audio for more than listening (keeping the last minutes) takes it
    // while nobody listens.
    virtual bool Heard() const { return blnEnablePreviewStream(); }
    // The playback volume at start-up (0 to 100).
    virtual qint32 MixerVolume() = 0;
    // A connection's stream begins: its Content-Type as the station sent
    // it, and whether it is an Ogg stream (relayed by whole pages).
    virtual void BeginStream(const QByteArray& contentType, bool ogg)
    {
        Q_UNUSED(contentType);
        Q_UNUSED(ogg);
    }
    // Ogg: the header pages of the logical stream being read, for a relay
    // that did not see that stream begin.
    virtual void OfferOggHeader(const QByteArray& headerPages) { Q_UNUSED(headerPages); }
};

// A relay that is never on: used where no listening is possible (no audio
// output, headless runs) and as a base for test doubles.
class NullRelay : public IRelay {
public:
    void PushData(const char*, qsizetype) override {}
    void StartPreviewing() override {}
    void StopPreviewing() override {}
    void SetVolume(qint32 volume) override { m_volume = volume; }
    qint32 lSetVolume() const override { return m_volume; }
    bool blnEnablePreviewStream() const override { return false; }
    qint32 MixerVolume() override { return 50; }

private:
    qint32 m_volume = -1;
};
