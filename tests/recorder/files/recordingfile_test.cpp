#include "platform/filenames.h"
#include "platform/paths.h"
#include "recorder/recordingfiles.h"
#include "tests/support/eventwait.h"
#include "tests/support/fakes.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {
// The fallback name: "unknown-", 0..59999 without leading zeros, today.
// The day the recorder's clock reads for these tests: a stamp whose month
// and day both have a leading zero.
const QDate kToday(2027, 1, 2);

void expectFallbackName(const QString& name)
{
    static const QRegularExpression re("^unknown-(0|[1-9][0-9]{0,4})-([0-9]{8})\\.mp3$");
    const auto m = re.match(name);
    ASSERT_TRUE(m.hasMatch()) << name.toStdString();
    EXPECT_LT(m.captured(1).toInt(), 60000);
    EXPECT_EQ(m.captured(2), QStringLiteral("01022027"));
}

// While it lives, files this process writes cannot grow past `bytes`: the
// disk "fills" there (SIGXFSZ ignored, so the write fails with EFBIG).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_ok = getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_old;
        small.rlim_cur = bytes;
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_ok = false;
};

QByteArray allByteValues()
{
    QByteArray b(256, '\0');
    for (int i = 0; i < 256; ++i)
        b[i] = static_cast<char>(i);
    return b;
}
}  // namespace

TEST(RecordingFile, WritesBytesUnchangedAndCounts)
{
    TempFolder dir;
    RecordingFile file;
    EXPECT_FALSE(file.IsOpen());
    ASSERT_TRUE(file.Create(dir.file("r.mp3")));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Path(), dir.file("r.mp3"));
    const QByteArray bytes = allByteValues();
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(file.Write(bytes));
    EXPECT_TRUE(file.Write(bytes.constData(), 0));
    EXPECT_EQ(file.BytesWritten(), 25600);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadAll(dir.file("r.mp3")), bytes.repeated(100));
    EXPECT_EQ(file.lastError(), QString());
    file.Close();  // a second close is harmless
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_FALSE(file.lastError().isEmpty());
}

TEST(RecordingFile, CreateRemovesOnlyThatPath)
{
    TempFolder dir;
    ASSERT_TRUE(WriteAll(dir.file("target.mp3"), "keep me"));
    ASSERT_TRUE(QFile::link(dir.file("target.mp3"), dir.file("link.mp3")));
    RecordingFile file;
    // A link is replaced by a new file; what it pointed at is not touched.
    ASSERT_TRUE(file.Create(dir.file("link.mp3")));
    ASSERT_TRUE(file.Write("new", 3));
    file.Close();
    EXPECT_EQ(ReadAll(dir.file("target.mp3")), QByteArray("keep me"));
    EXPECT_EQ(ReadAll(dir.file("link.mp3")), QByteArray("new"));
    EXPECT_FALSE(QFileInfo(dir.file("link.mp3")).isSymLink());

    // A folder of that name stays, and creating fails.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.mp3"));
    EXPECT_FALSE(file.Create(dir.file("folder.mp3")));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(IsFolder(dir.file("folder.mp3")));
    EXPECT_FALSE(file.lastError().isEmpty());
    EXPECT_EQ(file.Path(), QString());
}

TEST(RecordingFile, WriteErrorIsReportedAndRecordingGoesOn)
{
    TempFolder dir;
    RecordingFile file;
    ASSERT_TRUE(file.Create(dir.file("big.mp3")));

    int failures = 0;
    QString error;
    {
        FileSizeLimit limit(256 * 1024);
        ASSERT_TRUE(limit.ok());
        const QByteArray chunk(64 * 1024, 'a');
        for (int i = 0; i < 16; ++i)  // 1 MiB in all
            if (!file.Write(chunk))
                ++failures;
        error = file.lastError();
        file.Close();
    }

    EXPECT_GT(failures, 0);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_LE(file.BytesWritten(), 256 * 1024);
    EXPECT_EQ(QFileInfo(dir.file("big.mp3")).size(), file.BytesWritten());
}

TEST(CreateRecordingFile, CreatesAndPauses)
{
    TempFolder dir;
    RecordingFile file;
    CountingSleeper sleeper;
    QString name = "AC/DC - Who: Me?.mp3";
    EXPECT_TRUE(CreateRecordingFile(dir.path(), name, file, kToday, sleeper));
    EXPECT_EQ(name, QString("AC/DC - Who: Me?.mp3"));  // unchanged
    EXPECT_EQ(file.Path(), dir.file("ACDC - Who Me.mp3"));
    EXPECT_TRUE(FileExists(dir.file("ACDC - Who Me.mp3")));
    EXPECT_EQ(sleeper.calls, 1);
    EXPECT_EQ(sleeper.total, kCreateFilePauseMs);

    QString other = "b.mp3";
    EXPECT_TRUE(CreateRecordingFile(dir.path(), other, file, kToday, sleeper, 3));
    EXPECT_EQ(sleeper.total, kCreateFilePauseMs + 3);
}

