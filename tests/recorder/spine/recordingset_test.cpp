// Three recorders of one recording set, each on its own loopback station with
// its own configuration, folder, relay and messages: each records what it
// records alone, and a fault of one station changes nothing of the others.
#include "stationscript.h"
#include "recorder/recordingset.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QMap>
#include <QSignalSpy>

namespace {

QString Keys(const QMap<QString, QByteArray>& files)
{
    return files.keys().join(QLatin1Char('|'));
}

} // namespace

class RecordingSetTest : public RecorderFixture {
protected:
    struct Station {
        TempFolder folder;
        LoopbackStation loopback;
        FakeRelay relay;
        RecordingMessageService messages;
        RecordingConfig config;
        QByteArray script;
        qsizetype sent = 0;
        bool closeAfterScript = false; // the station goes away once its script is sent
        int id = 0;
    };

    Station& add(const QString& title, const QByteArray& script)
    {
        auto s = std::make_unique<Station>();
        RecorderDeps own = deps;
        own.relay = &s->relay;
        own.messages = &s->messages;
        s->id = set.Add(title, own);
        recordSongsContinuously();
        s->config = config;
        s->config.sMP3Path = s->folder.path();
        s->config.sRecordingTitle = title;
        s->script = script;
        stations.push_back(std::move(s));
        return *stations.back();
    }

    frmMP3& recorderOf(const Station& s) { return *set.Recorder(s.id); }

    void start(Station& s)
    {
        recorderOf(s).AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), s.loopback.port(), QString());
        recorderOf(s).StartRecording(s.config);
    }

    bool connected(Station& s)
    {
        return recorderOf(s).Timer1Enabled() && s.loopback.last() && recorderOf(s).SongRulesReady();
    }

    bool sendPiece(Station& s, qsizetype size)
    {
        if (s.sent >= s.script.size())
            return false;
        const QByteArray piece = s.script.mid(s.sent, size);
        s.loopback.last()->write(piece);
        s.sent += piece.size();
        if (s.sent >= s.script.size() && s.closeAfterScript)
            s.loopback.last()->disconnectFromHost();
        return true;
    }

    bool tookLastTitle(Station& s) { return recorderOf(s).Status().strSongName.startsWith(QLatin1String("End")); }

    // Starts the stations and sends their scripts in interleaved pieces;
    // waits until `done` holds for each.
    void runTogether(const std::vector<Station*>& runs, const std::function<bool(Station&)>& done)
    {
        for (Station* s : runs)
            start(*s);
        ASSERT_TRUE(WaitUntil(
            [&] { return std::all_of(runs.begin(), runs.end(), [&](Station* s) { return connected(*s); }); }));
        for (int round = 0; round < 10000; ++round) {
            bool any = false;
            for (Station* s : runs)
                any = sendPiece(*s, 29 + 13 * round % 31) || any;
            if (!any)
                break;
        }
        ASSERT_TRUE(
            WaitUntil([&] { return std::all_of(runs.begin(), runs.end(), [&](Station* s) { return done(*s); }); }));
    }

    // What station `fill` records alone, in a set of its own.
    QMap<QString, QByteArray> alone(char fill, const QByteArray& script)
    {
        Station& s = add(QStringLiteral("Alone ") + QLatin1Char(fill), script);
        runTogether({&s}, [this](Station& st) { return tookLastTitle(st); });
        set.Stop(s.id);
        return FilesIn(s.folder.path());
    }

    // The stations outlive the recorders, which hold their parts.
    std::vector<std::unique_ptr<Station>> stations;
    RecordingSet set;
};

