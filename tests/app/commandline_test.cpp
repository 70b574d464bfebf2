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
