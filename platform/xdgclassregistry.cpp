#include "platform/xdgclassregistry.h"

#include "platform/text.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

const QString kPresetType = QStringLiteral("application/x-tonquill-preset");
const QString kEntryGroup = QStringLiteral("[Desktop Entry]");
const QString kDefaults = QStringLiteral("[Default Applications]");

// The key of the desktop entry that holds a class key's value.
QString entryKeyOf(const QString& subKey)
{
    if (subKey.isEmpty())
        return QStringLiteral("Comment");
    if (subKey == QLatin1String("DefaultIcon"))
        return QStringLiteral("Icon");
    if (subKey == QLatin1String("shell"))
        return QStringLiteral("X-Tonquill-Verb");
    if (subKey == QLatin1String("shell\\open"))
        return QStringLiteral("X-Tonquill-Open");
    if (subKey == QLatin1String("shell\\open\\command"))
        return QStringLiteral("Exec");
    return {};
}

QString escapeValue(QString v)
{
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    v.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    v.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    v.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return v;
}

QString unescapeValue(const QString& v)
{
    QString out;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == QLatin1Char('\\') && i + 1 < v.size()) {
            const QChar c = v[++i];
            out += c == QLatin1Char('n')   ? QChar('\n')
                   : c == QLatin1Char('r') ? QChar('\r')
                   : c == QLatin1Char('t') ? QChar('\t')
                   : c == QLatin1Char('s') ? QChar(' ')
                                           : c;
        } else {
            out += v[i];
        }
    }
    return out;
}

QStringList readLines(const QString& path)
{
    QString text;
    return ReadTextFile(path, text) ? SplitLines(text) : QStringList();
}

// Desktop files and mimeapps.list end their lines with LF alone.
bool writeLines(const QString& path, const QStringList& lines)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return f.commit();
}

} // namespace

XdgClassRegistry::XdgClassRegistry(ICommandRunner& runner, QString dataHome, QString configHome)
    : m_runner(runner), m_dataHome(std::move(dataHome)), m_configHome(std::move(configHome))
{
    if (m_dataHome.isEmpty())
        m_dataHome = qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
    if (m_configHome.isEmpty())
        m_configHome = qEnvironmentVariable("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

QString XdgClassRegistry::DesktopFileOf(const QString& className)
{
    if (className == QLatin1String("Tavrix.Preset"))
        return QStringLiteral("tonquill-preset.desktop");
    if (className == QLatin1String("Tavrix.Playlist"))
        return QStringLiteral("tonquill-playlist.desktop");
    return {};
}

QString XdgClassRegistry::MimeTypeOf(const QString& extension)
{
    if (extension == QLatin1String(".tvp"))
        return kPresetType;
    if (extension == QLatin1String(".pls"))
        return QStringLiteral("audio/x-scpls");
    return {};
}

QString XdgClassRegistry::QuoteExecArgument(const QString& path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString XdgClassRegistry::mimeappsPath() const
{
    return m_configHome + QStringLiteral("/mimeapps.list");
}

QString XdgClassRegistry::applicationsFolder() const
{
    return m_dataHome + QStringLiteral("/applications/");
}

QString XdgClassRegistry::packagePath() const
{
    return m_dataHome + QStringLiteral("/mime/packages/tonquill-preset.xml");
}

QString XdgClassRegistry::defaultApplication(const QString& mimeType) const
{
    bool inDefaults = false;
    for (const QString& raw : readLines(mimeappsPath())) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inDefaults = line == kDefaults;
        } else if (inDefaults && line.section(QLatin1Char('='), 0, 0).trimmed() == mimeType) {
            return line.section(QLatin1Char('='), 1).split(QLatin1Char(';'), Qt::SkipEmptyParts).value(0).trimmed();
        }
    }
    return {};
}

bool XdgClassRegistry::setDefaultApplication(const QString& mimeType, const QString& desktopFile)
{
    QStringList lines = readLines(mimeappsPath());
    if (lines.isEmpty() && desktopFile.isEmpty())
        return true;
    qsizetype section = -1, entry = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            if (section >= 0 && entry < 0 && line != kDefaults)
                break;
            if (line == kDefaults && section < 0)
                section = i;
        } else if (section >= 0 && line.section(QLatin1Char('='), 0, 0).trimmed() == mimeType) {
            entry = i;
            break;
        }
    }
    const QString text = mimeType + QLatin1Char('=') + desktopFile + QLatin1Char(';');
    if (entry >= 0) {
        if (desktopFile.isEmpty())
            lines.removeAt(entry);
        else
            lines[entry] = text;
    } else if (!desktopFile.isEmpty()) {
        if (section < 0) {
            lines.append(kDefaults);
            lines.append(text);
        } else {
            lines.insert(section + 1, text);
        }
    }
    return writeLines(mimeappsPath(), lines);
}

