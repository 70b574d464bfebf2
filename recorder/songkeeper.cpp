#include "recorder/songkeeper.h"

#include "platform/filenames.h"
#include "platform/paths.h"
#include "recorder/recordingfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <unistd.h>

namespace {
// The title a recorder's name stands for: the name without its extension.
QString titleOf(const QString& name)
{
    const QString ext = RecordingExtensionOf(name);
    return name.endsWith(ext, Qt::CaseInsensitive) ? name.left(name.size() - ext.size()) : name;
}
} // namespace

void SongKeeper::Start(const RecordingOptions& options)
{
    m_options = options;
    m_rules.reset();
    m_titleFiles = 0;
    m_openIsFirst = false;
    m_partBase.clear();
    m_part = 1;
    m_sequence = 0;
    m_patternSaid = false;
    m_placedName.clear();
    m_placedPath.clear();
    m_nameless.clear();
    m_fileOf.clear();
    m_titleOf.clear();
}

QString SongKeeper::SetRules(std::shared_ptr<const SongRules> rules)
{
    m_rules = std::move(rules);
    if (!m_rules || m_rules->problems.isEmpty())
        return QString();
    return QCoreApplication::translate("SongKeeper", "[ERR] Song rules: %1")
        .arg(m_rules->problems.join(QStringLiteral("; ")));
}

QString SongKeeper::CleanTitle(const QString& title) const
{
    return !m_rules || m_rules->cleanUp.IsEmpty() ? title : m_rules->cleanUp.Apply(title);
}

QString SongKeeper::SongName(const QString& title, const QString& extension)
{
    const QString cleaned = CleanTitle(title);
    const QString name = (cleaned.isEmpty() ? title : cleaned) + extension;
    if (FileNameText(cleaned).isEmpty())
        m_nameless.insert(name);
    return name;
}

QString SongKeeper::SkipStatus(const QString& name)
{
    if (!m_partBase.isEmpty() && name == partName(m_part + 1))
        return QString(); // the next part of a song that is being kept
    const QString title = titleOf(name);
    const TitleVerdict verdict = m_rules ? m_rules->Judge(title) : TitleVerdict::Record;
    if (verdict != TitleVerdict::Ignored && verdict != TitleVerdict::NotWished)
        return QString();
    ++m_titleFiles;
    m_partBase.clear();
    return verdict == TitleVerdict::NotWished
               ? QCoreApplication::translate("SongKeeper", "Skipped: %1 (not on the wish list)").arg(title)
               : QCoreApplication::translate("SongKeeper", "Skipped: %1").arg(title);
}

QString SongKeeper::WishStatus(const QString& name) const
{
    if (!m_rules || m_rules->wish.IsEmpty() || !m_rules->wish.Matches(titleOf(name)))
        return QString();
    return QCoreApplication::translate("SongKeeper", "Now Recording a wished song: %1").arg(titleOf(name));
}

void SongKeeper::FileOpened(const QString& name, bool fromTitle, const QString& path, const QString& replaces)
{
    if (!path.isEmpty() && replaces.isEmpty()) {
        // A file not named after a title (the audio before the first one)
        // holds no title's play.
        m_titleOf.insert(path, fromTitle ? name : QString());
        if (fromTitle && (!m_fileOf.contains(name) || !FileExists(m_fileOf.value(name))))
            m_fileOf.insert(name, path);
        if (fromTitle) {
            m_placedName = name; // a failover goes on in this file
            m_placedPath = path;
        }
    }
    m_openIsFirst = fromTitle && m_titleFiles == 0;
    if (fromTitle)
        ++m_titleFiles;
    if (!m_partBase.isEmpty() && name == partName(m_part + 1)) {
        ++m_part;
        m_openIsFirst = false; // a part goes on with a song already counted
        --m_titleFiles;
    } else {
        m_partBase = fromTitle ? name : QString();
        m_part = 1;
    }
}

QString SongKeeper::EarlierPlayOf(const QString& name, const QString& path) const
{
    const QString earlier = m_fileOf.value(name);
    if (!earlier.isEmpty() && FileExists(earlier))
        return earlier;
    if (!FileExists(path))
        return QString();
    const auto holder = m_titleOf.constFind(path);
    if (holder != m_titleOf.cend())
        return *holder == name ? path : QString();
    // A file from before this recording: its name is all that tells its title.
    return !m_nameless.contains(name) && QFileInfo(path).fileName() == name ? path : QString();
}

QString SongKeeper::FileFor(const QString& name, const QString& path) const
{
    const QString earlier = EarlierPlayOf(name, path);
    return earlier.isEmpty() ? FreePath(path) : earlier;
}

QString SongKeeper::NextPartName(qint64 bytes, qint64 bytesPerSecond, bool fromTitle) const
{
    if (m_options.maxSongSeconds <= 0 || !fromTitle || m_partBase.isEmpty() || bytesPerSecond <= 0 ||
        bytes < qint64(m_options.maxSongSeconds) * bytesPerSecond)
        return QString();
    return partName(m_part + 1);
}

QString SongKeeper::partName(int part) const
{
    return titleOf(m_partBase) + QStringLiteral(" (part %1)").arg(part) + RecordingExtensionOf(m_partBase);
}

SongKeeper::Fate SongKeeper::FateOf(const QString& path, bool fromTitle, bool titleChange, bool perSong,
                                    qint32 kbps) const
{
    if (fromTitle && m_options.minSongSeconds > 0 && AudioSecondsOf(path, kbps) < m_options.minSongSeconds)
        return Fate::TooShort;
    if (!m_options.incompleteApart || !perSong)
        return Fate::Keep;
    // The audio before the first title, the song the recording joined, and
    // a song the end of the recording cut.
    if (!fromTitle || m_openIsFirst || !titleChange)
        return Fate::Incomplete;
    return Fate::Keep;
}

QString SongKeeper::Place(const QString& station, const QDateTime& start, bool fromTitle, QString& folder,
                          QString& name)
{
    if (!fromTitle)
        return QString();
    SongNameFields fields;
    fields.station = station;
    fields.title = m_nameless.contains(name) ? QString() : titleOf(name);
    fields.untitled = m_untitledName;
    fields.start = start;
    fields.sequence = ++m_sequence;
    QString problem;
    const QString relative =
        SongFileName(m_options.fileNamePattern, fields, RecordingExtensionOf(name), FileNameLimit(folder), &problem);
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    const QString songFolder = slash < 0 ? folder : JoinPath(folder, relative.left(slash));
    if (slash < 0 || QDir().mkpath(songFolder)) {
        m_placedName = name;
        folder = songFolder;
        name = relative.mid(slash + 1);
        m_placedPath = JoinPath(folder, name);
    } else if (problem.isEmpty()) {
        problem = QCoreApplication::translate("SongKeeper", "[ERR] DISK: Cannot create the folder %1").arg(songFolder);
    }
    if (problem.isEmpty() || m_patternSaid)
        return QString();
    m_patternSaid = true;
    return problem;
}

QString SetAside(const QString& path, const QString& folder, const QString& name)
{
    if (!QDir().mkpath(folder))
        return path;
    const QString wanted = FullRecordingPath(folder, name);
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const QString target = n == 1 ? wanted : NumberedPath(wanted, n);
        // link(2) never replaces a file that is there: an earlier incomplete
        // recording of the same title stays.
        if (::link(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) == 0) {
            QFile::remove(path);
            return target;
        }
        if (errno != EEXIST)
            break;
    }
    return path;
}
