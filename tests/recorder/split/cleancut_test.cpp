// "Cut songs in the silence between them": frame boundaries, the quietest
// point near the title change, and nothing lost.
#include "noiseframes.h"
#include "recorder/cleancut.h"
#include "tests/support/songrig.h"

#include <QDir>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

// Three seconds of a loud tone with a silence from 1.0 s to 1.4 s.
QByteArray toneWithSilence(const TempFolder& dir)
{
    return ToneWithSilence(dir, 3, 1.0, 1.4);
}

constexpr double kFrameSeconds = 1152.0 / 44100.0;

using songrig::titleBlock;

// True when `bytes` are whole frames from the first byte to the last.
bool wholeFrames(const QByteArray& bytes)
{
    const std::vector<Mp3Frame> frames = FindMp3Frames(bytes);
    return !frames.empty() && frames.front().offset == 0 && frames.back().offset + frames.back().size == bytes.size();
}

} // namespace

// MPEG audio layer III headers, and AAC ADTS ones.
TEST(Mp3FrameLength, HeadersOfLayerThree)
{
    const struct {
        unsigned char h[7];
        qsizetype length;
        int samples, rate;
        AudioFraming framing = AudioFraming::Mp3;
    } cases[] = {
        {{0xFF, 0xFB, 0x90, 0x00}, 417, 1152, 44100},                                       // MPEG-1, 128 kbit/s
        {{0xFF, 0xFB, 0x92, 0x00}, 418, 1152, 44100},                                       // padded
        {{0xFF, 0xFB, 0xE4, 0x00}, 960, 1152, 48000},                                       // 320 kbit/s
        {{0xFF, 0xF3, 0x80, 0x00}, 208, 576, 22050},                                        // MPEG-2, 64 kbit/s
        {{0xFF, 0xE3, 0x80, 0x00}, 417, 576, 11025},                                        // MPEG-2.5, 64 kbit/s
        {{0xFF, 0xFB, 0x00, 0x00}, 0, 0, 0},                                                // free format
        {{0xFF, 0xFB, 0xF0, 0x00}, 0, 0, 0},                                                // bad bit rate
        {{0xFF, 0xFB, 0x9C, 0x00}, 0, 0, 0},                                                // bad sample rate
        {{0xFF, 0xFD, 0x90, 0x00}, 0, 0, 0},                                                // layer II
        {{0xFF, 0xEB, 0x90, 0x00}, 0, 0, 0},                                                // reserved version
        {{0xFE, 0xFB, 0x90, 0x00}, 0, 0, 0},                                                // no sync
        {{0xFF, 0xF1, 0x50, 0x80, 0x25, 0x9F, 0xFC}, 300, 1024, 44100, AudioFraming::Adts}, // no CRC
        {{0xFF, 0xF0, 0x4C, 0x80, 0x10, 0x1F, 0xFD}, 128, 2048, 48000, AudioFraming::Adts}, // CRC, two blocks
        {{0xFF, 0xF1, 0x50, 0x80, 0x00, 0xDF, 0xFC}, 0, 0, 0, AudioFraming::Adts},          // shorter than its header
        {{0xFF, 0xF1, 0x74, 0x80, 0x25, 0x9F, 0xFC}, 0, 0, 0, AudioFraming::Adts},          // sample rate index 13
        {{0xFF, 0xF3, 0x50, 0x80, 0x25, 0x9F, 0xFC}, 0, 0, 0, AudioFraming::Adts},          // layer not 0
        {{0xFF, 0xFB, 0x90, 0x00, 0x25, 0x9F, 0xFC}, 0, 0, 0, AudioFraming::Adts},          // an MP3 header
    };
    for (const auto& c : cases) {
        int samples = 0, rate = 0;
        const qsizetype length = c.framing == AudioFraming::Adts ? AdtsFrameLength(c.h, &samples, &rate)
                                                                 : Mp3FrameLength(c.h, &samples, &rate);
        EXPECT_EQ(length, c.length) << int(c.h[1]) << " " << int(c.h[2]);
        if (c.length) {
            EXPECT_EQ(samples, c.samples);
            EXPECT_EQ(rate, c.rate);
        }
    }
}