TEST(CreateRecordingFile, SameTitleTwiceStartsTheFileAgain)
{
    TempFolder dir;
    RecordingFile file;
    CountingSleeper sleeper;
    QString name = "Song.mp3";
    ASSERT_TRUE(CreateRecordingFile(dir.path(), name, file, kToday, sleeper, 0));
    ASSERT_TRUE(file.Write(QByteArray(1000, 'x')));
    file.Close();
    ASSERT_TRUE(WriteID3Tag(dir.file("Song.mp3"), {"", "Song", ""}, QDate(2026, 1, 1)));
    ASSERT_EQ(QFileInfo(dir.file("Song.mp3")).size(), 1128);

    ASSERT_TRUE(CreateRecordingFile(dir.path(), name, file, kToday, sleeper, 0));
    EXPECT_EQ(QFileInfo(dir.file("Song.mp3")).size(), 0);
    ASSERT_TRUE(file.Write("abc", 3));
    file.Close();
    EXPECT_EQ(ReadAll(dir.file("Song.mp3")), QByteArray("abc"));
}

TEST(CreateRecordingFile, WildcardCharactersDeleteOnlyTheCleanedName)
{
    TempFolder dir;
    const char* others[] = {"ab.mp3", "a?.mp3", "a*.mp3", "aXYZ.mp3", "a.mp3x"};
    for (const char* n : others)
        ASSERT_TRUE(WriteAll(dir.file(n), QByteArray(n)));
    ASSERT_TRUE(WriteAll(dir.file("a.mp3"), "old"));
    RecordingFile file;
    CountingSleeper sleeper;
    for (const QString title : {"a?.mp3", "a*.mp3"}) {
        QString name = title;
        ASSERT_TRUE(CreateRecordingFile(dir.path(), name, file, kToday, sleeper, 0));
        file.Close();
        EXPECT_EQ(ReadAll(dir.file("a.mp3")), QByteArray()) << title.toStdString();
        for (const char* n : others)
            EXPECT_EQ(ReadAll(dir.file(n)), QByteArray(n)) << n;
    }
}

TEST(CreateRecordingFile, FallsBackWhenTheNameCannotBeCreated)
{
    TempFolder dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Song.mp3"));
    RecordingFile file;
    CountingSleeper sleeper;
    QString name = "Song.mp3";
    EXPECT_FALSE(CreateRecordingFile(dir.path(), name, file, kToday, sleeper));
    expectFallbackName(name);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Path(), dir.file(name));
    EXPECT_TRUE(FileExists(dir.file(name)));
    EXPECT_TRUE(IsFolder(dir.file("Song.mp3")));
    EXPECT_EQ(sleeper.calls, 0);
    EXPECT_TRUE(file.Write("data", 4));
    file.Close();
    EXPECT_EQ(ReadAll(dir.file(name)), QByteArray("data"));

    // A name longer than the folder takes is shortened to fit; the name
    // asked for stays as it is.
    QString tooLong = QString(300, 'x') + ".mp3";
    EXPECT_TRUE(CreateRecordingFile(dir.path(), tooLong, file, kToday, sleeper));
    EXPECT_EQ(tooLong, QString(300, 'x') + ".mp3");
    EXPECT_EQ(file.Path(), dir.file(QString(235, 'x') + ".mp3"));
    file.Close();
    // One that still cannot be created (the limit read wrongly) falls back.
    SetFileNameLimitSource([](const QString&) { return 1000L; });
    EXPECT_FALSE(CreateRecordingFile(dir.path(), tooLong, file, kToday, sleeper));
    SetFileNameLimitSource({});
    expectFallbackName(tooLong);
    EXPECT_TRUE(file.IsOpen());
    file.Close();
}

TEST(CreateRecordingFile, NoFileAtAllWhenTheFolderIsGone)
{
    TempFolder dir;
    RecordingFile file;
    CountingSleeper sleeper;
    QString name = "Song.mp3";
    EXPECT_FALSE(CreateRecordingFile(dir.file("gone/"), name, file, kToday, sleeper));
    expectFallbackName(name);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.lastError().isEmpty());
    EXPECT_EQ(sleeper.calls, 0);
    EXPECT_FALSE(file.Write("data", 4));  // no crash, just false
    file.Close();
    EXPECT_FALSE(PathExists(dir.file("gone")));
}