bool XdgClassRegistry::writePackage(bool present)
{
    const QString path = packagePath();
    bool done = true;
    if (present) {
        done = writeLines(
            path, {QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
                   QStringLiteral("<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">"),
                   QStringLiteral("  <mime-type type=\"%1\">").arg(kPresetType),
                   QStringLiteral("    <comment>Tonquill recording preset</comment>"),
                   QStringLiteral("    <generic-icon name=\"audio-x-generic\"/>"),
                   QStringLiteral("    <glob pattern=\"*.tvp\"/>"), QStringLiteral("  </mime-type>"),
                   QStringLiteral("</mime-info>")});
    } else {
        if (!QFile::exists(path))
            return true;
        done = QFile::remove(path);
    }
    // The user's MIME database; a missing tool leaves it as it was.
    m_runner.Run(QStringLiteral("update-mime-database"), {m_dataHome + QStringLiteral("/mime")});
    return done;
}

QMap<QString, QString> XdgClassRegistry::readEntry(const QString& path) const
{
    QMap<QString, QString> entry;
    bool inEntry = false;
    for (const QString& raw : readLines(path)) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == kEntryGroup;
        else if (inEntry && line.contains(QLatin1Char('=')) && !line.startsWith(QLatin1Char('#')))
            entry.insert(line.section(QLatin1Char('='), 0, 0).trimmed(),
                         unescapeValue(line.section(QLatin1Char('='), 1).trimmed()));
    }
    return entry;
}

bool XdgClassRegistry::writeEntry(const QString& path, const QString& className, const QMap<QString, QString>& entry)
{
    const bool preset = className == QLatin1String("Tavrix.Preset");
    QStringList lines{kEntryGroup,
                      QStringLiteral("Type=Application"),
                      QStringLiteral("Name=Tonquill"),
                      QStringLiteral("MimeType=%1;").arg(preset ? kPresetType : MimeTypeOf(QStringLiteral(".pls"))),
                      QStringLiteral("NoDisplay=true"),
                      QStringLiteral("Terminal=false")};
    for (auto it = entry.cbegin(); it != entry.cend(); ++it)
        lines.append(it.key() + QLatin1Char('=') + escapeValue(it.value()));
    return writeLines(path, lines);
}

QString XdgClassRegistry::GetValue(const QString& key)
{
    const QString mime = MimeTypeOf(key);
    if (!mime.isEmpty()) {
        const QString app = defaultApplication(mime);
        for (const char* cls : {"Tavrix.Preset", "Tavrix.Playlist"}) {
            if (app == DesktopFileOf(QLatin1String(cls)))
                return QLatin1String(cls);
        }
        return app;
    }
    const QString className = key.section(QLatin1Char('\\'), 0, 0);
    const QString desktop = DesktopFileOf(className);
    const QString entryKey = entryKeyOf(key.section(QLatin1Char('\\'), 1));
    if (desktop.isEmpty() || entryKey.isEmpty())
        return {};
    return readEntry(applicationsFolder() + desktop).value(entryKey);
}

bool XdgClassRegistry::SetValue(const QString& key, const QString& value)
{
    const QString mime = MimeTypeOf(key);
    if (!mime.isEmpty()) {
        const QString ours = DesktopFileOf(value);
        bool done = true;
        if (mime == kPresetType)
            done = writePackage(!value.isEmpty());
        return setDefaultApplication(mime, ours.isEmpty() ? value : ours) && done;
    }
    const QString className = key.section(QLatin1Char('\\'), 0, 0);
    const QString desktop = DesktopFileOf(className);
    const QString entryKey = entryKeyOf(key.section(QLatin1Char('\\'), 1));
    if (desktop.isEmpty() || entryKey.isEmpty())
        return false;
    const QString path = applicationsFolder() + desktop;
    QMap<QString, QString> entry = readEntry(path);
    for (const char* fixed : {"Type", "Name", "MimeType", "NoDisplay", "Terminal"})
        entry.remove(QLatin1String(fixed));
    entry.insert(entryKey, value);
    return writeEntry(path, className, entry);
}

bool XdgClassRegistry::DeleteKey(const QString& key)
{
    const QString mime = MimeTypeOf(key);
    if (!mime.isEmpty()) {
        const bool had = !defaultApplication(mime).isEmpty();
        if (mime == kPresetType)
            writePackage(false);
        return had && setDefaultApplication(mime, QString());
    }
    const QString className = key.section(QLatin1Char('\\'), 0, 0);
    const QString desktop = DesktopFileOf(className);
    const QString entryKey = entryKeyOf(key.section(QLatin1Char('\\'), 1));
    const QString path = applicationsFolder() + desktop;
    if (desktop.isEmpty() || entryKey.isEmpty() || !QFile::exists(path))
        return false;
    if (!key.contains(QLatin1Char('\\')))
        return QFile::remove(path);
    QMap<QString, QString> entry = readEntry(path);
    for (const char* fixed : {"Type", "Name", "MimeType", "NoDisplay", "Terminal"})
        entry.remove(QLatin1String(fixed));
    if (entry.remove(entryKey) == 0)
        return false;
    return writeEntry(path, className, entry);
}
