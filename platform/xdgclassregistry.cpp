#include "platform/xdgclassregistry.h"

#include "platform/mimeappslist.h"
#include "platform/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString kPresetType = QStringLiteral("application/x-tonquill-preset");
const QString kPlaylistType = QStringLiteral("audio/x-scpls");
const QString kPlaylistClass = QStringLiteral("Tavrix.Playlist");
// Keys of a desktop entry that follow from its class, never stored ones.
const char* const kFixedKeys[] = {"Type", "Name", "MimeType", "NoDisplay", "Terminal"};
// What update-mime-database makes of the packages in a MIME folder.
const char* const kMimeDatabaseFiles[] = {"XMLnamespaces", "aliases",   "generic-icons", "globs",
                                          "globs2",        "icons",     "magic",         "mime.cache",
                                          "subclasses",    "treemagic", "types",         "version"};
const QString kEntryGroup = QStringLiteral("[Desktop Entry]");

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

// Desktop files and the MIME package are ours, with LF line ends.
QByteArray linesText(const QStringList& lines)
{
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

// The same bound as for the program's own text files: mimeapps.list is small.
constexpr qint64 kMimeAppsMaxBytes = kTextFileMaxBytes;

bool isInside(const QString& path, const QString& folder)
{
    return !folder.isEmpty() && (path == folder || path.startsWith(folder + QLatin1Char('/')));
}

// `path` with its links resolved, also when it (or folders above it) do not
// exist yet: the nearest existing folder resolved, the rest as written. A
// loop of links resolves to nothing.
QString resolved(const QString& path, int links = 0)
{
    if (links > 40)
        return {};
    QString rest;
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    for (;;) {
        const QString canonical = info.canonicalFilePath();
        if (!canonical.isEmpty())
            return canonical + rest;
        if (info.isSymLink()) { // a dangling link lands where it points
            const QString target = resolved(info.symLinkTarget(), links + 1);
            return target.isEmpty() ? target : target + rest;
        }
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return path;
        rest = QLatin1Char('/') + info.fileName() + rest;
        info = QFileInfo(parent);
    }
}

} // namespace

