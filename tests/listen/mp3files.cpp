#include "tests/listen/mp3files.h"

#include "tests/support/eventwait.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

namespace mp3files {

bool HaveTool(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

QByteArray RunTool(const QString& program, const QStringList& arguments, bool& ok, int timeoutMs)
{
    QProcess p;
    p.start(program, arguments);
    ok = p.waitForStarted(5000) && p.waitForFinished(timeoutMs) && p.exitStatus() == QProcess::NormalExit
         && p.exitCode() == 0;
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(2000);
    }
    return ok ? p.readAllStandardOutput() : QByteArray();
}

QByteArray MakeSine(const QString& folder, int seconds)
{
    if (!HaveTool(QStringLiteral("sox")) || !HaveTool(QStringLiteral("lame")))
        return {};
    const QString wav = folder + QStringLiteral("sine.wav");
    const QString mp3 = folder + QStringLiteral("sine.mp3");
    bool ok = false;
    RunTool(QStringLiteral("sox"),
            {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"), QStringLiteral("2"),
             wav, QStringLiteral("synth"), QString::number(seconds), QStringLiteral("sine"), QStringLiteral("440")},
            ok);
    if (!ok)
        return {};
    RunTool(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"), wav, mp3}, ok);
    if (!ok)
        return {};
    return ReadAll(mp3);
}

int FfprobeFrameCount(const QString& path)
{
    if (!HaveTool(QStringLiteral("ffprobe")))
        return -1;
    bool ok = false;
    const QByteArray out = RunTool(QStringLiteral("ffprobe"),
                                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_packets"),
                                    QStringLiteral("-select_streams"), QStringLiteral("a"), QStringLiteral("-show_entries"),
                                    QStringLiteral("stream=nb_read_packets"), QStringLiteral("-of"),
                                    QStringLiteral("csv=p=0"), path},
                                   ok);
    bool number = false;
    const int frames = out.trimmed().split(',').value(0).toInt(&number);
    return ok && number ? frames : -1;
}

qint64 WavDataBytes(const QString& path)
{
    const QByteArray wav = ReadAll(path);
    // RIFF header, then chunks; find "data".
    if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
        return -1;
    qsizetype at = 12;
    while (at + 8 <= wav.size()) {
        const QByteArray id = wav.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(wav.constData() + at + 4);
        if (id == "data")
            return qMin<qint64>(size, wav.size() - at - 8);
        at += 8 + static_cast<qsizetype>(size) + (size & 1);
    }
    return -1;
}

}  // namespace mp3files
