#include "stationprocess.h"

#include "tests/support/eventwait.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTcpSocket>

QString SourceDir()
{
    const QString dir = qEnvironmentVariable("TONQUILL_SOURCE_DIR");
    return dir.isEmpty() ? QStringLiteral(TONQUILL_SOURCE_DIR_DEFAULT) : dir;
}

QString BuildDir()
{
    const QString dir = qEnvironmentVariable("TONQUILL_BUILD_DIR");
    return dir.isEmpty() ? QStringLiteral(TONQUILL_BUILD_DIR_DEFAULT) : dir;
}

bool StationProcess::Start(const QStringList& arguments, const QString& logPath)
{
    const QString source = SourceDir();
    // The generated tones are kept in the build folder between runs.
    const QString cache = BuildDir() + QStringLiteral("/teststation-cache");
    QStringList all{source + QStringLiteral("/tools/teststation.py"), QStringLiteral("--port"), QStringLiteral("0"),
                    QStringLiteral("--lifetime"), QStringLiteral("60"), QStringLiteral("--cache"), cache,
                    QStringLiteral("--log"), logPath};
    all += arguments;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral("python3"), all);
    if (!m_process.waitForStarted(10000))
        return false;
    const bool ready = WaitUntil(
        [this] {
            m_output += m_process.readAllStandardOutput();
            return (m_output.contains("LISTENING ") && m_output.endsWith('\n'))
                   || m_process.state() == QProcess::NotRunning;
        },
        30000);
    if (!ready || m_process.state() == QProcess::NotRunning)
        return false;
    for (const QByteArray& line : m_output.split('\n')) {
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() == 2 && words[0] == "LISTENING")
            m_port = quint16(words[1].toUInt());
        if (words.size() == 2 && words[0] == "REFUSING")
            m_refusingPort = quint16(words[1].toUInt());
    }
    return m_port != 0;
}

void StationProcess::Stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

Fetched Fetch(quint16 port, const QByteArray& path, bool metadata, int timeoutMs)
{
    Fetched f;
    QTcpSocket socket;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
        ++f.reads;
        f.bytes += socket.readAll();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, [&] { f.closedByServer = true; });
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    f.connected = WaitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState
                                      || socket.state() == QAbstractSocket::UnconnectedState; },
                            5000)
                  && socket.state() == QAbstractSocket::ConnectedState;
    if (!f.connected)
        return f;
    socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port)
                 + "\r\nUser-Agent: WinampMPEG/2.8\r\nAccept: */*\r\nIcy-MetaData:" + (metadata ? "1" : "0")
                 + "\r\nConnection: close\r\n\r\n");
    WaitUntil([&] { return f.closedByServer; }, timeoutMs);
    f.bytes += socket.readAll();
    QObject::disconnect(&socket, nullptr, nullptr, nullptr);
    socket.abort();
    return f;
}

int RunTool(const QString& program, const QStringList& arguments, QByteArray* output)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return -1;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForStarted(10000))
        return -1;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(3000);
        return -1;
    }
    if (output)
        *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
