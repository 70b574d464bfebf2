#include "config/usersettings.h"

#include "platform/paths.h"

#include <QSettings>

#include <memory>

namespace {

QString& folderOverride()
{
    static QString folder;
    return folder;
}

QString explicitFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    return qEnvironmentVariable("TONQUILL_HOME");
}

std::unique_ptr<QSettings> openStore(const QString& appName)
{
    const QString folder = explicitFolder();
    if (!folder.isEmpty())
        return std::make_unique<QSettings>(JoinPath(folder, appName + QStringLiteral("-user.ini")), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, appName, appName);
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

}  // namespace

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
    return openStore(appName)->fileName();
}

namespace {
const QString kApp = QStringLiteral("Tonquill");
const QString kSection = QStringLiteral("Registration");

bool flag(const QString& key, bool byDefault = false)
{
    return GetSetting(kApp, kSection, key, byDefault ? QStringLiteral("1") : QStringLiteral("0")).trimmed() ==
           QLatin1String("1");
}
}  // namespace

bool WriteID3v2Tags()
{
    return flag(QStringLiteral("ID3v2Tags"));
}

void SetWriteID3v2Tags(bool on)
{
    SaveSetting(kApp, kSection, QStringLiteral("ID3v2Tags"), on ? QStringLiteral("1") : QStringLiteral("0"));
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

void SetGiveUpMinutes(int minutes)
{
    SaveSetting(kApp, kSection, QStringLiteral("GiveUpMinutes"), QString::number(minutes));
}

RecordingOptions::Repeat RepeatPolicy()
{
    const QString stored =
        GetSetting(kApp, kSection, QStringLiteral("RepeatPolicy"), QString()).trimmed().toLower();
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

void setFlag(const QString& key, bool on)
{
    SaveSetting(kApp, kSection, key, on ? QStringLiteral("1") : QStringLiteral("0"));
}
}  // namespace

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