TEST(RecordingFile, AppendGoesOnAfterTakingOffTheTag)
{
    const QByteArray audio(2000, 'a');
    const QByteArray tag = BuildID3v1Tag({"A", "T", ""}, QDate(2026, 1, 1));
    const struct {
        const char* label;
        QByteArray before;
        QByteArray kept;
    } cases[] = {
        {"tagged", audio + tag, audio},
        {"untagged", audio, audio},
        {"only a tag", tag, ""},
        {"short", "abc", "abc"},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        ASSERT_TRUE(WriteAll(dir.file("s.mp3"), c.before));
        RecordingFile file;
        ASSERT_TRUE(file.Append(dir.file("s.mp3"))) << c.label;
        EXPECT_EQ(file.Path(), dir.file("s.mp3"));
        ASSERT_TRUE(file.Write("more", 4));
        file.Close();
        EXPECT_EQ(ReadAll(dir.file("s.mp3")), c.kept + "more") << c.label;
    }
    TempFolder dir;
    RecordingFile file;
    EXPECT_FALSE(file.Append(dir.file("gone/s.mp3")));
    EXPECT_FALSE(file.IsOpen());
}

// Queued pieces reach the file in order, however they are laid out in memory.
TEST(RecordingFileQueue, PiecesReachTheFileInOrder)
{
    const QByteArray source = allByteValues().repeated(64);  // 16 KiB
    struct Case {
        const char* name;
        int pieceSize;
        int gap;  // bytes skipped between pieces (the metadata in a real chunk)
    };
    const Case cases[] = {
        {"contiguous pieces merge", 100, 0},
        {"pieces with gaps", 7, 1},
        {"more pieces than one system call takes", 1, 1},
        {"single bytes, contiguous", 1, 0},
        {"one big piece", 16384, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        RecordingFile file;
        ASSERT_TRUE(file.Create(dir.file("q.mp3")));
        QByteArray expected;
        qsizetype queued = 0;
        for (qsizetype at = 0; at + c.pieceSize <= source.size(); at += c.pieceSize + c.gap) {
            file.Queue(source.constData() + at, c.pieceSize);
            expected.append(source.constData() + at, c.pieceSize);
            queued += c.pieceSize;
        }
        file.Queue(source.constData(), 0);  // nothing
        EXPECT_LE(file.QueuedBytes(), queued);
        EXPECT_TRUE(file.Flush());
        EXPECT_EQ(file.QueuedBytes(), 0);
        EXPECT_EQ(file.BytesWritten(), expected.size());
        EXPECT_TRUE(file.Flush());  // an empty queue writes nothing
        file.Close();
        EXPECT_EQ(ReadAll(dir.file("q.mp3")), expected);
    }
}

TEST(RecordingFileQueue, WriteAndCloseTakeTheQueueFirst)
{
    TempFolder dir;
    RecordingFile file;
    ASSERT_TRUE(file.Create(dir.file("w.mp3")));
    const QByteArray a("first "), b("second "), c("third");
    file.Queue(a.constData(), a.size());
    ASSERT_TRUE(file.Write(b));
    file.Queue(c.constData(), c.size());
    file.Close();
    EXPECT_EQ(ReadAll(dir.file("w.mp3")), QByteArray("first second third"));
    EXPECT_EQ(file.BytesWritten(), 18);

    // Appending to a tagged file goes on where the audio ended.
    QByteArray tagged = "audio";
    tagged.append(QByteArray("TAG").append(QByteArray(125, ' ')));
    ASSERT_TRUE(WriteAll(dir.file("t.mp3"), tagged));
    ASSERT_TRUE(file.Append(dir.file("t.mp3")));
    file.Queue(c.constData(), c.size());
    file.Close();
    EXPECT_EQ(ReadAll(dir.file("t.mp3")), QByteArray("audiothird"));

    // Nothing open: the queue is dropped with an error, never written later.
    file.Queue(a.constData(), a.size());
    EXPECT_FALSE(file.Flush());
    EXPECT_FALSE(file.lastError().isEmpty());
    EXPECT_EQ(file.QueuedBytes(), 0);
}

TEST(RecordingFileQueue, AFullDiskEndsTheFlushWithWhatWasTaken)
{
    TempFolder dir;
    RecordingFile file;
    ASSERT_TRUE(file.Create(dir.file("full.mp3")));
    bool ok = true;
    QString error;
    qint64 written = 0;
    {
        FileSizeLimit limit(100 * 1000 + 37);  // inside a piece
        ASSERT_TRUE(limit.ok());
        const QByteArray chunk(1000 * 1000, 'm');
        for (int at = 0; at < chunk.size(); at += 1001)
            file.Queue(chunk.constData() + at, 1000);
        ok = file.Flush();
        error = file.lastError();
        written = file.BytesWritten();
        file.Close();
    }

    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(written, 100 * 1000 + 37);
    EXPECT_EQ(QFileInfo(dir.file("full.mp3")).size(), written);
}
