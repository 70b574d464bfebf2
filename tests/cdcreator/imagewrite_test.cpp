#include "audiofixtures.h"
#include "cdcreator/audiodecoder.h"
#include "cdcreator/discrecordobj.h"
#include "tests/support/eventwait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

struct Message {
    QString text;
    int code;
    int kind;
};

// A recorder on the image device writing into a temporary folder.
struct ImageFixture : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("DISCWRIGHT_IMAGE_DIR", images().toUtf8());
        QObject::connect(&recorder, &IDiscRecorder::StatusMessage,
                         [this](const QString& t, int c, int k) { messages.push_back({t, c, k}); });
        QObject::connect(&recorder, &IDiscRecorder::WriteEnded, [this] { ++ended; });
        recorder.InitRecorder();
        recorder.ListDevices();
        ASSERT_TRUE(recorder.setDeviceIndex(-1));
        recorder.RefreshDevice();
    }
    void TearDown() override { qunsetenv("DISCWRIGHT_IMAGE_DIR"); }

    // Queues a file and waits until it was read (listed or refused).
    void Add(const QString& path)
    {
        recorder.AddTrack(path);
        ASSERT_TRUE(WaitUntil([this] { return recorder.pendingTracks() == 0; }, 30000));
    }
    QString images() const { return dir.path() + QStringLiteral("images"); }
    QStringList imageFiles() const { return QDir(images()).entryList(QDir::Files); }
    bool Write(bool test, double pause)
    {
        recorder.setTestMode(test);
        recorder.setWriteSpeed(48);
        recorder.setTrackPause(pause);
        recorder.StartWrite();
        return WaitUntil([this] { return !recorder.IsWriting() && ended > 0; }, 60000);
    }
    std::vector<const Message*> ErrorsWithCode(int code) const
    {
        std::vector<const Message*> found;
        for (const Message& m : messages)
            if (m.kind == IDiscRecorder::kError && m.code == code)
                found.push_back(&m);
        return found;
    }

    TempFolder dir;
    DiscRecordObj recorder{nullptr};
    std::vector<Message> messages;
    int ended = 0;
};

} // namespace

TEST(AudioDecoder, DecodesLikeFfmpegForEveryFormat)
{
    TempFolder dir;
    struct Case {
        const char* name;
        int rate;
        int channels;
    } cases[] = {{"a.wav", 44100, 2}, {"b.mp3", 44100, 2}, {"c.ogg", 44100, 2}, {"d.mp2", 44100, 2},
                 {"e.wma", 44100, 2}, {"mono.wav", 44100, 1}};
    for (const auto& c : cases) {
        const QString path = dir.file(QString::fromLatin1(c.name));
        ASSERT_TRUE(MakeTone(path, 1.7, c.rate, c.channels)) << c.name;
        AudioDecoder decoder;
        ASSERT_TRUE(decoder.Open(path)) << c.name << decoder.errorText().toStdString();
        QByteArray pcm;
        for (int i = 0; i < 100000 && decoder.Read(pcm); ++i) {
        }
        EXPECT_TRUE(decoder.errorText().isEmpty()) << c.name;
        const QByteArray reference = FfmpegDecode(path);
        EXPECT_EQ(pcm.size(), reference.size()) << c.name;
        EXPECT_TRUE(pcm == reference) << c.name;
        QString error;
        EXPECT_NEAR(AudioDecoder::Probe(path, &error), 1.7, 0.1) << c.name;
    }
}

TEST(AudioDecoder, ResamplesToCdRate)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("r48.wav"));
    ASSERT_TRUE(MakeTone(path, 2.0, 48000, 1));
    AudioDecoder decoder;
    ASSERT_TRUE(decoder.Open(path));
    QByteArray pcm;
    for (int i = 0; i < 100000 && decoder.Read(pcm); ++i) {
    }
    // Two seconds at 44.1 kHz stereo, give or take the resampler's edges.
    EXPECT_NEAR(double(pcm.size()), 2.0 * 44100 * 4, 64 * 4);
}