TEST(FindMp3Frames, RunsOfFramesAroundDamage)
{
    QByteArray frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    const QByteArray five = frame.repeated(5);
    // A partial frame in front, damage in the middle, a partial frame at the end.
    const QByteArray bytes = frame.right(100) + five + QByteArray(50, '\x11') + five + frame.left(200);
    const std::vector<Mp3Frame> frames = FindMp3Frames(bytes);
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_EQ(frames[0].offset, 100);
    EXPECT_EQ(frames[4].offset, 100 + 4 * 417);
    EXPECT_EQ(frames[5].offset, 100 + 5 * 417 + 50);
    EXPECT_EQ(frames[9].offset + frames[9].size, bytes.size() - 200);
    // Two frames alone are not trusted as a run, unless they start the bytes.
    EXPECT_TRUE(FindMp3Frames(QByteArray(10, 'x') + frame.repeated(2)).empty());
    EXPECT_EQ(FindMp3Frames(frame.repeated(2) + frame.left(9)).size(), 2u);
    EXPECT_TRUE(FindMp3Frames(QByteArray()).empty());
}

TEST(ChooseCleanCut, MovesToTheSilenceWithinTheWindowOnly)
{
    TempFolder dir;
    const QByteArray mp3 = toneWithSilence(dir);
    ASSERT_FALSE(mp3.isEmpty()) << "ffmpeg could not make the test tone";
    const std::vector<Mp3Frame> frames = FindMp3Frames(mp3);
    ASSERT_GT(frames.size(), 100u);
    auto timeOf = [&](qsizetype offset) {
        for (size_t i = 0; i < frames.size(); ++i)
            if (frames[i].offset == offset)
                return double(i) * kFrameSeconds;
        return -1.0; // not a frame boundary
    };
    const qsizetype at06 = frames[size_t(0.6 / kFrameSeconds)].offset + 7; // inside a frame, in the tone
    const qsizetype at21 = frames[size_t(2.1 / kFrameSeconds)].offset;
    const struct {
        const char* what;
        qsizetype nominal;
        int windowMs;
        double from, to; // where the cut may land, in seconds
    } cases[] = {
        {"the silence lies in the window", at06, 2000, 0.98, 1.42},
        {"the silence lies before the title change", at21, 2000, 0.98, 1.42},
        {"a narrow window stays near the change", at06, 100, 0.49, 0.71},
        {"no window: the nearest boundary", at06, 0, 0.57, 0.60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const qsizetype cut = ChooseCleanCut(mp3, c.nominal, c.windowMs);
        const double t = timeOf(cut);
        EXPECT_GE(t, c.from);
        EXPECT_LE(t, c.to);
    }
    // Bytes with no frames keep the cut where the title changed.
    EXPECT_EQ(ChooseCleanCut(QByteArray(5000, 'x'), 1234, 2000), 1234);
}

// The cut moves only into a real pause: music that runs on through the
// title change (a crossfade, talk, a held tone) is cut at the title's own
// frame boundary. Six seconds of each shape, the title changing at 3 s.
TEST(ChooseCleanCut, MovesOnlyIntoAPause)
{
    const QString tone = QStringLiteral("0.5*sin(2*PI*440*t)");
    const QString fade = QStringLiteral("clip((t-2)/2\\,0\\,1)"); // 0 before 2 s, 1 after 4 s
    const struct {
        const char* what;
        QString samples;
        double from, to; // where the cut may land, in seconds; from < 0: the title's own frame
    } cases[] = {
        {"a silence between two loud songs", QStringLiteral("if(between(t\\,3.5\\,3.9)\\,0\\,%1)").arg(tone), 3.5, 3.9},
        {"a silence beyond the window", QStringLiteral("if(between(t\\,5.3\\,5.7)\\,0\\,%1)").arg(tone), -1, -1},
        {"a silence that fills most of the window", QStringLiteral("if(gt(t\\,2.5)\\,0\\,%1)").arg(tone), 2.5, 5.0},
        {"a loud song crossfaded into another",
         QStringLiteral("0.5*(1-%1)*sin(2*PI*440*t)+0.5*%1*sin(2*PI*660*t)").arg(fade), -1, -1},
        {"a continuous tone", tone, -1, -1},
        {"talk: a few dB up and down, short dips 10 dB down",
         QStringLiteral("0.5*(0.8+0.2*sin(2*PI*1.7*t))*if(lt(mod(t\\,0.45)\\,0.06)\\,0.3\\,1)*sin(2*PI*220*t)"), -1,
         -1},
    };
    TempFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray mp3 = SoundMp3(dir, 6, c.samples);
        ASSERT_FALSE(mp3.isEmpty()) << "ffmpeg could not make the sound";
        const std::vector<Mp3Frame> frames = FindMp3Frames(mp3);
        ASSERT_GT(frames.size(), 200u);
        const size_t change = size_t(3.0 / kFrameSeconds);
        const qsizetype cut = ChooseCleanCut(mp3, frames[change].offset + 7, 2000); // inside the title's frame
        if (c.from < 0) {
            EXPECT_EQ(cut, frames[change].offset);
            continue;
        }
        const auto at = std::find_if(frames.begin(), frames.end(), [&](const Mp3Frame& f) { return f.offset == cut; });
        ASSERT_NE(at, frames.end()) << "not a frame boundary";
        const double t = double(at - frames.begin()) * kFrameSeconds;
        EXPECT_GE(t, c.from);
        EXPECT_LE(t, c.to);
    }
}

