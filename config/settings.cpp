#include "config/settings.h"

#include "config/safewrite.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <QDir>
#include <QStandardPaths>

#include <limits>
#include <optional>

namespace {

bool isComment(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// True when the line is a section header; `name` then holds its name.
bool sectionOf(const QString& line, QString& name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    name = t.mid(1, close - 1).trimmed();
    return true;
}

// True when the line is "key=value"; both parts come back trimmed.
bool keyValueOf(const QString& line, QString& key, QString& value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || isComment(t) || t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    key = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    return true;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString unquoted(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

// The number at the start of the text, as a lenient reader of settings
// typed by hand would take it: blanks, an optional sign, digits; anything
// after them is ignored; no digits or a value beyond 32 bits gives 0.
qint32 leadingNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    bool any = false;
    for (; i < t.size() && t.at(i) >= QLatin1Char('0') && t.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (t.at(i).unicode() - '0');
        any = true;
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return 0;
    }
    if (!any)
        return 0;
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max() || value < std::numeric_limits<qint32>::min())
        return 0;
    return static_cast<qint32>(value);
}

std::optional<QString>& overrideFor(SpecialFolder which)
{
    static std::optional<QString> documents;
    static std::optional<QString> music;
    return which == SpecialFolder::Documents ? documents : music;
}

}  // namespace

QString ReadINIValue(const QString& section, const QString& key, const QString& file)
{
    QString text;
    if (file.isEmpty() || !FileExists(file) || !ReadTextFile(file, text))
        return QString();
    const QString wanted = key.toLower();
    bool inSection = false;
    bool seenSection = false;
    for (const QString& line : SplitLines(text)) {
        QString name;
        if (sectionOf(line, name)) {
            if (inSection)
                break;  // only the first section of that name counts
            inSection = !seenSection && sameName(name, section);
            seenSection = seenSection || inSection;
            continue;
        }
        QString k, v;
        if (inSection && keyValueOf(line, k, v) && sameName(k, wanted))
            return unquoted(v).left(kIniValueMax);
    }
    return QString();
}

bool WriteINIValue(const QString& section, const QString& key, const QString& value, const QString& file)
{
    if (file.isEmpty() || key.trimmed().isEmpty())
        return false;
    QStringList lines;
    if (PathExists(file)) {
        QString text;
        if (!ReadTextFile(file, text))
            return false;  // never replace a file we could not read
        lines = SplitLines(text);
    }
    const QString sectionName = oneLine(section).trimmed();
    const QString newLine = oneLine(key).trimmed().toUpper() + QLatin1Char('=') + oneLine(value);

    qsizetype header = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name;
        if (sectionOf(lines.at(i), name) && sameName(name, sectionName)) {
            header = i;
            break;
        }
    }
    if (header < 0) {
        if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + sectionName + QLatin1Char(']'));
        lines.append(newLine);
        return WriteTextLinesSafely(file, lines);
    }
    qsizetype lastContent = header;
    for (qsizetype i = header + 1; i < lines.size(); ++i) {
        QString name, k, v;
        if (sectionOf(lines.at(i), name))
            break;
        if (keyValueOf(lines.at(i), k, v) && sameName(k, key.trimmed())) {
            lines[i] = newLine;
            return WriteTextLinesSafely(file, lines);
        }
        if (!lines.at(i).trimmed().isEmpty())
            lastContent = i;
    }
    lines.insert(lastContent + 1, newLine);
    return WriteTextLinesSafely(file, lines);
}

QString TonquillIniPath()
{
    return ProgramFolders::ConfigFolder() + QStringLiteral("Tonquill.ini");
}

QString TavrixIniPath()
{
    return ProgramFolders::ConfigFolder() + QStringLiteral("tavrix.ini");
}

QString GetLastPath()
{
    return ReadINIValue(QStringLiteral("LastPath"), QStringLiteral("lastpath"), TonquillIniPath());
}

void SetLastPath(const QString& path)
{
    WriteINIValue(QStringLiteral("LastPath"), QStringLiteral("LASTPATH"), path, TonquillIniPath());
}

qint32 GetAdvanced()
{
    return leadingNumber(ReadINIValue(QStringLiteral("Advanced"), QStringLiteral("advanced"), TonquillIniPath()));
}

void SetAdvanced(qint32 value)
{
    WriteINIValue(QStringLiteral("Advanced"), QStringLiteral("ADVANCED"), QString::number(value), TonquillIniPath());
}

bool GetIEAgent()
{
    const QString value = ReadTavrixValue(QStringLiteral("Advanced"), QStringLiteral("IEAgent"));
    return !value.isEmpty() && leadingNumber(value) != 0;
}

void SetIEAgent(bool on)
{
    WriteINIValue(QStringLiteral("Advanced"), QStringLiteral("IEAGENT"), on ? QStringLiteral("1") : QStringLiteral("0"),
                  TavrixIniPath());
}

QString ReadTavrixValue(const QString& section, const QString& key)
{
    return ReadINIValue(section, key.toLower(), TavrixIniPath());
}

QString GetSpecialFolder(SpecialFolder which)
{
    QString path;
    if (const auto& forced = overrideFor(which))
        path = *forced;
    else
        path = QStandardPaths::writableLocation(which == SpecialFolder::Documents ? QStandardPaths::DocumentsLocation
                                                                                   : QStandardPaths::MusicLocation);
    const qsizetype nul = path.indexOf(QChar(u'\0'));
    if (nul >= 0)
        path.truncate(nul);
    return path;
}

void SetSpecialFolderOverride(SpecialFolder which, const QString& path)
{
    overrideFor(which) = path;
}

void ClearSpecialFolderOverrides()
{
    overrideFor(SpecialFolder::Documents).reset();
    overrideFor(SpecialFolder::Music).reset();
}

QString GetDefaultFolder(bool fallBackToProgramFolder)
{
    const QString last = GetLastPath();
    if (IsFolder(last))
        return last;
    const QString music = GetSpecialFolder(SpecialFolder::Music);
    if (IsFolder(music))
        return music;
    const QString documents = GetSpecialFolder(SpecialFolder::Documents);
    if (IsFolder(documents))
        return documents;
    if (!fallBackToProgramFolder)
        return QString();
    QString program = ProgramFolders::DataFolder();
    while (program.size() > 1 && program.endsWith(QLatin1Char('/')))
        program.chop(1);
    return program;
}

QString DefaultMusicFolder()
{
    QString music = GetSpecialFolder(SpecialFolder::Music);
    if (overrideFor(SpecialFolder::Music))
        return music;
    // A desktop without a music folder of its own names the home folder.
    const QString home = QDir::homePath();
    if (music.isEmpty() || QDir::cleanPath(music) == QDir::cleanPath(home))
        music = QDir(home).filePath(QStringLiteral("Music"));
    return music;
}
