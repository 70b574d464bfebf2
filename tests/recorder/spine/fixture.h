#pragma once

#include "app/commandline.h"
#include "app/presetopener.h"
#include "config/configuration.h"
#include "listen/relay.h"
#include "platform/messages.h"
#include "platform/sleeper.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"
#include "recorder/recorderhost.h"
#include "tests/support/eventwait.h"
#include "tests/support/fakes.h"
#include "tests/support/loopbackstation.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// An ICY metadata block naming `title`: its length byte, then the text
// padded with zeros to a multiple of 16.
inline QByteArray IcyTitleBlock(const QByteArray& title)
{
    QByteArray padded = "StreamTitle='" + title + "';";
    while (padded.size() % 16)
        padded.append('\0');
    return char(padded.size() / 16) + padded;
}

// A relay that records what the recorder asks of it.
class FakeRelay : public IRelay {
public:
    void PushData(const char* data, qsizetype size) override { pushed.append(data, size); }
    void StartPreviewing() override
    {
        ++starts;
        on = true;
    }
    void StopPreviewing() override
    {
        ++stops;
        on = false;
    }
    void SetVolume(qint32 v) override
    {
        volumes.push_back(v);
        volume = v;
    }
    qint32 lSetVolume() const override { return volume; }
    bool blnEnablePreviewStream() const override { return on; }
    qint32 MixerVolume() override { return 42; }
    void BeginStream(const QByteArray& contentType, bool ogg) override
    {
        begun.append(contentType + (ogg ? " (ogg)" : ""));
    }
    void OfferOggHeader(const QByteArray& headerPages) override { offered = headerPages; }

    QByteArray pushed;
    QList<QByteArray> begun; // each stream's Content-Type, " (ogg)" added for Ogg
    QByteArray offered;      // the last header offered
    int starts = 0, stops = 0;
    bool on = false;
    qint32 volume = -1;
    std::vector<qint32> volumes;
};

class RecordingHost : public IRecorderHost {
public:
    void UnloadWindows() override { ++unloads; }
    void InstallAssociations() override {}
    void UninstallAssociations() override {}
    int panels = 0, displays = 0, unloads = 0; // panels and displays: asked for by the preset opener
};

// The recorder with fakes around it; the stream socket is real and talks to
// a loopback station.
class RecorderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.NewConfiguration();
        config.setMessageService(&messages);
        config.sMP3Path = folder.path();
        config.sRecordingTitle = QStringLiteral("Test Station");
        deps.clock = &clock;
        deps.messages = &messages;
        deps.sleeper = &sleeper;
        deps.relay = &relay;
        deps.host = &host;
        deps.now = [this] { return wallClock; };
        deps.ieAgent = [this] { return ieAgent; };
        deps.headerPauseMs = 0;
        deps.filePauseMs = 0;
        // The byte-exact cut most tests check; clean cuts are asked for where tested.
        options.cleanCuts = false;
        deps.options = [this] { return options; };
        deps.rulesFolder = [this] { return rulesFolder.path(); };
        recorder = std::make_unique<frmMP3>(deps);
        QObject::connect(recorder.get(), &frmMP3::songCaptionChanged, [this](const QString& c) { captions.append(c); });
    }

    // What opens files given to the recorder (its command line, its
    // restarts), for the recorder of the moment.
    PresetOpener& opener()
    {
        if (!m_opener || m_openerFor != recorder.get()) {
            m_opener = std::make_unique<PresetOpener>(*recorder, config, messages);
            m_opener->showPanel = [this] { ++host.panels; };
            m_opener->showDisplay = [this] { ++host.displays; };
            m_openerFor = recorder.get();
        }
        return *m_opener;
    }
    // Opens a command line's file, as the program does at its start.
    bool openCommandLine(const QString& text)
    {
        const CommandLine line = ParseCommandLine(text);
        return opener().Open(line.file, line.noop);
    }

    // One file per song, continuous, not listening: the recording most tests
    // of the stream want.
    void recordSongsContinuously()
    {
        config.lRecordingMode = RecordingMode::PerSong;
        config.bEnabledTimedRecording = false;
        config.bStartInListenMode = false;
    }

    // Starts a recording on the loopback station and waits for the connection.
    void startOnStation(int servers = 1)
    {
        recorder->setClockShown(true);
        for (int i = 0; i < servers; ++i)
            recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), station.port(), QString());
        recorder->StartRecording(config);
        ASSERT_TRUE(
            WaitUntil([&] { return recorder->Timer1Enabled() && station.last() && recorder->SongRulesReady(); }));
    }

    // The station sends `bytes` on the recorder's last connection; true once
    // the stream has begun (and the recorder has written `audio` bytes in all).
    bool answerWith(const QByteArray& bytes, qint64 audio = -1)
    {
        station.last()->write(bytes);
        return WaitUntil([&] {
            return recorder->Status().connection == ConnectionState::Streaming &&
                   (audio < 0 || recorder->AudioBytesWritten() == audio);
        });
    }

    // The station sends `bytes` on the recorder's last connection; true once
    // the recorder has taken them (at the fake clock's time). The recorder
    // takes data as it arrives while its clock is shown (startOnStation).
    bool send(const QByteArray& bytes)
    {
        const qint64 before = recorder->StreamBytesTaken();
        station.last()->write(bytes);
        return WaitUntil([&] { return recorder->StreamBytesTaken() >= before + bytes.size(); });
    }

    // Advances the fake clock tick by tick up to `ms` after the start,
    // sending data before every tick when `withData`.
    void runTicks(qint64 fromMs, qint64 toMs, bool withData, qint32 start)
    {
        for (qint64 t = fromMs; t <= toMs; t += 100) {
            clock.set(static_cast<qint32>(static_cast<quint32>(start) + static_cast<quint32>(t)));
            if (withData)
                ASSERT_TRUE(send(QByteArray(16, 'a'))) << t;
            recorder->Timer1_Timer();
            if (!recorder->Status().blnRecording)
                return;
        }
    }

    TempFolder folder;
    RecordingOptions options; // the per-user options the recorder reads when it starts
    TempFolder rulesFolder;   // the song rules' lists (none unless a test writes them)
    FakeTickSource clock{100000};
    RecordingMessageService messages;
    CountingSleeper sleeper;
    clsConfiguration config;
    FakeRelay relay;
    RecordingHost host;
    QDateTime wallClock{QDate(2026, 12, 5), QTime(12, 0)};
    bool ieAgent = false;
    RecorderDeps deps;
    LoopbackStation station;
    std::unique_ptr<frmMP3> recorder;
    QStringList captions; // every status the recorder showed

private:
    std::unique_ptr<PresetOpener> m_opener;
    const frmMP3* m_openerFor = nullptr;
};