// The ICY session's bytes through the song writer, recording per song.
class CleanCutTest : public ::testing::Test {
protected:
    void SetUp() override { mp3 = toneWithSilence(tones); }
    void start()
    {
        ASSERT_TRUE(rig->Start());
        rig->Begin();
    }
    // The tone as a stream with metadata every 4000 bytes: "One" starts at
    // once, "Two" at the block after 0.6 s of audio.
    QByteArray stream(qsizetype& audioTotal)
    {
        const int metaint = 4000;
        const qsizetype change = qsizetype(0.6 * 16000);
        QByteArray s = "ICY 200 OK\r\nicy-name:Cut FM\r\nicy-br:128\r\nicy-metaint:4000\r\n\r\n";
        bool two = false;
        for (qsizetype at = 0; at < mp3.size(); at += metaint) {
            s += mp3.mid(at, metaint);
            if (at + metaint >= mp3.size())
                break;
            if (at == 0)
                s += titleBlock("One");
            else if (!two && at + metaint >= change) {
                audioBeforeTwo = at + metaint;
                s += titleBlock("Two");
                two = true;
            } else {
                s += '\0';
            }
        }
        audioTotal = mp3.size();
        return s;
    }
    QByteArray body(const QString& name) { return rig->Audio(name); }
    std::unique_ptr<IcyRig> rig = std::make_unique<IcyRig>();
    TempFolder tones;
    QByteArray mp3;
    qsizetype audioBeforeTwo = 0;
};

TEST_F(CleanCutTest, SongsEndOnFrameBoundariesInTheSilenceAndNothingIsLost)
{
    ASSERT_FALSE(mp3.isEmpty());
    rig->options.cleanCuts = true;
    start();
    qsizetype total = 0;
    rig->Feed(stream(total));
    rig->Stop();
    // Every title change is a clean cut, the one from the station's file too.
    const QByteArray station = body(QStringLiteral("Cut FM-12052026.mp3"));
    const QByteArray one = body(QStringLiteral("One.mp3"));
    const QByteArray two = body(QStringLiteral("Two.mp3"));
    EXPECT_TRUE(station + one + two == mp3) << station.size() << " " << one.size() << " " << two.size();
    EXPECT_TRUE(wholeFrames(station));
    EXPECT_TRUE(wholeFrames(one));
    EXPECT_TRUE(wholeFrames(two));
    const double cutSeconds = double(station.size() + one.size()) / 16000.0; // 128 kbit/s
    EXPECT_GE(cutSeconds, 0.98);
    EXPECT_LE(cutSeconds, 1.42);
    // The real decoder agrees that the song decodes without errors.
    QProcess p;
    p.start(QStringLiteral("mpg123"), {QStringLiteral("-t"), rig->folder.file(QStringLiteral("Two.mp3"))});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QByteArray log = p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0) << log.constData();
    EXPECT_FALSE(log.toLower().contains("error")) << log.constData();
}

TEST_F(CleanCutTest, OffTheCutStaysAtTheTitleChange)
{
    ASSERT_FALSE(mp3.isEmpty());
    start();
    qsizetype total = 0;
    rig->Feed(stream(total));
    rig->Stop();
    // "Two" starts exactly after the block that named it.
    const qsizetype change = ((qsizetype(0.6 * 16000) + 3999) / 4000) * 4000;
    EXPECT_EQ(body(QStringLiteral("One.mp3")), mp3.mid(4000, change - 4000));
    EXPECT_EQ(body(QStringLiteral("Two.mp3")), mp3.mid(change));
}

