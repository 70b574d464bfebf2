// The real program, headless, recording the local test station whose
// titles name a picture each (StreamUrl): every song's file carries its
// own song's picture; pictures that answer badly leave the files as they
// would be without them.
#include "stationprocess.h"
#include "tests/support/eventwait.h"
#include "tonquillprocess.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <csignal>
#include <gtest/gtest.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

namespace {

const QStringList kTitles = {QStringLiteral("Alpha - One"), QStringLiteral("Beta - Two"),
                             QStringLiteral("Gamma - Three")};

// The colour tools/teststation.py gives song `number`'s picture.
QRgb coverColour(int number)
{
    return qRgb((number * 97 + 40) % 256, (number * 57 + 200) % 256, (number * 151 + 90) % 256);
}

// The front cover of an MP3 file's ID3v2 tag; "" when none. `tagged`: it has an ID3v2 tag.
QByteArray frontCover(const QString& path, bool* tagged)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    *tagged = file.hasID3v2Tag();
    if (!*tagged)
        return {};
    const auto& frames = file.ID3v2Tag()->frameListMap()["APIC"];
    if (frames.isEmpty())
        return {};
    const auto* frame = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frames.front());
    return frame ? QByteArray(frame->picture().data(), int(frame->picture().size())) : QByteArray();
}

qint64 audioBytes(const QString& path)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    const qint64 tag = file.hasID3v2Tag() ? qint64(file.ID3v2Tag()->header()->completeTagSize()) : 0;
    return QFileInfo(path).size() - tag - (file.hasID3v1Tag() ? 128 : 0);
}

class CoverRecording : public ::testing::Test {
protected:
    // Records `total` bytes of the station with StreamUrl pictures of `kind`;
    // the files recorded, by name.
    QStringList record(const char* kind, qint64 total)
    {
        EXPECT_TRUE(WriteAll(dir.file(QStringLiteral("Tonquill-user.ini")),
                             "[Registration]\r\nCleanCuts=0\r\nCoverTimeoutMs=400\r\n"));
        if (!station.Start({QStringLiteral("--song-bytes"), QStringLiteral("40000"), QStringLiteral("--metaint"),
                            QStringLiteral("4000"), QStringLiteral("--titles"), kTitles.join(QLatin1Char(','))},
                           log()))
            return {};
        // Built whole: the escapes ("%3D", "%26") would be taken for QString::arg's markers.
        const QString playlist = QStringLiteral("http://127.0.0.1:") + QString::number(station.Port()) +
                                 QStringLiteral("/station.pls?paths=/stream%3Ftotal%3D") + QString::number(total) +
                                 QStringLiteral("%26down%3D600%26covers%3D") + QString::fromLatin1(kind) +
                                 QStringLiteral("&as=.pls");
        const QString preset = dir.file(QStringLiteral("covers.tvp"));
        WriteAll(
            preset,
            ("Cover FM\r\n" + playlist + "\r\nSONGNAMEONLY\r\n" + recordings.path() + "\r\n 0 \r\n 0 \r\n").toUtf8());
        Tonquill tonquill(dir.path());
        if (!tonquill.Start({preset}))
            return {};
        const bool sent = WaitUntil([&] { return AudioSentByStation(log()) >= total; }, 30000);
        EXPECT_TRUE(sent) << tonquill.Output().constData();
        EXPECT_TRUE(tonquill.WaitForOutput("[ERR] NETWORK: Reconnecting...", 9000)) << tonquill.Output().constData();
        tonquill.Signal(SIGTERM);
        EXPECT_TRUE(tonquill.WaitForEnd(10000));
        EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();
        station.Stop();
        return QDir(recordings.path()).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    }
    QString log() const { return dir.file(QStringLiteral("station.log")); }
    TempFolder dir;
    TempFolder recordings;
    StationProcess station;
};

TEST_F(CoverRecording, EachSongsFileCarriesItsOwnSongsPicture)
{
    const qint64 total = 130000;
    const QStringList files = record("1", total);
    ASSERT_FALSE(files.isEmpty());
    qint64 audio = 0;
    int covered = 0;
    for (const QString& f : files) {
        SCOPED_TRACE(f.toStdString());
        audio += audioBytes(recordings.file(f));
        // A repeat cut short by the end is kept as "Title (2)": still its song's.
        const int number = kTitles.indexOf(f.chopped(4).remove(QRegularExpression(QStringLiteral(" \\(\\d+\\)$"))));
        bool tagged = false;
        const QByteArray picture = frontCover(recordings.file(f), &tagged);
        if (number < 0) {
            EXPECT_TRUE(picture.isEmpty()); // the part before the first title has no song
            continue;
        }
        ASSERT_FALSE(picture.isEmpty());
        const QImage image = QImage::fromData(picture);
        ASSERT_EQ(image.size(), QSize(48, 32));
        EXPECT_EQ(image.pixel(10, 10), coverColour(number));
        ++covered;
        // The file still plays.
        if (QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
            continue;
        QProcess probe;
        probe.start(QStringLiteral("ffmpeg"),
                    {"-v", "error", "-i", recordings.file(f), "-map", "0:a", "-f", "null", "-"});
        ASSERT_TRUE(probe.waitForFinished(20000));
        EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().constData();
    }
    EXPECT_GE(covered, 3);
    EXPECT_EQ(audio, total); // every byte in exactly one file
}

// One station and one recorder for each bad picture address.
class BadCoverRecording : public CoverRecording, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadCoverRecording, LeavesTheFilesAsTheyWouldBeWithoutIt)
{
    const qint64 total = 90000;
    const QStringList files = record(GetParam(), total);
    ASSERT_FALSE(files.isEmpty());
    qint64 audio = 0;
    for (const QString& f : files) {
        SCOPED_TRACE(f.toStdString());
        audio += audioBytes(recordings.file(f));
        bool tagged = true;
        EXPECT_TRUE(frontCover(recordings.file(f), &tagged).isEmpty());
        EXPECT_FALSE(tagged); // ID3v2 tags are off and no picture came
        const QByteArray bytes = ReadAll(recordings.file(f));
        EXPECT_EQ(bytes.mid(bytes.size() - 128, 3), QByteArray("TAG"));
    }
    EXPECT_EQ(audio, total);
}

INSTANTIATE_TEST_SUITE_P(Addresses, BadCoverRecording,
                         ::testing::Values("page", "wrongtype", "slow", "loop", "big", "file"));

} // namespace
