// The song rules' part in a recording: its titles wait for the lists'
// compiled rules (the audio after them is held meanwhile), and in closing a
// file a song too short is deleted, one not recorded whole set aside; any
// other is finished as usual.
#include "config/configuration.h"
#include "platform/paths.h"
#include "recorder/frmmp3.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

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

void frmMP3::onSongRulesCompiled()
{
    if (!m_rulesWanted)
        return;
    // Asked again: lists changed meanwhile are compiled once more.
    if (auto rules = m_rulesCompiler->Rules(m_rulesFolder, m_options.wishOnly))
        useSongRules(std::move(rules));
}

void frmMP3::useSongRules(std::shared_ptr<const SongRules> rules)
{
    const Publish publish(*this);
    m_rulesWanted = false;
    if (const QString said = m_songs.SetRules(std::move(rules)); !said.isEmpty())
        setSongCaption(said);
    releaseHeldTitles();
}

void frmMP3::releaseHeldTitles()
{
    if (m_heldTitles.empty())
        return;
    const Publish publish(*this);
    const std::vector<HeldTitle> titles = std::exchange(m_heldTitles, {});
    const QByteArray audio = std::exchange(m_heldAudio, QByteArray());
    if (m_rulesWanted)
        showError(tr("[ERR] Song rules: not read yet; the songs so far are recorded without them"));
    qsizetype pos = 0;
    for (const HeldTitle& t : titles) {
        routeAudio(audio.constData() + pos, t.at - pos);
        pos = t.at;
        takeTitle(t.title, t.firstBlock);
    }
    routeAudio(audio.constData() + pos, audio.size() - pos);
    flushAudio(); // the queued audio points into `audio`
}