TEST_F(ImageFixture, RefusesFilesThatCannotBeDecoded)
{
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("fake.mp3")), QByteArray("this is not audio at all\r\n")));
    Add(dir.file(QStringLiteral("fake.mp3")));
    Add(dir.file(QStringLiteral("missing.wav")));
    EXPECT_EQ(ErrorsWithCode(DiscRecordObj::kCodeTrack).size(), 2u);
    QSignalSpy listed(&recorder, &IDiscRecorder::TrackListed);
    recorder.ListTracks();
    EXPECT_EQ(listed.count(), 0);
    EXPECT_EQ(recorder.QueueSeconds(), 0);
}

TEST_F(ImageFixture, EmptyQueueDoesNotStart)
{
    recorder.setTestMode(false);
    recorder.StartWrite();
    EXPECT_FALSE(recorder.IsWriting());
    EXPECT_EQ(ErrorsWithCode(DiscRecordObj::kCodeQueue).size(), 1u);
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(imageFiles().isEmpty());
}

TEST_F(ImageFixture, ImageDeviceIsAnEmptyEightyMinuteDisc)
{
    EXPECT_EQ(recorder.DiscState(), IDiscRecorder::kEmptyDisc);
    EXPECT_EQ(recorder.DiscCapacity(), 80 * 60 * 75 * 2352);
    EXPECT_EQ(recorder.DiscUsed(), 0);
    EXPECT_DOUBLE_EQ(recorder.DiscTimeLeft(), 4800.0);
    EXPECT_EQ(recorder.DeviceCapability(IDiscRecorder::kCapabilityUnderrun), 0);
    EXPECT_FALSE(recorder.setDeviceIndex(0)); // no writers without a drive access
}

