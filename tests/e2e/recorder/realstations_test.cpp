// The real program against Icecast as stations run it today: titles with
// apostrophes, titles Icecast rewrites as character references for a mount's
// charset, and AAC streams.
#include "stationprocess.h"
#include "tonquillprocess.h"

#include "tests/e2e/icecast/icecastserver.h"
#include "tests/support/eventwait.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class RealStations : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        if (!IcecastServer::Available(&why))
            GTEST_SKIP() << why.toStdString();
    }
    bool startServer(const QByteArray& charset, bool aac)
    {
        IcecastServer::Options options;
        options.metaInterval = 8192;
        options.charset = charset;
        options.mount = aac ? "/live.aac" : "/live.mp3";
        server = std::make_unique<IcecastServer>(options);
        if (!server->Start())
            return false;
        IcecastServer::SourceOptions source;
        source.durationSeconds = 120;
        source.name = QStringLiteral("Real FM");
        source.aac = aac;
        return server->StartSource(source) && server->WaitForMount(15000);
    }
    QString preset()
    {
        const QString path = dir.file(QStringLiteral("real.tvp"));
        const QString playlist =
            QStringLiteral("http://127.0.0.1:%1%2.m3u").arg(server->Port()).arg(QString::fromLatin1(server->Mount()));
        WriteAll(path, (QStringLiteral("Real FM\r\n") + playlist + "\r\nSONGNAMEONLY\r\n" + out.path() + "\r\n 0 \r\n 0 \r\n").toUtf8());
        return path;
    }
    // Records while each title plays for a moment; returns the files made.
    QStringList record(const QList<QPair<QString, bool>>& titles, const QByteArray& extension)
    {
        Tonquill tonquill(dir.path());
        EXPECT_TRUE(tonquill.Start({preset()}));
        for (const auto& [title, utf8] : titles) {
            EXPECT_TRUE(utf8 ? server->SetTitleUtf8(title) : server->SetTitle(title)) << server->LastError().toStdString();
            const QByteArray expected = "Now Recording: " + title.toUtf8();
            EXPECT_TRUE(tonquill.WaitForOutput(expected, 20000))
                << expected.constData() << "\n" << tonquill.Output().constData() << tonquill.Errors().constData();
            RunEventsFor(1500);
        }
        tonquill.Signal(SIGTERM);
        EXPECT_TRUE(tonquill.WaitForEnd(10000));
        EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();
        Q_UNUSED(extension);
        return QDir(out.path()).entryList(QDir::Files, QDir::Name);
    }

    TempFolder dir;
    TempFolder out;
    std::unique_ptr<IcecastServer> server;
};

}  // namespace

TEST_F(RealStations, ApostrophesAndCharacterReferencesKeepTheWholeTitle)
{
    ASSERT_TRUE(startServer("ISO8859-1", false)) << server->LastError().toStdString();
    const QString obrien = QStringLiteral("O'Brien & The Testers - Don't Stop Me Now (It's Live)");
    const QString greek = QString::fromUtf8("\u0391\u03bb\u03ba\u03c5\u03cc\u03bd\u03b7 - \u03a4\u03c1\u03b1\u03b3\u03bf\u03cd\u03b4\u03b9");
    const QString guns = QStringLiteral("Guns N' Roses - Paradise City");
    const QStringList files = record({{obrien, true}, {greek, true}, {guns, true}}, ".mp3");
    EXPECT_TRUE(files.contains(obrien + QStringLiteral(".mp3"))) << files.join('|').toStdString();
    EXPECT_TRUE(files.contains(greek + QStringLiteral(".mp3"))) << files.join('|').toStdString();
    EXPECT_TRUE(files.contains(guns + QStringLiteral(".mp3"))) << files.join('|').toStdString();
    for (const QString& f : files)
        EXPECT_FALSE(f.startsWith(QLatin1Char('.'))) << "a repeat file was left: " << f.toStdString();
}

TEST_F(RealStations, AnAacStationGivesAacFiles)
{
    ASSERT_TRUE(startServer(QByteArray(), true)) << server->LastError().toStdString();
    const QStringList files = record({{QStringLiteral("Artist - AAC Song"), false}}, ".aac");
    EXPECT_TRUE(files.contains(QStringLiteral("Artist - AAC Song.aac"))) << files.join('|').toStdString();
    for (const QString& f : files)
        EXPECT_TRUE(f.endsWith(QLatin1String(".aac"))) << f.toStdString();
    // ffprobe reads the file as AAC audio.
    QByteArray probe;
    ASSERT_EQ(RunTool(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                                  QStringLiteral("stream=codec_name"), QStringLiteral("-of"),
                                                  QStringLiteral("csv=p=0"), out.file(QStringLiteral("Artist - AAC Song.aac"))},
                      &probe),
              0);
    EXPECT_TRUE(probe.contains("aac")) << probe.constData();
}
