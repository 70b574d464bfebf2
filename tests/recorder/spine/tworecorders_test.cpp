// Two recorders in one process, each with its own configuration, folder and
// station: each records what it would record alone.
#include "stationscript.h"

class TwoRecordersTest : public RecorderFixture {
protected:
    struct Recording {
        TempFolder folder;
        LoopbackStation station;
        FakeRelay relay;
        RecordingConfig config;
        std::unique_ptr<frmMP3> recorder;
        QByteArray script;
        qsizetype sent = 0;
    };

    std::unique_ptr<Recording> make(const QString& title, const QByteArray& script)
    {
        auto r = std::make_unique<Recording>();
        RecorderDeps own = deps;
        own.relay = &r->relay;
        r->recorder = std::make_unique<frmMP3>(own);
        recordSongsContinuously();
        r->config = config;
        r->config.sMP3Path = r->folder.path();
        r->config.sRecordingTitle = title;
        r->script = script;
        r->recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), r->station.port(), QString());
        r->recorder->StartRecording(r->config);
        return r;
    }

    static bool connected(Recording& r)
    {
        return r.recorder->Timer1Enabled() && r.station.last() && r.recorder->SongRulesReady();
    }

    // Sends the next piece of the script; false once all was sent.
    static bool sendPiece(Recording& r, qsizetype size)
    {
        if (r.sent >= r.script.size())
            return false;
        const QByteArray piece = r.script.mid(r.sent, size);
        r.station.last()->write(piece);
        r.sent += piece.size();
        return true;
    }

    static bool finished(const Recording& r)
    {
        return r.recorder->Status().strSongName.startsWith(QLatin1String("End"));
    }

    // Runs the recordings together, their scripts sent in alternating
    // pieces, and stops them once each has taken its last title.
    void runTogether(const std::vector<Recording*>& runs)
    {
        ASSERT_TRUE(WaitUntil(
            [&] { return std::all_of(runs.begin(), runs.end(), [](Recording* r) { return connected(*r); }); }));
        for (int round = 0; round < 10000; ++round) {
            bool any = false;
            for (Recording* r : runs)
                any = sendPiece(*r, 37 + 11 * round % 29) || any;
            if (!any)
                break;
        }
        ASSERT_TRUE(WaitUntil(
            [&] { return std::all_of(runs.begin(), runs.end(), [](Recording* r) { return finished(*r); }); }));
        for (Recording* r : runs)
            r->recorder->StopRecording();
    }
};

TEST_F(TwoRecordersTest, EachRecordsItsOwnStationAsItWouldAlone)
{
    const QByteArray scriptA = StationScript('a', 3, 5);
    const QByteArray scriptB = StationScript('b', 4, 3);

    QMap<QString, QByteArray> aloneA, aloneB;
    {
        auto a = make(QStringLiteral("Station A"), scriptA);
        runTogether({a.get()});
        aloneA = FilesIn(a->folder.path());
    }
    {
        auto b = make(QStringLiteral("Station B"), scriptB);
        runTogether({b.get()});
        aloneB = FilesIn(b->folder.path());
    }
    // Alone, each station's songs are its own files, with its own audio.
    ASSERT_EQ(aloneA.size(), 4) << aloneA.keys().join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(aloneB.size(), 5) << aloneB.keys().join(QLatin1Char('|')).toStdString();
    for (auto it = aloneA.cbegin(); it != aloneA.cend(); ++it) {
        EXPECT_FALSE(it.value().contains('b')) << it.key().toStdString();
        EXPECT_TRUE(it.value().startsWith('a')) << it.key().toStdString();
    }

    auto a = make(QStringLiteral("Station A"), scriptA);
    auto b = make(QStringLiteral("Station B"), scriptB);
    EXPECT_NE(a->recorder->Config().sMP3Path, b->recorder->Config().sMP3Path);
    runTogether({a.get(), b.get()});
    EXPECT_EQ(FilesIn(a->folder.path()), aloneA);
    EXPECT_EQ(FilesIn(b->folder.path()), aloneB);
    EXPECT_EQ(a->recorder->Config().sRecordingTitle, QStringLiteral("Station A"));
    EXPECT_EQ(b->recorder->Config().sRecordingTitle, QStringLiteral("Station B"));
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(QLatin1Char('|')).toStdString();
}