// Station B of three misbehaves; A and C record exactly what they record alone.
TEST_F(RecordingSetTest, AFaultOfOneStationChangesNothingOfTheOthers)
{
    const QByteArray scriptA = StationScript('a', 3, 5);
    const QByteArray scriptC = StationScript('c', 2, 7);
    const QMap<QString, QByteArray> aloneA = alone('a', scriptA);
    const QMap<QString, QByteArray> aloneC = alone('c', scriptC);
    // Each song a file, and the audio before the first title one too; the
    // last title brought no audio, so it left no file.
    ASSERT_EQ(aloneA.size(), 4) << Keys(aloneA).toStdString();
    ASSERT_EQ(aloneC.size(), 3) << Keys(aloneC).toStdString();
    const QByteArray header = "ICY 200 OK\r\nicy-metaint:" + QByteArray::number(kMetaInt) + "\r\n\r\n";
    const QByteArray audio(kMetaInt, 'b');

    const struct Fault {
        const char* name;
        QByteArray script;
        bool close;         // the station goes away after its script
        bool unwritable;    // B's folder cannot be made
        int bFiles;         // the files B's folder holds afterwards
        const char* bError; // the error B shows at the end ("": none)
    } faults[] = {
        {"none", StationScript('b', 4, 3), false, false, 5, ""},
        {"outage mid-song", header + audio + IcyTitleBlock("Cut Short") + audio, true, false, 2,
         "[ERR] NETWORK: Reconnecting..."},
        // Taken as audio of a stream without titles, until it goes away.
        {"garbage for a header", QByteArray("\x00\xff\xfe garbage \x1b[2J\r\n\r\n", 20) + QByteArray(300, '\x7f'), true,
         false, 1, "[ERR] NETWORK: Reconnecting..."},
        // A block of 80 bytes that names no title: control bytes, a zero, letters.
        {"garbage metadata",
         header + audio + QByteArray(1, '\x05') + QByteArray("\x01\x02\xfe\xff", 4) + QByteArray(1, '\0') +
             QByteArray(75, 'g') + audio + IcyTitleBlock("End"),
         false, false, 1, ""},
        {"hostile title",
         header + audio +
             IcyTitleBlock("../../a/\x1b]0;owned\x07\xe2\x80\xae"
                           "Evil") +
             audio + IcyTitleBlock("End"),
         false, false, 2, ""},
        {"unwritable folder", StationScript('b', 2, 3), false, true, 0, "[ERR] DISK: Cannot create a recording file"},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        Station& a = add(QStringLiteral("Station A"), scriptA);
        Station& b = add(QStringLiteral("Station B"), f.script);
        Station& c = add(QStringLiteral("Station C"), scriptC);
        b.closeAfterScript = f.close;
        TempFolder blocked;
        if (f.unwritable) {
            ASSERT_TRUE(WriteAll(blocked.file(QStringLiteral("file")), "x"));
            b.config.sMP3Path = blocked.file(QStringLiteral("file/sub/"));
        }
        // B is done when its script was taken in or it stopped over it.
        const auto done = [&](Station& s) {
            if (&s != &b)
                return tookLastTitle(s);
            const RecorderStatus st = recorderOf(s).Status();
            return !st.blnRecording || st.connection == ConnectionState::WaitingToRetry ||
                   st.strSongName.startsWith(QLatin1String("End")) || (f.unwritable && !st.lastError.isEmpty());
        };
        runTogether({&a, &b, &c}, done);
        if (HasFailure())
            return;
        // The others neither said anything nor show an error, and record on.
        for (Station* s : {&a, &c}) {
            EXPECT_TRUE(s->messages.messages.isEmpty()) << s->messages.messages.join(QLatin1Char('|')).toStdString();
            EXPECT_TRUE(recorderOf(*s).Status().lastError.isEmpty()) << recorderOf(*s).Status().lastError.toStdString();
            EXPECT_TRUE(recorderOf(*s).Status().blnRecording);
            EXPECT_FALSE(set.Ended(s->id));
            EXPECT_EQ(recorderOf(*s).Config().sMP3Path, s->folder.path());
        }
        // B shows its own fault, and only B.
        if (*f.bError)
            EXPECT_TRUE(recorderOf(b).Status().lastError.startsWith(QLatin1String(f.bError)))
                << recorderOf(b).Status().lastError.toStdString();
        else
            EXPECT_TRUE(recorderOf(b).Status().lastError.isEmpty()) << recorderOf(b).Status().lastError.toStdString();
        set.StopAll();
        EXPECT_EQ(FilesIn(a.folder.path()), aloneA) << Keys(FilesIn(a.folder.path())).toStdString();
        EXPECT_EQ(FilesIn(c.folder.path()), aloneC) << Keys(FilesIn(c.folder.path())).toStdString();
        // B's files stay in B's folder, whatever its titles say.
        EXPECT_EQ(FilesIn(b.folder.path()).size(), f.bFiles) << Keys(FilesIn(b.folder.path())).toStdString();
        for (const QString& name : FilesIn(b.folder.path()).keys())
            EXPECT_FALSE(name.contains(QLatin1Char('/'))) << name.toStdString();
        for (const int id : set.Ids())
            set.Remove(id);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        stations.clear();
    }
}

