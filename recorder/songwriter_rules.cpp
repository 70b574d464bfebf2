// The song rules' part in a recording: its titles wait for the lists'
// compiled rules (the audio after them is held meanwhile), and in closing a
// file a song too short is deleted, one not recorded whole set aside; any
// other is finished as usual.
#include "platform/paths.h"
#include "recorder/songwriter.h"

#include <QFile>
#include <QFileInfo>
#include <utility>

QString SongWriter::settleSong(const QString& path, const QString& earlier, bool titleChange)
{
    const SongKeeper::Fate fate =
        m_songs.FateOf(path, m_fileFromTitle, titleChange, mode() == Mode::PerSong, m_bitRate);
    if (fate == SongKeeper::Fate::TooShort && QFile::remove(path)) {
        QFile::remove(CoverPathBeside(path)); // an AAC song's picture goes with it
        // An earlier recording of the title, if any, stays as it was.
        SongEvent deleted{SongEvent::Kind::TooShort};
        deleted.name = QFileInfo(earlier.isEmpty() ? path : earlier).fileName();
        deleted.count = m_songs.MinSongSeconds();
        say(deleted);
        return QString();
    }
    if (fate == SongKeeper::Fate::Incomplete) {
        // Under its usual name: a repeat's hidden name is not kept.
        return SetAside(path, JoinPath(folder(), QString::fromLatin1(kIncompleteFolder)),
                        QFileInfo(earlier.isEmpty() ? path : earlier).fileName());
    }
    return finishFile(path, earlier, titleChange && m_fileFromTitle);
}

void SongWriter::RulesCompiled()
{
    if (!m_rulesWanted)
        return;
    // Asked again: lists changed meanwhile are compiled once more.
    if (auto rules = m_rulesCompiler->Rules(m_rulesFolder, m_options.wishOnly))
        useSongRules(std::move(rules));
}

void SongWriter::useSongRules(std::shared_ptr<const SongRules> rules)
{
    m_rulesWanted = false;
    if (const QString said = m_songs.SetRules(std::move(rules)); !said.isEmpty())
        sayText(SongEvent::Kind::Say, said);
    ReleaseHeld();
}

void SongWriter::ReleaseHeld()
{
    if (m_heldTitles.empty())
        return;
    const std::vector<HeldTitle> titles = std::exchange(m_heldTitles, {});
    const QByteArray audio = std::exchange(m_heldAudio, QByteArray());
    if (m_rulesWanted)
        say({SongEvent::Kind::RulesLate});
    qsizetype pos = 0;
    for (const HeldTitle& t : titles) {
        routeAudio(audio.constData() + pos, t.at - pos);
        pos = t.at;
        takeTitle(t.title, t.firstBlock);
    }
    routeAudio(audio.constData() + pos, audio.size() - pos);
    flushAudio(); // the queued audio points into `audio`
}
