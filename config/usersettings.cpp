#include "config/usersettings.h"

#include "platform/folders.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString& folderOverride()
{
    static QString folder;
    return folder;
}

// A settings file is small; anything larger is not one of ours.
constexpr qint64 kSettingsMaxBytes = 1024 * 1024;

// A file QSettings can take as it is: a regular UTF-8 text file of a
// settings file's size without NUL bytes, read without a format error.
bool readableSettings(const QString& path)
{
    const FileRead file = ReadRegularFile(path, kSettingsMaxBytes);
    if (!file.ok() || file.bytes.contains('\0') || !IsValidUtf8(file.bytes))
        return false;
    const QSettings probe(path, QSettings::IniFormat);
    return probe.status() == QSettings::NoError;
}

// Moves the store of an earlier version once per run: a file left alone is
// not tried (nor reported) again until the next start.
void moveOnce(const QString& oldFile, const QString& newFile)
{
    static QMutex mutex;
    static QSet<QString> tried;
    const QMutexLocker lock(&mutex);
    if (tried.contains(oldFile))
        return;
    tried.insert(oldFile);
    const SettingsMove result = MoveUserSettings(oldFile, newFile);
    if (result == SettingsMove::LeftAlone || result == SettingsMove::NotWritten)
        qWarning("The options in %s could not be moved to %s; they were left where they are.", qUtf8Printable(oldFile),
                 qUtf8Printable(newFile));
}

QString storeFile(const QString& appName)
{
    const QString name = appName + QStringLiteral("-user.ini");
    if (!folderOverride().isEmpty())
        return JoinPath(folderOverride(), name);
    const QString folder = ProgramFolders::ConfigFolder();
    const QString file = JoinPath(folder, name);
    // Only the user's own configuration had the store of earlier versions.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (!config.isEmpty() && QDir::cleanPath(folder) == QDir::cleanPath(config + QStringLiteral("/tonquill")))
        moveOnce(config + QLatin1Char('/') + appName + QLatin1Char('/') + appName + QStringLiteral(".ini"), file);
    return file;
}

std::unique_ptr<QSettings> openStore(const QString& appName)
{
    return std::make_unique<QSettings>(storeFile(appName), QSettings::IniFormat);
}

// QSettings treats "/" and "\" in names as group separators; a section or
// key is one name here.
QString plainName(QString name)
{
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return name.isEmpty() ? QStringLiteral("_") : name;
}

QString keyPath(const QString& section, const QString& key)
{
    return plainName(section) + QLatin1Char('/') + plainName(key);
}

} // namespace

QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& defaultValue)
{
    const auto store = openStore(appName);
    const QVariant value = store->value(keyPath(section, key));
    if (!value.isValid())
        return defaultValue;
    // An unquoted text with commas is read back as a list; join it again.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value)
{
    const auto store = openStore(appName);
    store->setValue(keyPath(section, key), value);
    store->sync();
}

void SetUserSettingsFolder(const QString& folder)
{
    folderOverride() = folder;
}

QString UserSettingsFile(const QString& appName)
{
    return storeFile(appName);
}

SettingsMove MoveUserSettings(const QString& oldFile, const QString& newFile)
{
    const QFileInfo old(oldFile);
    if (!old.exists() && !old.isSymLink())
        return SettingsMove::NothingThere;
    const QFileInfo now(newFile);
    const bool newThere = now.exists() || now.isSymLink();
    if (!readableSettings(oldFile) || (newThere && !readableSettings(newFile)))
        return SettingsMove::LeftAlone;
    const QString newFolder = QFileInfo(newFile).absolutePath();
    if (!QDir().mkpath(newFolder))
        return SettingsMove::NotWritten;
    {
        const QSettings from(oldFile, QSettings::IniFormat);
        QSettings to(newFile, QSettings::IniFormat);
        bool added = false;
        for (const QString& key : from.allKeys()) {
            if (!to.contains(key)) {
                to.setValue(key, from.value(key));
                added = true;
            }
        }
        to.sync();
        if (to.status() != QSettings::NoError || (added && !ReadRegularFile(newFile, kSettingsMaxBytes).ok()))
            return SettingsMove::NotWritten;
    }
    // Through a link, or on a file system that ignores case, the old file
    // may be one of the new folder's own.
    if (QFileInfo(old.canonicalFilePath()).absolutePath() == QFileInfo(newFolder).canonicalFilePath())
        return SettingsMove::Copied;
    if (!QFile::remove(oldFile))
        return SettingsMove::Copied;
    QDir().rmdir(old.absolutePath());
    return SettingsMove::Moved;
}

namespace {
const QString kApp = QStringLiteral("Tonquill");
const QString kSection = QStringLiteral("Registration");

bool flag(const QString& key, bool byDefault = false)
{
    return GetSetting(kApp, kSection, key, byDefault ? QStringLiteral("1") : QStringLiteral("0")).trimmed() ==
           QLatin1String("1");
}

void setFlag(const QString& key, bool on)
{
    SaveSetting(kApp, kSection, key, on ? QStringLiteral("1") : QStringLiteral("0"));
}
} // namespace

bool WriteID3v2Tags()
{
    return flag(QStringLiteral("ID3v2Tags"));
}

void SetWriteID3v2Tags(bool on)
{
    SaveSetting(kApp, kSection, QStringLiteral("ID3v2Tags"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool CoverArt()
{
    return flag(QStringLiteral("CoverArt"), true);
}

void SetCoverArt(bool on)
{
    setFlag(QStringLiteral("CoverArt"), on);
}

bool CoverLookupOn()
{
    return flag(QStringLiteral("CoverLookup"), false);
}

void SetCoverLookupOn(bool on)
{
    setFlag(QStringLiteral("CoverLookup"), on);
}

bool CutSongsInSilence()
{
    // A new user's songs are cut in the silence: files without a torn frame.
    return flag(QStringLiteral("CleanCuts"), true);
}

void SetCutSongsInSilence(bool on)
{
    SaveSetting(kApp, kSection, QStringLiteral("CleanCuts"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

int CutWindowMs()
{
    bool ok = false;
    const int ms = GetSetting(kApp, kSection, QStringLiteral("CutWindowMs"), QString()).trimmed().toInt(&ok);
    return ok && ms >= 0 && ms <= 10000 ? ms : RecordingOptions().cutWindowMs;
}

void SetCutWindowMs(int ms)
{
    SaveSetting(kApp, kSection, QStringLiteral("CutWindowMs"), QString::number(ms));
}

int GiveUpMinutes()
{
    bool ok = false;
    const int m = GetSetting(kApp, kSection, QStringLiteral("GiveUpMinutes"), QString()).trimmed().toInt(&ok);
    return ok && m >= 0 && m <= 10080 ? m : RecordingOptions().giveUpMinutes;
}

bool HlsLowestVariant()
{
    return GetSetting(kApp, kSection, QStringLiteral("HlsVariant"), QString()).trimmed().toLower() ==
           QLatin1String("lowest");
}

void SetHlsLowestVariant(bool lowest)
{
    SaveSetting(kApp, kSection, QStringLiteral("HlsVariant"),
                lowest ? QStringLiteral("lowest") : QStringLiteral("highest"));
}

void SetGiveUpMinutes(int minutes)
{
    SaveSetting(kApp, kSection, QStringLiteral("GiveUpMinutes"), QString::number(minutes));
}

int WatchMinutes()
{
    bool ok = false;
    const int m = GetSetting(kApp, kSection, QStringLiteral("WatchMinutes"), QString()).trimmed().toInt(&ok);
    return ok && m >= 1 && m <= 60 ? m : 5;
}

void SetWatchMinutes(int minutes)
{
    SaveSetting(kApp, kSection, QStringLiteral("WatchMinutes"), QString::number(minutes));
}

RecordingOptions::Repeat RepeatPolicy()
{
    const QString stored = GetSetting(kApp, kSection, QStringLiteral("RepeatPolicy"), QString()).trimmed().toLower();
    if (stored == QLatin1String("keep"))
        return RecordingOptions::Repeat::Keep;
    if (stored == QLatin1String("skip"))
        return RecordingOptions::Repeat::Skip;
    return RecordingOptions::Repeat::Replace;
}

void SetRepeatPolicy(RecordingOptions::Repeat policy)
{
    const char* text = policy == RecordingOptions::Repeat::Keep   ? "keep"
                       : policy == RecordingOptions::Repeat::Skip ? "skip"
                                                                  : "replace";
    SaveSetting(kApp, kSection, QStringLiteral("RepeatPolicy"), QString::fromLatin1(text));
}

namespace {
constexpr int kMaxSongSeconds = 86400;

int seconds(const QString& key)
{
    bool ok = false;
    const int s = GetSetting(kApp, kSection, key, QString()).trimmed().toInt(&ok);
    return ok && s >= 0 && s <= kMaxSongSeconds ? s : 0;
}

} // namespace

bool WishOnly()
{
    return flag(QStringLiteral("WishOnly"));
}

void SetWishOnly(bool on)
{
    setFlag(QStringLiteral("WishOnly"), on);
}

int MinSongSeconds()
{
    return seconds(QStringLiteral("MinSongSeconds"));
}

void SetMinSongSeconds(int s)
{
    SaveSetting(kApp, kSection, QStringLiteral("MinSongSeconds"), QString::number(s));
}

int MaxSongSeconds()
{
    return seconds(QStringLiteral("MaxSongSeconds"));
}

void SetMaxSongSeconds(int s)
{
    SaveSetting(kApp, kSection, QStringLiteral("MaxSongSeconds"), QString::number(s));
}

bool IncompleteApart()
{
    return flag(QStringLiteral("IncompleteApart"));
}

void SetIncompleteApart(bool on)
{
    setFlag(QStringLiteral("IncompleteApart"), on);
}

QString FileNamePattern()
{
    return GetSetting(kApp, kSection, QStringLiteral("FileNamePattern"), QString()).trimmed();
}

void SetFileNamePattern(const QString& pattern)
{
    SaveSetting(kApp, kSection, QStringLiteral("FileNamePattern"), pattern.trimmed());
}

RecordingOptions ReadRecordingOptions()
{
    RecordingOptions o;
    o.writeID3v2 = WriteID3v2Tags();
    o.coverArt = CoverArt();
    o.coverLookup = CoverLookupOn();
    o.cleanCuts = CutSongsInSilence();
    o.cutWindowMs = CutWindowMs();
    o.giveUpMinutes = GiveUpMinutes();
    o.repeatPolicy = RepeatPolicy();
    o.wishOnly = WishOnly();
    o.minSongSeconds = MinSongSeconds();
    o.maxSongSeconds = MaxSongSeconds();
    o.incompleteApart = IncompleteApart();
    o.fileNamePattern = FileNamePattern();
    return o;
}

bool NotifySongs()
{
    return flag(QStringLiteral("NotifySongs"));
}

void SetNotifySongs(bool on)
{
    setFlag(QStringLiteral("NotifySongs"), on);
}

bool NotifyProblems()
{
    return flag(QStringLiteral("NotifyProblems"), true);
}

void SetNotifyProblems(bool on)
{
    setFlag(QStringLiteral("NotifyProblems"), on);
}

QString LastPreset()
{
    return GetSetting(kApp, kSection, QStringLiteral("LastPreset"), QString());
}

void SetLastPreset(const QString& path)
{
    SaveSetting(kApp, kSection, QStringLiteral("LastPreset"), path);
}

bool ResumeRecordings()
{
    return flag(QStringLiteral("ResumeRecordings"));
}

void SetResumeRecordings(bool on)
{
    setFlag(QStringLiteral("ResumeRecordings"), on);
}

QList<ResumeEntry> RecordingsToResume()
{
    bool ok = false;
    const int count = GetSetting(kApp, kSection, QStringLiteral("ResumeCount"), QString()).trimmed().toInt(&ok);
    QList<ResumeEntry> entries;
    // A count out of reason is not believed.
    if (!ok || count < 0 || count > 100)
        return entries;
    for (int n = 1; n <= count; ++n) {
        const auto value = [n](const QString& key) {
            return GetSetting(kApp, kSection, key + QString::number(n), QString());
        };
        ResumeEntry entry{value(QStringLiteral("ResumePreset")), value(QStringLiteral("ResumeStation")),
                          value(QStringLiteral("ResumeTitle")), value(QStringLiteral("ResumeFolder")),
                          value(QStringLiteral("ResumeWatch")) == QLatin1String("1")};
        if (!entry.preset.isEmpty() || !entry.address.isEmpty())
            entries.append(entry);
    }
    return entries;
}

void SetRecordingsToResume(const QList<ResumeEntry>& entries)
{
    const int before = GetSetting(kApp, kSection, QStringLiteral("ResumeCount"), QString()).trimmed().toInt();
    SaveSetting(kApp, kSection, QStringLiteral("ResumeCount"), QString::number(entries.size()));
    const int last = std::max<int>(before, int(entries.size()));
    for (int n = 1; n <= std::min(last, 100); ++n) {
        const ResumeEntry entry = n <= entries.size() ? entries.at(n - 1) : ResumeEntry();
        const auto save = [n](const QString& key, const QString& v) {
            SaveSetting(kApp, kSection, key + QString::number(n), v);
        };
        save(QStringLiteral("ResumePreset"), entry.preset);
        save(QStringLiteral("ResumeStation"), entry.address);
        save(QStringLiteral("ResumeTitle"), entry.title);
        save(QStringLiteral("ResumeFolder"), entry.folder);
        save(QStringLiteral("ResumeWatch"), entry.watch ? QStringLiteral("1") : QString());
    }
}

QString ShownPath(const QString& path, qsizetype maxChars)
{
    if (path.size() <= maxChars)
        return path;
    const qsizetype head = (maxChars - 1) / 2;
    const qsizetype tail = maxChars - 1 - head;
    return path.left(head) + QChar(0x2026) + path.right(tail);
}

QString LastPresetToRecord(QString* problem)
{
    const QString path = LastPreset();
    const auto refuse = [&](const QString& why) {
        if (problem)
            *problem = why;
        return QString();
    };
    if (path.isEmpty())
        return refuse(QCoreApplication::translate("LastPreset", "No preset has been recorded yet: there is no last "
                                                                "preset to record."));
    const QString shown = ShownPath(path);
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        const int error = errno;
        if (error == EACCES)
            return refuse(QCoreApplication::translate("LastPreset", "The last preset %1 cannot be read (%2).")
                              .arg(shown, QString::fromLocal8Bit(std::strerror(error))));
        // Missing, or a path too long to be a file's.
        return refuse(QCoreApplication::translate("LastPreset", "The last preset %1 cannot be found.").arg(shown));
    }
    if (S_ISDIR(st.st_mode))
        return refuse(
            QCoreApplication::translate("LastPreset", "The last preset %1 is a folder, not a preset file.").arg(shown));
    if (!S_ISREG(st.st_mode))
        return refuse(QCoreApplication::translate("LastPreset", "The last preset %1 is not a preset file.").arg(shown));
    if (::access(name.constData(), R_OK) != 0) {
        const int error = errno;
        return refuse(QCoreApplication::translate("LastPreset", "The last preset %1 cannot be read (%2).")
                          .arg(shown, QString::fromLocal8Bit(std::strerror(error))));
    }
    if (problem)
        problem->clear();
    return path;
}
