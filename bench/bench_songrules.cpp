// What one title change costs the song rules: the title judged against an
// ignore list and a wish list of 10,000 patterns each, the usual mix of
// whole titles, wildcards and a few regular expressions, and the worst
// case of wildcards that all start with "*". And what Record costs the GUI
// thread with 50,000 regular expressions in the lists: compiling them (done
// on a worker thread) against taking the rules compiled before.
#include "recorder/songrules.h"
#include "recorder/songrulescompiler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kPatterns = 10000;

QStringList mixedList()
{
    QStringList lines;
    for (int i = 0; i < kPatterns; ++i) {
        if (i % 100 == 0)
            lines.append(QStringLiteral("/^news at %1\\b/").arg(i));
        else if (i % 10 == 0)
            lines.append(QStringLiteral("*jingle %1*").arg(i));
        else if (i % 5 == 0)
            lines.append(QStringLiteral("Artist %1 - *").arg(i));
        else
            lines.append(QStringLiteral("Artist %1 - Song %1").arg(i));
    }
    return lines;
}

QStringList openList()
{
    QStringList lines;
    for (int i = 0; i < kPatterns; ++i)
        lines.append(QStringLiteral("*slogan %1 ?*").arg(i));
    return lines;
}

// Titles that match nothing: every pattern is tried.
const QString kTitle = QStringLiteral("Some Artist Nobody Listed - A Rather Long Song Title (Radio Edit)");

// Both lists hold the patterns `list` makes.
void judge(benchmark::State& state, QStringList (*list)())
{
    SongRules rules;
    rules.ignore.SetLines(list(), QStringLiteral("IgnoreList.txt"), nullptr);
    rules.wish.SetLines(list(), QStringLiteral("WishList.txt"), nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(rules.Judge(kTitle));
}
BENCHMARK_CAPTURE(judge, Mixed, mixedList)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(judge, LeadingWildcards, openList)->Unit(benchmark::kMicrosecond);

void BM_CleanUpTitle(benchmark::State& state)
{
    TitleRules rules;
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines.append(QStringLiteral("/ - station %1\\.example$//").arg(i));
    rules.SetLines(lines, QStringLiteral("TitleRules.txt"), nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(rules.Apply(kTitle));
}
BENCHMARK(BM_CleanUpTitle)->Unit(benchmark::kMicrosecond);

// Two lists of 25,000 regular expressions each.
QString regexLists(QTemporaryDir& dir)
{
    for (const char* name : {kIgnoreListFile, kWishListFile}) {
        QByteArray text;
        for (int i = 0; i < 25000; ++i)
            text += "/^(news|advert) " + QByteArray(name, 4) + QByteArray::number(i) + "\\b.*$/\n";
        QFile f(dir.filePath(QString::fromLatin1(name)));
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            return {};
    }
    return dir.path();
}

// The work that left the GUI thread: reading and compiling the lists.
void BM_CompileRegexLists(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString folder = regexLists(dir);
    for (auto _ : state)
        benchmark::DoNotOptimize(SongRules::Load(folder, false));
}
BENCHMARK(BM_CompileRegexLists)->Unit(benchmark::kMillisecond)->Iterations(3);

// What a Record with unchanged lists costs the GUI thread now.
void BM_RecordWithCompiledLists(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString folder = regexLists(dir);
    SongRulesCompiler compiler;
    while (!compiler.Rules(folder, false))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    for (auto _ : state)
        benchmark::DoNotOptimize(compiler.Rules(folder, false));
    state.counters["compiles"] = compiler.Compilations();
}
BENCHMARK(BM_RecordWithCompiledLists)->Unit(benchmark::kMicrosecond)->Iterations(10000);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