XdgClassRegistry::XdgClassRegistry(ICommandRunner& runner, QString dataHome, QString configHome)
    : m_runner(runner), m_dataHome(std::move(dataHome)), m_configHome(std::move(configHome))
{
    if (m_dataHome.isEmpty())
        m_dataHome = qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
    if (m_configHome.isEmpty())
        m_configHome = qEnvironmentVariable("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
    m_dataHome = QDir::cleanPath(m_dataHome);
    m_configHome = QDir::cleanPath(m_configHome);
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
        return kPlaylistType;
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

bool XdgClassRegistry::readMimeApps(QByteArray& bytes)
{
    const FileRead file = ReadRegularFile(mimeappsPath(), kMimeAppsMaxBytes);
    bytes = file.bytes;
    if (file.ok() || file.status == FileRead::Missing)
        return true;
    m_problems.append(QCoreApplication::translate("XdgClassRegistry", "%1 %2; it was left unchanged.")
                          .arg(mimeappsPath(), file.problem));
    return false;
}

QString XdgClassRegistry::defaultApplication(const QString& mimeType)
{
    QByteArray bytes;
    if (!readMimeApps(bytes))
        return {};
    return QString::fromUtf8(MimeAppsList(bytes).Defaults(mimeType.toUtf8()).value(0));
}

bool XdgClassRegistry::setDefaultApplication(const QString& mimeType, const QString& desktopFile)
{
    QByteArray bytes;
    if (!readMimeApps(bytes))
        return false;
    MimeAppsList list(bytes);
    const QByteArray type = mimeType.toUtf8();
    // First the new default, then ours out: a line that only held ours
    // keeps its place in the file.
    if (!desktopFile.isEmpty())
        list.PutFirst(type, desktopFile.toUtf8());
    for (const char* cls : {"Tavrix.Preset", "Tavrix.Playlist"}) {
        const QString ours = DesktopFileOf(QLatin1String(cls));
        if (ours != desktopFile)
            list.Remove(type, ours.toUtf8());
    }
    const QByteArray edited = list.Bytes();
    if (edited == bytes)
        return true;
    // A list that held nothing but ours goes with our entries.
    if (edited.isEmpty() && !QFileInfo(mimeappsPath()).isSymLink())
        return removeFile(mimeappsPath());
    return writeFile(mimeappsPath(), edited);
}

bool XdgClassRegistry::writePackage(bool present)
{
    const QString path = packagePath();
    bool done = true;
    if (present) {
        done = writeFile(
            path,
            linesText({QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
                       QStringLiteral("<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">"),
                       QStringLiteral("  <mime-type type=\"%1\">").arg(kPresetType),
                       QStringLiteral("    <comment>Tonquill recording preset</comment>"),
                       QStringLiteral("    <generic-icon name=\"audio-x-generic\"/>"),
                       QStringLiteral("    <glob pattern=\"*.tvp\"/>"), QStringLiteral("  </mime-type>"),
                       QStringLiteral("</mime-info>")}));
    } else {
        if (!QFileInfo(path).isSymLink() && !QFile::exists(path))
            return true;
        done = removeFile(path);
    }
    // The user's MIME database; a missing tool leaves it as it was.
    const QString mime = m_dataHome + QStringLiteral("/mime");
    m_runner.Run(QStringLiteral("update-mime-database"), {mime});
    if (done && !present)
        removeEmptyMimeDatabase(mime);
    return done;
}

void XdgClassRegistry::removeEmptyMimeDatabase(const QString& mime)
{
    // A database of no packages at all holds nothing anyone added: it was
    // made for ours alone.
    const QDir packages(mime + QStringLiteral("/packages"));
    if (!packages.exists() ||
        !packages.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System) ||
        landingPlace(mime).isEmpty())
        return;
    for (const char* made : kMimeDatabaseFiles)
        QFile::remove(mime + QLatin1Char('/') + QLatin1String(made));
    QDir folder(mime);
    for (const QString& sub : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
        folder.rmdir(sub); // only the empty ones go
    QDir().rmdir(mime);
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

QMap<QString, QString> XdgClassRegistry::storedEntry(const QString& path) const
{
    QMap<QString, QString> entry = readEntry(path);
    for (const char* fixed : kFixedKeys)
        entry.remove(QLatin1String(fixed));
    return entry;
}

bool XdgClassRegistry::writeEntry(const QString& path, const QString& className, const QMap<QString, QString>& entry)
{
    QStringList lines{kEntryGroup, QStringLiteral("Type=Application"), QStringLiteral("Name=Tonquill")};
    // A desktop file that lists a type is offered, even chosen, for it
    // without a line in mimeapps.list: the playlist entry lists its type
    // only while playlists are linked to it.
    if (className != kPlaylistClass)
        lines.append(QStringLiteral("MimeType=%1;").arg(kPresetType));
    else if (defaultApplication(kPlaylistType) == DesktopFileOf(kPlaylistClass))
        lines.append(QStringLiteral("MimeType=%1;").arg(kPlaylistType));
    lines << QStringLiteral("NoDisplay=true") << QStringLiteral("Terminal=false");
    for (auto it = entry.cbegin(); it != entry.cend(); ++it)
        lines.append(it.key() + QLatin1Char('=') + escapeValue(it.value()));
    const QByteArray bytes = linesText(lines);
    const FileRead now = ReadRegularFile(path, kMimeAppsMaxBytes);
    if (now.ok() && now.bytes == bytes)
        return true;
    return writeFile(path, bytes);
}

bool XdgClassRegistry::followPlaylistLink()
{
    const QString path = applicationsFolder() + DesktopFileOf(kPlaylistClass);
    if (!QFileInfo::exists(path))
        return true;
    return writeEntry(path, kPlaylistClass, storedEntry(path));
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
        done = setDefaultApplication(mime, ours.isEmpty() ? value : ours) && done;
        return (mime != kPlaylistType || followPlaylistLink()) && done;
    }
    const QString className = key.section(QLatin1Char('\\'), 0, 0);
    const QString desktop = DesktopFileOf(className);
    const QString entryKey = entryKeyOf(key.section(QLatin1Char('\\'), 1));
    if (desktop.isEmpty() || entryKey.isEmpty())
        return false;
    const QString path = applicationsFolder() + desktop;
    QMap<QString, QString> entry = storedEntry(path);
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
        const bool done = had && setDefaultApplication(mime, QString());
        return (mime != kPlaylistType || followPlaylistLink()) && done;
    }
    const QString className = key.section(QLatin1Char('\\'), 0, 0);
    const QString desktop = DesktopFileOf(className);
    const QString entryKey = entryKeyOf(key.section(QLatin1Char('\\'), 1));
    const QString path = applicationsFolder() + desktop;
    if (desktop.isEmpty() || entryKey.isEmpty() || !QFile::exists(path))
        return false;
    if (!key.contains(QLatin1Char('\\')))
        return removeFile(path);
    QMap<QString, QString> entry = storedEntry(path);
    if (entry.remove(entryKey) == 0)
        return false;
    return writeEntry(path, className, entry);
}

QString XdgClassRegistry::landingPlace(const QString& path) const
{
    const QString target = resolved(path);
    for (const QString& folder : {QDir::homePath(), m_dataHome, m_configHome}) {
        if (isInside(target, resolved(folder)))
            return target;
    }
    return {};
}

bool XdgClassRegistry::writeFile(const QString& path, const QByteArray& bytes)
{
    const QString target = landingPlace(path);
    if (target.isEmpty()) {
        const QString elsewhere = resolved(path);
        m_problems.append(
            elsewhere.isEmpty()
                ? QCoreApplication::translate("XdgClassRegistry", "%1 is a loop of links; it was left unchanged.")
                      .arg(path)
                : QCoreApplication::translate("XdgClassRegistry",
                                              "%1 leads to %2, outside your own folders; it was left unchanged.")
                      .arg(path, elsewhere));
        return false;
    }
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_problems.append(QCoreApplication::translate("XdgClassRegistry",
                                                      "%1 could not be written (the folder %2 could not be created).")
                              .arg(path, folder));
        return false;
    }
    // Written beside the target and renamed over it: a link inside the
    // user's folders keeps pointing at the new file.
    QSaveFile f(target);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    m_problems.append(
        QCoreApplication::translate("XdgClassRegistry", "%1 could not be written (%2).").arg(path, f.errorString()));
    return false;
}

bool XdgClassRegistry::removeFile(const QString& path)
{
    QFile f(path);
    if (f.remove())
        return true;
    m_problems.append(
        QCoreApplication::translate("XdgClassRegistry", "%1 could not be removed (%2).").arg(path, f.errorString()));
    return false;
}
