#include "app/commandline.h"

#include <QLatin1String>
#include <algorithm>

namespace {

const QLatin1String kRecord("--record");

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

} // namespace

QString CommandLineText(const QStringList& arguments)
{
    if (arguments.isEmpty() || arguments.first() != kRecord)
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
    if (text == kRecord || text.startsWith(kRecord + QLatin1Char(' '))) {
        line.action = CommandLine::Action::Record;
        line.files = wordsOf(QStringView(text).mid(kRecord.size()));
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
