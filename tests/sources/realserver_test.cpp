#include "platform/messages.h"
#include "platform/tickcount.h"
#include "sources/urigrabber.h"
#include "tests/support/eventwait.h"
#include "tests/support/ports.h"
#include "tests/support/tools.h"
#include "tests/support/fakes.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// Python's own HTTP server on loopback, serving one folder.
class PythonHttpServer {
public:
    bool start(const QString& folder)
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            return false;
        // Python binds the port itself: when another program took it
        // meanwhile, the server ends and the next port is tried.
        for (int attempt = 0; attempt < 5; ++attempt) {
            port = UnusedPort();
            m_process.setProgram(python);
            m_process.setArguments({QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                                    QString::number(port), QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                                    QStringLiteral("--directory"), folder});
            m_process.setProcessChannelMode(QProcess::MergedChannels);
            m_process.start();
            QByteArray said;
            WaitUntil(
                [&] {
                    said += m_process.readAll();
                    return said.contains("Serving HTTP") || m_process.state() == QProcess::NotRunning;
                },
                5000);
            if (said.contains("Serving HTTP"))
                return true;
            stop();
        }
        return false;
    }
    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            WaitUntil([&] { return m_process.state() == QProcess::NotRunning; }, 3000);
        }
    }
    ~PythonHttpServer() { stop(); }
    int port = 0;

private:
    QProcess m_process;
};

TEST(GrabberWithARealServer, FetchesAPlaylistFromPythonsHttpServer)
{
    TempFolder folder;
    ASSERT_TRUE(
        WriteAll(folder.file(QStringLiteral("station.pls")),
                 "[playlist]\nNumberOfEntries=2\nFile1=http://127.0.0.1:8000/live\nTitle1=Loopback FM\n"
                 "Length1=-1\nFile2=http://127.0.0.1:8001/backup?sid=3\nTitle2=Backup\nLength2=-1\nVersion=2\n"));
    ASSERT_TRUE(WriteAll(folder.file(QStringLiteral("station.m3u")), "http://127.0.0.1:8000/live\r\n"));
    SKIP_WITHOUT_TOOL("python3");
    PythonHttpServer server;
    ASSERT_TRUE(server.start(folder.path())) << "python3 -m http.server could not be started";

    SystemTickSource clock;
    RecordingMessageService messages;
    ctlURIGrabber g(&clock, &messages);
    QStringList events;
    QString title;
    QObject::connect(&g, &ctlURIGrabber::URLRaise, [&](const QString& h, const QString& r, int p, const QString& q) {
        events << QStringLiteral("%1 %2 %3 %4").arg(h, r).arg(p).arg(q);
    });
    QObject::connect(&g, &ctlURIGrabber::Done, [&] {
        events << QStringLiteral("Done");
        title = g.strFirstTitle;
    });
    QObject::connect(&g, &ctlURIGrabber::Error, [&](int code) { events << QStringLiteral("Error %1").arg(code); });

    g.StartURIValidation(QStringLiteral("http://127.0.0.1:%1/station.pls").arg(server.port));
    ASSERT_TRUE(WaitUntil(
        [&] { return !events.isEmpty() && (events.last() == "Done" || events.last().startsWith("Error")); }, 5000));
    EXPECT_EQ(events, (QStringList{QStringLiteral("127.0.0.1 /live 8000 "),
                                   QStringLiteral("127.0.0.1 /backup 8001 sid=3"), QStringLiteral("Done")}));
    EXPECT_EQ(title, QStringLiteral("Loopback FM"));

    events.clear();
    g.StartURIValidation(QStringLiteral("http://127.0.0.1:%1/station.m3u").arg(server.port));
    ASSERT_TRUE(WaitUntil(
        [&] { return !events.isEmpty() && (events.last() == "Done" || events.last().startsWith("Error")); }, 5000));
    EXPECT_EQ(events, (QStringList{QStringLiteral("127.0.0.1 /live\r 8000 "), QStringLiteral("Done")}));

    events.clear();
    g.StartURIValidation(QStringLiteral("http://127.0.0.1:%1/missing.pls").arg(server.port));
    ASSERT_TRUE(WaitUntil([&] { return !events.isEmpty(); }, 5000));
    EXPECT_EQ(events, QStringList{QStringLiteral("Error 3")});
    EXPECT_TRUE(messages.messages.isEmpty());
}

} // namespace
