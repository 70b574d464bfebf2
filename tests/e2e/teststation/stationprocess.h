#pragma once

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QProcess>
#include <QString>
#include <QStringList>

// The source and build folders: the environment's TONQUILL_SOURCE_DIR and
// TONQUILL_BUILD_DIR, else the folders this test was built from.
QString SourceDir();
QString BuildDir();

// The local test station run as a child process for one test. Stop() (also
// run by the destructor) ends it whatever state it is in.
class StationProcess {
public:
    ~StationProcess() { Stop(); }

    // Starts tools/teststation.py with `arguments` (a lifetime, a log file and
    // a cache folder are added) and waits for its LISTENING line.
    bool Start(const QStringList& arguments, const QString& logPath);
    void Stop();

    quint16 Port() const { return m_port; }
    quint16 RefusingPort() const { return m_refusingPort; }
    QByteArray Output() const { return m_output; }

private:
    QProcess m_process;
    QByteArray m_output;
    quint16 m_port = 0;
    quint16 m_refusingPort = 0;
};

// What a client got from one request.
struct Fetched {
    bool connected = false;
    bool closedByServer = false;
    int reads = 0;  // readyRead deliveries: a split header arrives in several
    QByteArray bytes;
};

// Connects to 127.0.0.1:`port`, sends a request for `path` in the recorder's
// format and reads until the server closes or `timeoutMs` has passed.
Fetched Fetch(quint16 port, const QByteArray& path, bool metadata, int timeoutMs);

// Runs a program to its end (bounded); its exit code, or -1 when it did not
// start or finish.
int RunTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr);

// The audio bytes the station's log says it sent, over all its connections.
inline qint64 AudioSentByStation(const QString& logPath)
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qint64 total = 0;
    const QRegularExpression re(QStringLiteral("^END id=\\d+ path=\\S+ audio=(\\d+)"));
    for (const QByteArray& line : file.readAll().split('\n')) {
        const auto m = re.match(QString::fromUtf8(line));
        if (m.hasMatch())
            total += m.captured(1).toLongLong();
    }
    return total;
}