TEST_F(ImageFixture, WritesBinAndCueThatSplitBackIntoTheSources)
{
    const QStringList names = {QStringLiteral("one.wav"), QStringLiteral("two.mp3"), QStringLiteral("three.ogg")};
    const double lengths[] = {1.3, 2.2, 1.01};
    std::vector<qint64> decoded;
    std::vector<QByteArray> pcms;
    for (int i = 0; i < names.size(); ++i) {
        ASSERT_TRUE(MakeTone(dir.file(names[i]), lengths[i]));
        if (i == 1)
            ASSERT_TRUE(RunTool(QStringLiteral("id3v2"), {"-a", "Artist Two", "-t", "Song \"Two\"", dir.file(names[i])}));
        pcms.push_back(FfmpegDecode(dir.file(names[i])));
        decoded.push_back(pcms.back().size());
        ASSERT_GT(decoded.back(), 0);
        Add(dir.file(names[i]));
    }
    EXPECT_NEAR(recorder.QueueSeconds(), 1.3 + 2.2 + 1.01, 0.15);
    ASSERT_TRUE(Write(false, 2));
    EXPECT_EQ(ended, 1);
    ASSERT_TRUE(ErrorsWithCode(DiscRecordObj::kCodeWrite).empty()) << messages.back().text.toStdString();

    const QString bin = recorder.lastImagePath();
    const QString cue = recorder.lastCuePath();
    ASSERT_TRUE(QFileInfo(bin).isFile());
    ASSERT_TRUE(QFileInfo(cue).isFile());
    EXPECT_EQ(QFileInfo(bin).absolutePath(), QDir(images()).absolutePath());
    qint64 expected = 2 * 150 * 2352; // two pauses of two seconds
    for (qint64 bytes : decoded)
        expected += (bytes + 2351) / 2352 * 2352;
    EXPECT_EQ(QFileInfo(bin).size(), expected);
    EXPECT_DOUBLE_EQ(recorder.BytesWritten(), double(expected));
    EXPECT_DOUBLE_EQ(recorder.TotalBytes(), double(expected));

    // Each track's audio is FFmpeg's own decode of its source, sample for
    // sample, followed by silence up to the end of its pause.
    const QByteArray image = ReadAll(bin);
    qint64 start = 0;
    for (size_t i = 0; i < pcms.size(); ++i) {
        EXPECT_TRUE(image.mid(start, pcms[i].size()) == pcms[i]) << names[int(i)].toStdString();
        const qint64 end = start + (decoded[i] + 2351) / 2352 * 2352 + (i + 1 < pcms.size() ? 150 * 2352 : 0);
        EXPECT_EQ(image.mid(start + decoded[i], end - start - decoded[i]), QByteArray(end - start - decoded[i], '\0'));
        start = end;
    }

    // cuetools reads the sheet: three tracks, each starting after its pause.
    QByteArray printed;
    ASSERT_TRUE(RunTool(QStringLiteral("cueprint"), {"-d", "%N\\n", "-t", "", cue}, &printed));
    EXPECT_TRUE(printed.startsWith("3\n")) << printed.constData();
    // It shows each track's title and performer: the tags, else the file name.
    ASSERT_TRUE(RunTool(QStringLiteral("cueprint"), {"-d", "", "-t", "%n|%t|%p\\n", cue}, &printed));
    EXPECT_EQ(QString::fromLatin1(printed).split('\n', Qt::SkipEmptyParts),
              (QStringList{"1|one|", "2|Song 'Two'|Artist Two", "3|three|"}));
    auto msf = [](qint64 sector) {
        return QStringLiteral("%1:%2.%3")
            .arg(sector / 4500)
            .arg(sector / 75 % 60, 2, 10, QLatin1Char('0'))
            .arg(sector % 75, 2, 10, QLatin1Char('0'));
    };
    QStringList starts, pauses;
    qint64 position = 0;
    for (int i = 0; i < names.size(); ++i) {
        if (i > 0) {
            pauses << msf(position);
            position += 150;
            starts << msf(position);
        }
        position += (decoded[i] + 2351) / 2352;
    }
    QByteArray breaks;
    ASSERT_TRUE(RunTool(QStringLiteral("cuebreakpoints"), {cue}, &breaks));
    EXPECT_EQ(QString::fromLatin1(breaks).split('\n', Qt::SkipEmptyParts), starts);
    ASSERT_TRUE(RunTool(QStringLiteral("cuebreakpoints"), {QStringLiteral("--prepend-gaps"), cue}, &breaks));
    EXPECT_EQ(QString::fromLatin1(breaks).split('\n', Qt::SkipEmptyParts), pauses);

    // bchunk splits the image at INDEX 01 of each track, ending a track where
    // the next one's pause begins.
    const QString split = dir.path() + QStringLiteral("split/");
    ASSERT_TRUE(QDir().mkpath(split));
    ASSERT_TRUE(RunTool(QStringLiteral("bchunk"), {QStringLiteral("-w"), bin, cue, split + QStringLiteral("t")}));
    for (int i = 0; i < names.size(); ++i) {
        const QString wav = split + QStringLiteral("t%1.wav").arg(i + 1, 2, 10, QLatin1Char('0'));
        const qint64 audio = QFileInfo(wav).size() - 44;
        EXPECT_EQ(audio, (decoded[i] + 2351) / 2352 * 2352) << wav.toStdString();
        EXPECT_LT(audio - decoded[i], 2352);
    }
}

TEST_F(ImageFixture, TestModeWritesNothing)
{
    ASSERT_TRUE(MakeTone(dir.file(QStringLiteral("t.wav")), 1.0));
    Add(dir.file(QStringLiteral("t.wav")));
    Add(dir.file(QStringLiteral("t.wav")));
    ASSERT_TRUE(Write(true, 0.5));
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(imageFiles().isEmpty());
    const double expected = 2 * 75 * 2352 + 38 * 2352;
    EXPECT_DOUBLE_EQ(recorder.BytesWritten(), expected);
    EXPECT_EQ(recorder.CurrentTrack(), 3);
    EXPECT_GT(recorder.ElapsedTime(), 0);
}