TEST_F(CleanCutTest, AStopWhileTheCutWaitsStillCutsAndKeepsEveryByte)
{
    ASSERT_FALSE(mp3.isEmpty());
    rig->options.cleanCuts = true;
    start();
    qsizetype total = 0;
    const QByteArray s = stream(total);
    // Only a little of the audio after "Two" arrives before the stop.
    const qsizetype twoAt = s.indexOf("StreamTitle='Two'");
    rig->Feed(s.left(twoAt + 100));
    rig->Stop();
    const QByteArray station = body(QStringLiteral("Cut FM-12052026.mp3"));
    const QByteArray one = body(QStringLiteral("One.mp3"));
    const QByteArray two = body(QStringLiteral("Two.mp3"));
    // Everything received is in the files, in order: the audio before the
    // block, and the 100 bytes after it less the block's own bytes.
    const qsizetype blockEnd = twoAt + 16 * qsizetype(static_cast<unsigned char>(s.at(twoAt - 1)));
    const qsizetype audioAfter = twoAt + 100 - blockEnd;
    ASSERT_GT(audioAfter, 0);
    EXPECT_TRUE(station + one + two == mp3.left(audioBeforeTwo + audioAfter));
    EXPECT_TRUE(wholeFrames(one)) << station.size() << " " << one.size() << " " << two.size() << " "
                                  << FindMp3Frames(one).size();
}

// A stream joined inside a frame: with clean cuts the file starts with the
// first whole frame (and ends with the last); without them at the first byte.
TEST_F(CleanCutTest, AFileStartsWithAWholeFrameOnlyWithCleanCuts)
{
    ASSERT_FALSE(mp3.isEmpty());
    const QByteArray audio = mp3.mid(20, 20000);
    const std::vector<Mp3Frame> frames = FindMp3Frames(audio);
    ASSERT_FALSE(frames.empty());
    ASSERT_GT(frames.front().offset, 0);
    const qsizetype end = frames.back().offset + frames.back().size;
    using M = SongRig::Mode;
    const struct {
        M mode;
        bool clean;
        const char* file;
    } cases[] = {{M::PerSong, true, "Cut FM-12052026.mp3"},
                 {M::PerSong, false, "Cut FM-12052026.mp3"},
                 {M::SingleFile, true, "single.mp3"}, // the file is made before the server answers
                 {M::SingleFile, false, "single.mp3"}};
    for (const auto& [mode, clean, name] : cases) {
        SCOPED_TRACE(name);
        SCOPED_TRACE(clean ? "clean cuts" : "byte cuts");
        rig = std::make_unique<IcyRig>();
        rig->options.cleanCuts = clean;
        rig->mode = mode;
        rig->streamFileName = QStringLiteral("single.mp3");
        start();
        // Two chunks, the first too short to tell where the frames are.
        const QByteArray s = "ICY 200 OK\r\nicy-name:Cut FM\r\nicy-br:128\r\n\r\n" + audio;
        rig->Feed(s.left(200));
        rig->Feed(s.mid(200));
        rig->Stop();
        const QByteArray file = body(QString::fromLatin1(name));
        if (clean) {
            EXPECT_TRUE(file == audio.mid(frames.front().offset, end - frames.front().offset)) << file.size();
            EXPECT_TRUE(wholeFrames(file));
        } else {
            EXPECT_TRUE(file == audio) << file.size();
        }
    }
}

// Music that runs on through every title change: with clean cuts on each
// song's file holds the audio from its title to the next, within the frame
// the title changed in.
TEST_F(CleanCutTest, ASongWithoutPausesIsAsLongAsItsTitle)
{
    const QByteArray tone = SoundMp3(tones, 12, QStringLiteral("0.5*sin(2*PI*440*t)"));
    ASSERT_FALSE(tone.isEmpty());
    rig->options.cleanCuts = true;
    start();
    // A block every 4000 bytes (a quarter of a second): "One" after the
    // first, "Two" 16 blocks (4 s) later, "Three" 16 after that.
    const std::map<qsizetype, QByteArray> titles = {{1, "One"}, {17, "Two"}, {33, "Three"}};
    QByteArray s = "ICY 200 OK\r\nicy-name:Cut FM\r\nicy-br:128\r\nicy-metaint:4000\r\n\r\n";
    for (qsizetype block = 1; block * 4000 <= tone.size(); ++block)
        s += tone.mid((block - 1) * 4000, 4000) +
             (titles.count(block) ? titleBlock(titles.at(block)) : QByteArray(1, '\0'));
    rig->Feed(s);
    rig->Stop();
    for (const char* name : {"One.mp3", "Two.mp3"}) {
        SCOPED_TRACE(name);
        const QByteArray song = body(QString::fromLatin1(name));
        EXPECT_TRUE(wholeFrames(song));
        EXPECT_LE(std::abs(song.size() - 16 * 4000), 418) << song.size() / 16000.0 << " s for a 4 s title";
    }
}
