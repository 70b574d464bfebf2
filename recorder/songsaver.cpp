#include "recorder/songsaver.h"

#include "recorder/recordingfiles.h"

#include <QCoreApplication>
#include <QDate>

SongSaver::SongSaver(LastMinutes& kept) : m_kept(kept)
{
    m_kept.unitKept = [this](QByteArrayView unit, quint32 serial) { append(unit, serial); };
}

SongSaver::~SongSaver()
{
    m_kept.unitKept = nullptr;
    Finish();
}

QString SongSaver::Start(const QString& folder, QString* problem)
{
    const auto say = [problem](const QString& text) {
        *problem = text;
        return QString();
    };
    if (Saving())
        return say(QCoreApplication::translate("SongSaver", "this song is being saved already"));
    const QString title = m_kept.MarkedTitle();
    if (title.isEmpty())
        return say(QCoreApplication::translate("SongSaver", "no song has begun yet"));
    if (!m_kept.TitleKept())
        return say(QCoreApplication::translate("SongSaver", "the song began before the minutes kept"));
    const QString ext = m_kept.Extension();
    QString path = FullRecordingPath(folder, CleanRecordingName(title + ext));
    for (int n = 2; QFile::exists(path) && n < 1000; ++n)
        path = FullRecordingPath(folder, CleanRecordingName(title + QStringLiteral(" (%1)").arg(n) + ext));
    m_file.setFileName(path);
    const QByteArray head = m_kept.BytesSinceTitle();
    if (QFile::exists(path) || !m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        m_file.write(head) != head.size()) {
        *problem = QCoreApplication::translate("SongSaver", "%1 cannot be written: %2").arg(path, m_file.errorString());
        m_file.close();
        return QString();
    }
    m_title = title;
    m_failed = false;
    m_serialKnown = !head.isEmpty();
    m_serial = m_kept.LastSerial();
    return path;
}

void SongSaver::append(QByteArrayView unit, quint32 serial)
{
    if (!Saving() || m_failed)
        return;
    // A new Ogg stream in the song needs its header pages first.
    if (m_kept.KeptFraming() == LastMinutes::Framing::Ogg && (!m_serialKnown || serial != m_serial)) {
        const QByteArray headers = m_kept.HeadersOf(serial);
        m_failed = m_file.write(headers) != headers.size();
    }
    m_serial = serial;
    m_serialKnown = true;
    m_failed = m_failed || m_file.write(unit.data(), unit.size()) != unit.size();
}

void SongSaver::Finish()
{
    if (!Saving())
        return;
    const QString path = m_file.fileName();
    const bool mp3 = m_kept.KeptFraming() == LastMinutes::Framing::Mp3;
    m_file.close();
    if (mp3)
        WriteID3Tag(path, TagInfoForRecording(m_title + QStringLiteral(".mp3"), true, QString()), QDate::currentDate());
}
