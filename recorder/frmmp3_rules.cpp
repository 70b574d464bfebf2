// The song rules' part in closing a file: a song too short is deleted, one
// not recorded whole set aside; any other is finished as usual.
#include "config/configuration.h"
#include "platform/paths.h"
#include "recorder/frmmp3.h"

#include <QFile>
#include <QFileInfo>

QString frmMP3::settleSong(const QString& path, const QString& earlier, bool titleChange)
{
    const SongKeeper::Fate fate =
        m_songs.FateOf(path, m_fileFromTitle, titleChange, m_config.lRecordingMode == RecordingMode::PerSong, lngBitRate);
    if (fate == SongKeeper::Fate::TooShort && QFile::remove(path)) {
        // An earlier recording of the title, if any, stays as it was.
        setSongCaption(tr("Deleted %1: shorter than %2 seconds")
                           .arg(QFileInfo(earlier.isEmpty() ? path : earlier).fileName(),
                                QString::number(m_songs.MinSongSeconds())));
        return QString();
    }
    if (fate == SongKeeper::Fate::Incomplete) {
        // Under its usual name: a repeat's hidden name is not kept.
        return SetAside(path, JoinPath(m_config.sMP3Path, QString::fromLatin1(kIncompleteFolder)),
                        QFileInfo(earlier.isEmpty() ? path : earlier).fileName());
    }
    return finishFile(path, earlier, titleChange && m_fileFromTitle);
}