// What the set says of its recordings: ids, ends (each once, with its
// status), the last end, removal.
TEST_F(RecordingSetTest, EachRecordingEndsOnceAndTheLastEndIsSaid)
{
    QSignalSpy addedSpy(&set, &RecordingSet::added);
    QSignalSpy endedSpy(&set, &RecordingSet::ended);
    QSignalSpy lastSpy(&set, &RecordingSet::lastEnded);
    QSignalSpy removedSpy(&set, &RecordingSet::removed);
    QSignalSpy titleSpy(&set, &RecordingSet::titleChanged);
    Station& a = add(QStringLiteral("A"), StationScript('a', 1, 2));
    Station& b = add(QStringLiteral("B"), StationScript('b', 1, 2));
    Station& c = add(QStringLiteral("C"), StationScript('c', 1, 2));
    EXPECT_EQ(set.Ids(), (QList<int>{a.id, b.id, c.id}));
    EXPECT_EQ(addedSpy.count(), 3);
    EXPECT_EQ(set.Title(b.id), QStringLiteral("B"));
    EXPECT_EQ(set.Recorder(99), nullptr);
    EXPECT_NE(set.Recorder(a.id), set.Recorder(b.id));
    set.SetTitle(b.id, QStringLiteral("B"));
    set.SetTitle(b.id, QStringLiteral("Bee"));
    ASSERT_EQ(titleSpy.count(), 1);
    EXPECT_EQ(titleSpy.at(0).at(1).toString(), QStringLiteral("Bee"));
    runTogether({&a, &b, &c}, [this](Station& s) { return tookLastTitle(s); });
    ASSERT_EQ(set.Running(), 3);

    // A's recorder ends its program ("exit when done"): only A ends.
    set.Recorder(a.id)->QuitProgram(3);
    ASSERT_EQ(endedSpy.count(), 1);
    EXPECT_EQ(endedSpy.at(0), (QList<QVariant>{a.id, 3}));
    EXPECT_TRUE(recorderOf(b).Status().blnRecording);
    EXPECT_EQ(set.ExitStatus(a.id), 3);
    // B stopped by its recorder (a timed end does the same): it ends with 0,
    // and once only however often it is stopped.
    recorderOf(b).StopRecording();
    set.Stop(b.id);
    ASSERT_EQ(endedSpy.count(), 2);
    EXPECT_EQ(endedSpy.at(1), (QList<QVariant>{b.id, 0}));
    EXPECT_EQ(lastSpy.count(), 0);
    EXPECT_EQ(set.Running(), 1);
    // C is the last: its end is the set's.
    set.StopAll();
    EXPECT_EQ(endedSpy.count(), 3);
    EXPECT_EQ(lastSpy.count(), 1);
    EXPECT_FALSE(recorderOf(c).Status().blnRecording);
    // C's file was closed when it stopped, with everything it had taken.
    EXPECT_EQ(FilesIn(c.folder.path()).size(), 2) << Keys(FilesIn(c.folder.path())).toStdString();

    // Removing forgets; an id is never given again.
    set.Remove(a.id);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(removedSpy.count(), 1);
    EXPECT_FALSE(set.Contains(a.id));
    EXPECT_EQ(set.Recorder(a.id), nullptr);
    Station& d = add(QStringLiteral("D"), QByteArray());
    EXPECT_GT(d.id, c.id);
    // A recording that could not start is ended by its owner, with its status;
    // it is the last running one again.
    set.End(d.id, 1);
    set.End(d.id, 0);
    EXPECT_TRUE(set.Ended(d.id));
    EXPECT_EQ(set.ExitStatus(d.id), 1);
    EXPECT_EQ(lastSpy.count(), 2);
}
