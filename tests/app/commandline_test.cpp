// The recorder's command line, read into what it asks for.
#include "app/commandline.h"

#include <gtest/gtest.h>

namespace {

using Action = CommandLine::Action;

std::ostream& operator<<(std::ostream& out, const CommandLine& line)
{
    return out << int(line.action) << " '" << line.file.toStdString() << "' noop=" << line.noop;
}

} // namespace

TEST(CommandLineTest, EveryFormTheProgramTakes)
{
    const struct Case {
        const char* text;
        CommandLine expected;
    } cases[] = {
        {"", {Action::Panel, {}, false}},
        {"-installassc", {Action::InstallAssociations, {}, false}},
        {"-uninstallassc", {Action::UninstallAssociations, {}, false}},
        // The association switches count only on their own, as given.
        {" -installassc", {Action::Open, QStringLiteral(" -installassc"), false}},
        {"-installassc x.tvp", {Action::Open, QStringLiteral("-installassc x.tvp"), false}},
        {"--help", {Action::Help, {}, false}},
        {"-h", {Action::Help, {}, false}},
        {"--version", {Action::Version, {}, false}},
        {"--help --version", {Action::Open, QStringLiteral("--help --version"), false}},
        {"--record-last-preset", {Action::RecordLastPreset, {}, false}},
        {" --record-last-preset ", {Action::RecordLastPreset, {}, false}},
        {"--open-search", {Action::OpenSearch, {}, false}},
        {" --open-search ", {Action::OpenSearch, {}, false}},
        // The desktop actions count only on their own, and as spelt.
        {"--open-search x.tvp", {Action::Open, QStringLiteral("--open-search x.tvp"), false}},
        {"--OPEN-SEARCH", {Action::Open, QStringLiteral("--OPEN-SEARCH"), false}},
        {"/home/u/a.tvp", {Action::Open, QStringLiteral("/home/u/a.tvp"), false}},
        {"/home/u/my presets/a b.tvp", {Action::Open, QStringLiteral("/home/u/my presets/a b.tvp"), false}},
        {"/home/u/a.tvp -noop", {Action::Open, QStringLiteral("/home/u/a.tvp"), true}},
        {"\"/home/u/my presets/a.tvp\" -noop", {Action::Open, QStringLiteral("/home/u/my presets/a.tvp"), true}},
        {"\"/home/u/my presets/a.tvp\"", {Action::Open, QStringLiteral("/home/u/my presets/a.tvp"), false}},
        {"\"/home/u/a.tvp -noop\"", {Action::Open, QStringLiteral("/home/u/a.tvp"), true}},
        {"-noop /home/u/a.tvp", {Action::Open, QStringLiteral("/home/u/a.tvp"), true}},
        {"station.pls -noop", {Action::Open, QStringLiteral("station.pls"), true}},
        // A folder named like the switch is part of the path.
        {"/home/u/x-noop/a.tvp", {Action::Open, QStringLiteral("/home/u/x-noop/a.tvp"), false}},
        {"/home/u/a.tvp-noop", {Action::Open, QStringLiteral("/home/u/a.tvp-noop"), false}},
        // Nothing but the switch, or quotes, is a file that cannot be opened.
        {"-noop", {Action::Open, QStringLiteral("-noop"), false}},
        {"\"\"", {Action::Open, QString(), false}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseCommandLine(QString::fromUtf8(c.text)), c.expected) << "\"" << c.text << "\"";
}

// "--record" and the files after it, each a word: quotes keep spaces in one.
TEST(CommandLineTest, RecordTakesEveryFileAfterIt)
{
    const struct Case {
        const char* text;
        Action action;
        QStringList files;
    } cases[] = {
        {"--record", Action::Record, {}},
        {"--record ", Action::Record, {}},
        {"--record \"\"", Action::Record, {}},
        {"--record a.tvp", Action::Record, {QStringLiteral("a.tvp")}},
        {"--record a.tvp b.pls /x/c.tvp",
         Action::Record,
         {QStringLiteral("a.tvp"), QStringLiteral("b.pls"), QStringLiteral("/x/c.tvp")}},
        {"--record  a.tvp \t  b.pls  ", Action::Record, {QStringLiteral("a.tvp"), QStringLiteral("b.pls")}},
        {"--record \"/home/u/my presets/a b.tvp\" b.pls",
         Action::Record,
         {QStringLiteral("/home/u/my presets/a b.tvp"), QStringLiteral("b.pls")}},
        {"--record /home/u/\"my presets\"/a.tvp", Action::Record, {QStringLiteral("/home/u/my presets/a.tvp")}},
        {"--record \"Caf\xc3\xa9 \"\"Radio.pls\"", Action::Record, {QString::fromUtf8("Caf\xc3\xa9 Radio.pls")}},
        // An open quote runs to the end.
        {"--record \"a b.tvp", Action::Record, {QStringLiteral("a b.tvp")}},
        // Nothing after the files is a switch: "-noop" is a file that cannot be opened.
        {"--record a.tvp -noop", Action::Record, {QStringLiteral("a.tvp"), QStringLiteral("-noop")}},
        {"--record a.tvp a.tvp", Action::Record, {QStringLiteral("a.tvp"), QStringLiteral("a.tvp")}},
        // Not the switch: a file as before.
        {"--recorder a.tvp", Action::Open, {}},
        {"--record-last-preset", Action::RecordLastPreset, {}},
        {"a.tvp --record b.tvp", Action::Open, {}},
        {"\"--record a.tvp\"", Action::Open, {}},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(QString::fromUtf8(c.text));
        EXPECT_EQ(line.action, c.action) << "\"" << c.text << "\"";
        EXPECT_EQ(line.files, c.files) << "\"" << c.text << "\"";
        EXPECT_FALSE(line.noop) << "\"" << c.text << "\"";
    }
}

// The program's arguments, as one text and read back: after "--record"
// every argument is one file, spaces and all; elsewhere the text is as before.
TEST(CommandLineTest, ArgumentsComeBackAsTheyWereGiven)
{
    const struct Case {
        QStringList arguments;
        QString text;
    } cases[] = {
        {{}, QString()},
        {{QStringLiteral("/my presets/a b.tvp"), QStringLiteral("-noop")}, QStringLiteral("/my presets/a b.tvp -noop")},
        {{QStringLiteral("--record")}, QStringLiteral("--record")},
        {{QStringLiteral("--record"), QStringLiteral("/my presets/a b.tvp"), QStringLiteral("c.pls")},
         QStringLiteral("--record \"/my presets/a b.tvp\" c.pls")},
        {{QStringLiteral("--record"), QStringLiteral("tab\there.pls")}, QStringLiteral("--record \"tab\there.pls\"")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CommandLineText(c.arguments), c.text) << c.arguments.join(QLatin1Char('|')).toStdString();
        const CommandLine line = ParseCommandLine(CommandLineText(c.arguments));
        if (line.action == Action::Record)
            EXPECT_EQ(line.files, c.arguments.mid(1)) << c.arguments.join(QLatin1Char('|')).toStdString();
    }
}
