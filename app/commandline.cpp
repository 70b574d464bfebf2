#include "app/commandline.h"

#include <QLatin1String>
#include <algorithm>

namespace {

const QLatin1String kRecord("--record");
const QLatin1String kWatch("--watch");
const QLatin1String kHistory("--history");

// `text` is `word` or begins with it and a space.
bool beginsWith(const QString& text, QLatin1String word)
{
    return text == word || text.startsWith(word + QLatin1Char(' '));
}

// The words of `text`: runs of characters parted by spaces, double quotes
// dropped, spaces between them kept. An empty pair of quotes is no word.
QStringList wordsOf(QStringView text)
{
    QStringList words;
    QString word;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (c.isSpace() && !quoted) {
            if (!word.isEmpty())
                words.append(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.isEmpty())
        words.append(word);
    return words;
}

// "--record FILE... --watch FILE...": the files of each, in either order.
void readStations(const QString& text, CommandLine& line)
{
    QStringList* into = nullptr;
    // The switches themselves are words of their own, never in quotes.
    for (const QString& word : wordsOf(text)) {
        if (word == kRecord)
            into = &line.files;
        else if (word == kWatch)
            into = &line.watched;
        else
            into->append(word);
    }
    line.action =
        text.startsWith(kWatch) && line.files.isEmpty() ? CommandLine::Action::Watch : CommandLine::Action::Record;
}

void readHistorySwitches(const QString& text, CommandLine& line)
{
    line.action = CommandLine::Action::History;
    const QStringList words = wordsOf(QStringView(text).mid(kHistory.size()));
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word == QLatin1String("--json")) {
            line.json = true;
            continue;
        }
        const bool takesValue =
            word == QLatin1String("--station") || word == QLatin1String("--since") || word == QLatin1String("--title");
        if (!takesValue) {
            line.problem = QStringLiteral("--history does not know \"%1\".").arg(word);
            return;
        }
        if (i + 1 >= words.size()) {
            line.problem = QStringLiteral("%1 needs a value.").arg(word);
            return;
        }
        const QString& value = words[++i];
        if (word == QLatin1String("--station")) {
            line.station = value;
        } else if (word == QLatin1String("--title")) {
            line.title = value;
        } else {
            line.since = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
            if (!line.since.isValid()) {
                line.problem = QStringLiteral("--since takes a day as YYYY-MM-DD, not \"%1\".").arg(value);
                return;
            }
        }
    }
}

} // namespace

QString CommandLineText(const QStringList& arguments)
{
    if (arguments.isEmpty() ||
        (arguments.first() != kRecord && arguments.first() != kWatch && arguments.first() != kHistory))
        return arguments.join(QLatin1Char(' '));
    QStringList parts;
    for (const QString& argument : arguments) {
        const bool space = std::any_of(argument.cbegin(), argument.cend(), [](QChar c) { return c.isSpace(); });
        parts.append(space ? QLatin1Char('"') + argument + QLatin1Char('"') : argument);
    }
    return parts.join(QLatin1Char(' '));
}

CommandLine ParseCommandLine(const QString& text)
{
    CommandLine line;
    if (beginsWith(text, kRecord) || beginsWith(text, kWatch)) {
        readStations(text, line);
        return line;
    }
    if (beginsWith(text, kHistory)) {
        readHistorySwitches(text, line);
        return line;
    }
    if (text == QLatin1String("-installassc")) {
        line.action = CommandLine::Action::InstallAssociations;
        return line;
    }
    if (text == QLatin1String("-uninstallassc")) {
        line.action = CommandLine::Action::UninstallAssociations;
        return line;
    }
    if (text == QLatin1String("--help") || text == QLatin1String("-h")) {
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (text == QLatin1String("--version")) {
        line.action = CommandLine::Action::Version;
        return line;
    }
    const QString word = text.trimmed();
    if (word == QLatin1String("--record-last-preset")) {
        line.action = CommandLine::Action::RecordLastPreset;
        return line;
    }
    if (word == QLatin1String("--open-search")) {
        line.action = CommandLine::Action::OpenSearch;
        return line;
    }
    if (word == QLatin1String("--open-library")) {
        line.action = CommandLine::Action::OpenLibrary;
        return line;
    }
    if (text.isEmpty())
        return line;

    QString file = text;
    file.remove(QLatin1Char('"'));
    const QLatin1String atEnd(" -noop");
    const QLatin1String atStart("-noop ");
    if (file.endsWith(atEnd)) {
        file.chop(atEnd.size());
        line.noop = true;
    } else if (file.startsWith(atStart)) {
        file.remove(0, atStart.size());
        line.noop = true;
    }
    line.action = CommandLine::Action::Open;
    line.file = file;
    return line;
}