TEST_F(ImageFixture, AbortRemovesThePartialImage)
{
    ASSERT_TRUE(MakeTone(dir.file(QStringLiteral("long.wav")), 120.0));
    Add(dir.file(QStringLiteral("long.wav")));
    Add(dir.file(QStringLiteral("long.wav")));
    recorder.setTestMode(false);
    recorder.setTrackPause(2);
    recorder.StartWrite();
    ASSERT_TRUE(recorder.IsWriting());
    recorder.AbortWrite();
    ASSERT_TRUE(WaitUntil([this] { return !recorder.IsWriting(); }, 30000));
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(imageFiles().isEmpty()) << imageFiles().join(' ').toStdString();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, QStringLiteral("Write aborted"));
    EXPECT_TRUE(recorder.lastImagePath().isEmpty());
}

TEST_F(ImageFixture, QueueTooLongForTheDiscIsRefused)
{
    // 81 minutes of 8-bit mono silence at 1 kHz: small on disk, too long for the disc.
    const quint32 samples = 4860 * 1000;
    QByteArray wav("RIFF");
    auto le32 = [&wav](quint32 v) {
        for (int i = 0; i < 4; ++i)
            wav.append(char((v >> (8 * i)) & 0xff));
    };
    le32(36 + samples);
    wav.append("WAVEfmt ");
    le32(16);
    wav.append("\x01\x00\x01\x00", 4); // PCM, one channel
    le32(1000);                        // samples a second
    le32(1000);                        // bytes a second
    wav.append("\x01\x00\x08\x00", 4); // block of 1 byte, 8 bits
    wav.append("data");
    le32(samples);
    wav.append(QByteArray(samples, char(0x80)));
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("long.wav")), wav));
    Add(dir.file(QStringLiteral("long.wav")));
    ASSERT_GT(recorder.QueueSeconds(), 4800);
    recorder.setTestMode(false);
    recorder.StartWrite();
    EXPECT_FALSE(recorder.IsWriting());
    EXPECT_EQ(ErrorsWithCode(DiscRecordObj::kCodeQueue).size(), 1u);
    EXPECT_TRUE(imageFiles().isEmpty());
}

// A queued file that is gone fails its track with its name, before writing or
// while writing, and no image is left or reported.
TEST_F(ImageFixture, VanishedFileFailsItsTrackAndLeavesNoImage)
{
    for (const char* name : {"a.wav", "b.wav"}) {
        ASSERT_TRUE(MakeWav(dir.file(QString::fromLatin1(name)), 1.0));
        Add(dir.file(QString::fromLatin1(name)));
    }
    ASSERT_TRUE(QFile::remove(dir.file(QStringLiteral("b.wav"))));
    recorder.setTestMode(false);
    recorder.StartWrite();
    EXPECT_FALSE(recorder.IsWriting());
    ASSERT_EQ(ErrorsWithCode(DiscRecordObj::kCodeTrack).size(), 1u);
    EXPECT_EQ(ErrorsWithCode(DiscRecordObj::kCodeTrack)[0]->text,
              QStringLiteral("Track 2 (b.wav) cannot be read: the file is gone"));

    ASSERT_TRUE(QDir().mkpath(images()));
    WriteRequest request;
    request.paths = {dir.file(QStringLiteral("a.wav")), dir.file(QStringLiteral("b.wav"))};
    request.estimatedSeconds = {1.0, 1.0};
    request.binPath = images() + QStringLiteral("/x.bin");
    request.cuePath = images() + QStringLiteral("/x.cue");
    WriteProgress progress;
    ImageWriteJob job(request, progress);
    job.start();
    ASSERT_TRUE(job.wait(30000));
    EXPECT_FALSE(job.succeeded());
    EXPECT_TRUE(job.errorText().startsWith(QStringLiteral("Track 2 (b.wav) cannot be read: "))) << job.errorText().toStdString();
    EXPECT_TRUE(imageFiles().isEmpty()) << imageFiles().join(' ').toStdString();
    EXPECT_TRUE(recorder.lastImagePath().isEmpty());
}
