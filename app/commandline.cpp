#include "app/commandline.h"

#include <QLatin1String>

CommandLine ParseCommandLine(const QString& text)
{
    CommandLine line;
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
