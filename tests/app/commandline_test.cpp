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
        {"--open-library", {Action::OpenLibrary, {}, false}},
        {"  --open-library\t", {Action::OpenLibrary, {}, false}},
        {"--open-library --open-search", {Action::Open, QStringLiteral("--open-library --open-search"), false}},
        {"--open-librar", {Action::Open, QStringLiteral("--open-librar"), false}},
        {"--open-library.tvp", {Action::Open, QStringLiteral("--open-library.tvp"), false}},
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

// "--watch" parts the stations watched from those recorded, either first.
TEST(CommandLineTest, WatchAndRecordTakeTheirOwnFiles)
{
    const struct Case {
        const char* text;
        Action action;
        QStringList recorded;
        QStringList watched;
    } cases[] = {
        {"--watch", Action::Watch, {}, {}},
        {"--watch a.tvp", Action::Watch, {}, {QStringLiteral("a.tvp")}},
        {"--watch a.tvp \"my b.pls\"", Action::Watch, {}, {QStringLiteral("a.tvp"), QStringLiteral("my b.pls")}},
        {"--record a.tvp --watch b.tvp c.pls",
         Action::Record,
         {QStringLiteral("a.tvp")},
         {QStringLiteral("b.tvp"), QStringLiteral("c.pls")}},
        {"--watch b.tvp --record a.tvp", Action::Record, {QStringLiteral("a.tvp")}, {QStringLiteral("b.tvp")}},
        {"--record a.tvp --watch b.tvp --record c.tvp",
         Action::Record,
         {QStringLiteral("a.tvp"), QStringLiteral("c.tvp")},
         {QStringLiteral("b.tvp")}},
        {"--record --watch w.tvp", Action::Record, {}, {QStringLiteral("w.tvp")}},
        // Not the switch: a file as before.
        {"--watcher a.tvp", Action::Open, {}, {}},
        {"a.tvp --watch b.tvp", Action::Open, {}, {}},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(QString::fromUtf8(c.text));
        EXPECT_EQ(line.action, c.action) << "\"" << c.text << "\"";
        EXPECT_EQ(line.files, c.recorded) << "\"" << c.text << "\"";
        EXPECT_EQ(line.watched, c.watched) << "\"" << c.text << "\"";
    }
}

// "--history" and its switches, in any order; what cannot be read says why.
TEST(CommandLineTest, HistoryReadsItsSwitches)
{
    const struct Case {
        const char* text;
        bool json;
        const char* station;
        QDate since;
        const char* title;
        const char* problem; // a part of it; "" when there is none
    } cases[] = {
        {"--history", false, "", {}, "", ""},
        {"--history --json", true, "", {}, "", ""},
        {"--history --station \"Harbour Jazz\" --json", true, "Harbour Jazz", {}, "", ""},
        {"--history --since 2026-03-01 --title \"so what\"", false, "", QDate(2026, 3, 1), "so what", ""},
        {"--history --title Caf\xc3\xa9", false, "", {}, "Caf\xc3\xa9", ""},
        {"--history --since 2026-3-1", false, "", {}, "", "YYYY-MM-DD"},
        {"--history --since 2026-02-30", false, "", {}, "", "2026-02-30"},
        {"--history --station", false, "", {}, "", "--station needs a value"},
        {"--history --limit 3", false, "", {}, "", "\"--limit\""},
        {"--history extra", false, "", {}, "", "\"extra\""},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(QString::fromUtf8(c.text));
        EXPECT_EQ(line.action, Action::History) << c.text;
        if (*c.problem) {
            EXPECT_TRUE(line.problem.contains(QString::fromUtf8(c.problem)))
                << c.text << ": " << line.problem.toStdString();
            continue;
        }
        EXPECT_TRUE(line.problem.isEmpty()) << c.text << ": " << line.problem.toStdString();
        EXPECT_EQ(line.json, c.json) << c.text;
        EXPECT_EQ(line.station, QString::fromUtf8(c.station)) << c.text;
        EXPECT_EQ(line.since, c.since) << c.text;
        EXPECT_EQ(line.title, QString::fromUtf8(c.title)) << c.text;
    }
    EXPECT_EQ(ParseCommandLine(CommandLineText({QStringLiteral("--history"), QStringLiteral("--station"),
                                                QStringLiteral("Night Owl FM")}))
                  .station,
              QStringLiteral("Night Owl FM"));
    EXPECT_EQ(ParseCommandLine(QStringLiteral("--historyx")).action, Action::Open);
}
