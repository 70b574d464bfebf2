// A recording resumed at the start from its preset: the preset as it reads
// now, or nothing when it no longer loads.
#include "app/presetopener.h"
#include "config/recordingconfig.h"
#include "tests/support/fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(PresetResumeTest, ThePresetAsItReadsNowOrTheRecordingLeftOut)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("songs"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("folder.tvp"))));
    const QByteArray good = "!P-Harbour Jazz\r\nhttp://127.0.0.1:8000/jazz.pls\r\nSONGNAMEONLY\r\n" +
                            QFile::encodeName(folder) + "\r\n 30 \r\n 1 \r\n";
    const struct Case {
        const char* name;
        QByteArray content; // null: no file of that name
        bool resumed;
        const char* said; // part of the message shown when left out
    } cases[] = {
        {"jazz.tvp", good, true, ""},
        {"gone.tvp", QByteArray(), false, "does not exist"},
        {"short.tvp", "Harbour Jazz\r\nhttp://127.0.0.1:8000/jazz.pls\r\n", false, "six lines"},
        {"noplaylist.tvp", "Harbour Jazz\r\nhttp://127.0.0.1:8000/jazz\r\nSONGNAMEONLY\r\n/tmp/\r\n 0 \r\n 0 \r\n",
         false, "Invalid Shoutcast playlist"},
        {"nofolder.tvp",
         "Harbour Jazz\r\nhttp://127.0.0.1:8000/jazz.pls\r\nSONGNAMEONLY\r\n" +
             QFile::encodeName(dir.filePath(QStringLiteral("missing"))) + "\r\n 0 \r\n 0 \r\n",
         false, "path specified does not exist"},
        // A playlist file starts a recording of its own, never a resumed preset.
        {"jazz.pls", "[playlist]\r\nFile1=http://127.0.0.1:8000/jazz\r\nNumberOfEntries=1\r\n", false, ""},
        {"folder.tvp", QByteArray(), false, "does not exist"}, // a folder of that name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        if (!c.content.isNull()) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.content);
        }
        RecordingMessageService messages;
        RecordingConfig config;
        config.sRecordingTitle = QStringLiteral("before");
        EXPECT_EQ(LoadPresetToResume(path, config, messages), c.resumed);
        if (c.resumed) {
            EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(QLatin1Char('|')).toStdString();
            EXPECT_EQ(config.sRecordingTitle, QStringLiteral("Harbour Jazz"));
            EXPECT_EQ(config.sShoutCastFile, QStringLiteral("http://127.0.0.1:8000/jazz.pls"));
            EXPECT_EQ(config.sMP3Path, folder + QLatin1Char('/'));
            EXPECT_EQ(config.sConfigFileName, path);
            EXPECT_TRUE(config.bStartPaused);
            EXPECT_EQ(config.lTimedRecording, 30);
        } else {
            EXPECT_EQ(config.sRecordingTitle, QStringLiteral("before"));
            if (*c.said)
                EXPECT_TRUE(messages.messages.join(QLatin1Char('|')).contains(QLatin1String(c.said)))
                    << messages.messages.join(QLatin1Char('|')).toStdString();
        }
    }
}
