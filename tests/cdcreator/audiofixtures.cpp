#include "audiofixtures.h"

#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QProcess>

bool RunTool(const QString& program, const QStringList& arguments, QByteArray* output, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return false;
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < timeoutMs) {
        process.waitForReadyRead(200);
        out += process.readAllStandardOutput();
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        return false;
    }
    out += process.readAllStandardOutput();
    if (output)
        *output = out;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool MakeTone(const QString& path, double seconds, int sampleRate, int channels)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString length = QString::number(seconds, 'f', 3);
    if (suffix == QLatin1String("wav"))
        return RunTool(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QString::number(sampleRate),
                                               QStringLiteral("-c"), QString::number(channels), QStringLiteral("-b"),
                                               QStringLiteral("16"), path, QStringLiteral("synth"), length,
                                               QStringLiteral("sine"), QStringLiteral("440")});
    if (suffix == QLatin1String("mp3")) {
        const QString wav = path + QStringLiteral(".src.wav");
        return MakeTone(wav, seconds, sampleRate, channels) &&
               RunTool(QStringLiteral("lame"), {QStringLiteral("--quiet"), wav, path});
    }
    QStringList args = {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                        QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("sine=frequency=330:sample_rate=%1:duration=%2").arg(sampleRate).arg(length),
                        QStringLiteral("-ac"), QString::number(channels)};
    if (suffix == QLatin1String("ogg"))
        args << QStringLiteral("-c:a") << QStringLiteral("libvorbis");
    args << path;
    return RunTool(QStringLiteral("ffmpeg"), args);
}

QByteArray FfmpegDecode(const QString& path)
{
    QByteArray pcm;
    if (!RunTool(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                                            QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ar"),
                                            QStringLiteral("44100"), QStringLiteral("-ac"), QStringLiteral("2"),
                                            QStringLiteral("-")},
                 &pcm))
        return {};
    return pcm;
}

bool MakeWav(const QString& path, double seconds, int rate, const QList<QPair<QByteArray, QByteArray>>& info)
{
    auto le32 = [](quint32 v) {
        QByteArray b;
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
        return b;
    };
    QByteArray list;
    for (const auto& [id, value] : info) {
        QByteArray text = value + '\0';
        if (text.size() % 2)
            text.append('\0');
        list += id + le32(quint32(value.size() + 1)) + text;
    }
    if (!list.isEmpty())
        list = "LIST" + le32(quint32(list.size() + 4)) + "INFO" + list;
    const quint32 samples = quint32(seconds * rate);
    QByteArray body = "WAVEfmt " + le32(16) + QByteArray("\x01\x00\x01\x00", 4) + le32(quint32(rate)) +
                      le32(quint32(rate)) + QByteArray("\x01\x00\x08\x00", 4) + list + "data" + le32(samples) +
                      QByteArray(samples, char(0x80));
    if (samples % 2)
        body.append(char(0x80));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("RIFF" + le32(quint32(body.size())) + body) > 0;
}
