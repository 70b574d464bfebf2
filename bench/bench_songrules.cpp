// What one title change costs the song rules: the title judged against an
// ignore list and a wish list of 10,000 patterns each, the usual mix of
// whole titles, wildcards and a few regular expressions, and the worst
// case of wildcards that all start with "*".
#include "recorder/songrules.h"

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

} // namespace

BENCHMARK_MAIN();
