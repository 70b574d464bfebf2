#include "recorder/songrules.h"

#include "config/usersettings.h"
#include "platform/filenames.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "recorder/recordingfiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>

namespace {

// The sentences of one list: the first few in full, the rest counted, so a
// broken list of 100,000 lines makes one short status, not 100,000.
class ProblemLog {
public:
    ProblemLog(const QString& listName, QStringList* out) : m_listName(listName), m_out(out) {}
    ~ProblemLog()
    {
        if (m_out && m_more > 0)
            m_out->append(
                QCoreApplication::translate("SongRules", "%1: %2 more lines skipped").arg(m_listName).arg(m_more));
    }
    void add(qsizetype line, const QString& why)
    {
        if (!m_out)
            return;
        if (m_said >= kMaxSaid) {
            ++m_more;
            return;
        }
        ++m_said;
        m_out->append(
            QCoreApplication::translate("SongRules", "%1 line %2: %3; skipped").arg(m_listName).arg(line).arg(why));
    }

private:
    static constexpr int kMaxSaid = 3;
    QString m_listName;
    QStringList* m_out;
    int m_said = 0;
    qsizetype m_more = 0;
};

// Control characters (a tab aside) mean the line is not text: a binary
// file, or a damaged one.
bool isText(QStringView line)
{
    return std::none_of(line.begin(), line.end(),
                        [](QChar c) { return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F; });
}

// Calls `use` with the number and trimmed text of each line that is neither
// blank nor a comment; a line that is not text is logged instead.
template <typename Use> void forEachRuleLine(const QStringList& lines, ProblemLog& log, Use use)
{
    qsizetype number = 0;
    for (const QString& raw : lines) {
        ++number;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (isText(line))
            use(number, line);
        else
            log.add(number, QCoreApplication::translate("SongRules", "not text"));
    }
}

// "*" any run of characters, "?" any one; both strings case-folded.
bool wildMatch(QStringView p, QStringView t)
{
    qsizetype pi = 0, ti = 0, star = -1, mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == QLatin1Char('?') || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (pi < p.size() && p[pi] == QLatin1Char('*')) {
            star = pi++;
            mark = ti;
        } else if (star >= 0) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == QLatin1Char('*'))
        ++pi;
    return pi == p.size();
}

bool isWildcard(QChar c)
{
    return c == QLatin1Char('*') || c == QLatin1Char('?');
}

quint32 pairKey(QChar a, QChar b)
{
    return (quint32(a.unicode()) << 16) | b.unicode();
}

// The longest run of characters in a pattern that are no wildcards.
QString longestLiteral(const QString& pattern)
{
    qsizetype bestAt = 0, bestSize = 0, runAt = 0;
    for (qsizetype i = 0; i <= pattern.size(); ++i) {
        if (i < pattern.size() && !isWildcard(pattern[i]))
            continue;
        if (i - runAt > bestSize) {
            bestAt = runAt;
            bestSize = i - runAt;
        }
        runAt = i + 1;
    }
    return pattern.mid(bestAt, bestSize);
}

QStringView boundedTitle(const QString& title)
{
    return QStringView(title).left(kMaxRuleTitleChars);
}

// The parts of "/a/b/" split at the "/" not written "\/", which stand for
// "/" in the parts.
QStringList splitSlashed(QStringView line)
{
    QStringList parts;
    QString part;
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\\') && i + 1 < line.size() && line[i + 1] == QLatin1Char('/')) {
            part += QLatin1Char('/');
            ++i;
        } else if (c == QLatin1Char('/')) {
            parts.append(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.isEmpty())
        parts.append(part); // text after the last "/": not a whole rule
    return parts;
}

} // namespace

QRegularExpression BoundedRegex(const QString& pattern, QString* error)
{
    // Start-of-pattern options could lift the bound or change how the
    // pattern is read; a list line has no use for them.
    if (pattern.startsWith(QLatin1String("(*"))) {
        if (error)
            *error = QCoreApplication::translate("SongRules",
                                                 "a regular expression may not set its own options with \"(*\"");
        return QRegularExpression(QStringLiteral("(")); // never valid
    }
    QRegularExpression re(QStringLiteral("(*LIMIT_MATCH=%1)").arg(kRegexMatchLimit) + pattern,
                          QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    if (!re.isValid()) {
        if (error)
            *error = QCoreApplication::translate("SongRules", "the regular expression does not compile (%1)")
                         .arg(re.errorString());
        return re;
    }
    re.optimize();
    return re;
}

void TitlePatterns::SetLines(const QStringList& lines, const QString& listName, QStringList* problems)
{
    *this = TitlePatterns();
    ProblemLog log(listName, problems);
    forEachRuleLine(lines, log, [&](qsizetype number, const QString& line) {
        if (line.size() >= 2 && line.startsWith(QLatin1Char('/')) && line.endsWith(QLatin1Char('/'))) {
            QString error;
            const QRegularExpression re = BoundedRegex(line.mid(1, line.size() - 2), &error);
            if (!re.isValid()) {
                log.add(number, error);
                return;
            }
            m_regexes.push_back(re);
            ++m_count;
            return;
        }
        const QString folded = line.toCaseFolded();
        ++m_count;
        if (std::none_of(folded.begin(), folded.end(), isWildcard)) {
            m_exact.insert(folded);
            return;
        }
        Glob g;
        g.pattern = folded;
        g.minLength = folded.size() - folded.count(QLatin1Char('*'));
        const auto last = std::find_if(folded.rbegin(), folded.rend(), isWildcard);
        g.suffix = folded.right(last - folded.rbegin());
        const QString literal = longestLiteral(folded);
        if (isWildcard(folded.front()) && literal.size() >= 2)
            m_byPair[pairKey(literal[0], literal[1])].push_back(std::move(g));
        else if (isWildcard(folded.front()))
            m_open.push_back(std::move(g));
        else
            m_byFirst[folded.front()].push_back(std::move(g));
    });
}

bool TitlePatterns::globMatches(const Glob& g, QStringView title) const
{
    return title.size() >= g.minLength && title.endsWith(g.suffix) && wildMatch(g.pattern, title);
}

bool TitlePatterns::Matches(const QString& title) const
{
    if (m_count == 0)
        return false;
    const QString folded = boundedTitle(title).toString().toCaseFolded();
    if (m_exact.contains(folded))
        return true;
    if (!folded.isEmpty()) {
        const auto bucket = m_byFirst.constFind(folded.front());
        if (bucket != m_byFirst.cend() &&
            std::any_of(bucket->begin(), bucket->end(), [&](const Glob& g) { return globMatches(g, folded); }))
            return true;
    }
    if (!m_byPair.isEmpty()) {
        std::vector<quint32> pairs;
        pairs.reserve(folded.size());
        for (qsizetype i = 0; i + 1 < folded.size(); ++i)
            pairs.push_back(pairKey(folded[i], folded[i + 1]));
        std::sort(pairs.begin(), pairs.end());
        pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
        for (const quint32 pair : pairs) {
            const auto bucket = m_byPair.constFind(pair);
            if (bucket != m_byPair.cend() &&
                std::any_of(bucket->begin(), bucket->end(), [&](const Glob& g) { return globMatches(g, folded); }))
                return true;
        }
    }
    if (std::any_of(m_open.begin(), m_open.end(), [&](const Glob& g) { return globMatches(g, folded); }))
        return true;
    const QStringView bounded = boundedTitle(title);
    return std::any_of(m_regexes.begin(), m_regexes.end(),
                       [&](const QRegularExpression& re) { return re.match(bounded).hasMatch(); });
}

void TitleRules::SetLines(const QStringList& lines, const QString& listName, QStringList* problems)
{
    m_rules.clear();
    ProblemLog log(listName, problems);
    forEachRuleLine(lines, log, [&](qsizetype number, const QString& line) {
        const QStringList parts =
            line.startsWith(QLatin1Char('/')) && line.endsWith(QLatin1Char('/')) ? splitSlashed(line) : QStringList();
        if (parts.size() != 2 || parts.front().isEmpty()) {
            log.add(number, QCoreApplication::translate("SongRules", "not a rule of the form /regex/replacement/"));
            return;
        }
        QString error;
        Rule rule{BoundedRegex(parts.front(), &error), parts.back()};
        if (!rule.re.isValid()) {
            log.add(number, error);
            return;
        }
        m_rules.push_back(std::move(rule));
    });
}

QString TitleRules::Apply(const QString& title) const
{
    QString out = boundedTitle(title).toString();
    for (const Rule& rule : m_rules) {
        out.replace(rule.re, rule.replacement);
        // A rule that adds to what it matches would let the title grow rule by rule.
        out.truncate(kMaxRuleTitleChars);
    }
    return out.trimmed();
}

QStringList ReadRuleFile(const QString& path, QStringList* problems)
{
    const FileRead read = ReadRegularFile(path, kMaxRuleFileBytes);
    if (read.status == FileRead::Missing)
        return {};
    if (!read.ok()) {
        if (problems)
            problems->append(QCoreApplication::translate("SongRules", "%1 %2; not used")
                                 .arg(QFileInfo(path).fileName(), read.problem));
        return {};
    }
    return DecodeLines(read.bytes, 4 * kMaxRuleTitleChars);
}

RuleFileText ReadRuleFileWhole(const QString& path)
{
    RuleFileText text;
    const QString name = QFileInfo(path).fileName();
    const FileRead read = ReadRegularFile(path, kMaxRuleFileBytes);
    if (read.status == FileRead::Missing)
        return text;
    if (!read.ok()) {
        text.notWhole = name + QLatin1Char(' ') + read.problem;
        return text;
    }
    qsizetype cut = 0;
    text.lines = DecodeLines(read.bytes, 4 * kMaxRuleTitleChars, &cut);
    const auto notText =
        std::find_if(text.lines.cbegin(), text.lines.cend(), [](const QString& l) { return !isText(l); });
    if (cut > 0)
        text.notWhole = QCoreApplication::translate("SongRules", "%1 holds lines longer than %2 bytes")
                            .arg(name)
                            .arg(4 * kMaxRuleTitleChars);
    else if (notText != text.lines.cend())
        text.notWhole = QCoreApplication::translate("SongRules", "%1 line %2 is not text")
                            .arg(name)
                            .arg(notText - text.lines.cbegin() + 1);
    return text;
}

TitleVerdict SongRules::Judge(const QString& title) const
{
    if (ignore.Matches(title))
        return TitleVerdict::Ignored;
    if (wish.Matches(title))
        return TitleVerdict::Wished;
    return wishOnly ? TitleVerdict::NotWished : TitleVerdict::Record;
}

SongRules SongRules::Load(const QString& folder, bool wishOnly)
{
    SongRules rules;
    rules.wishOnly = wishOnly;
    const auto load = [&](const char* name) {
        return ReadRuleFile(JoinPath(folder, QString::fromLatin1(name)), &rules.problems);
    };
    rules.ignore.SetLines(load(kIgnoreListFile), QString::fromLatin1(kIgnoreListFile), &rules.problems);
    rules.wish.SetLines(load(kWishListFile), QString::fromLatin1(kWishListFile), &rules.problems);
    rules.cleanUp.SetLines(load(kTitleRulesFile), QString::fromLatin1(kTitleRulesFile), &rules.problems);
    if (wishOnly && rules.wish.IsEmpty())
        rules.problems.append(QCoreApplication::translate(
            "SongRules", "Only wished songs are kept, but WishList.txt names none: no song is kept"));
    return rules;
}

QString SongRulesFolder()
{
    return QFileInfo(UserSettingsFile(QStringLiteral("Tonquill"))).absolutePath();
}

namespace {
// A filled-in text never makes a folder.
QString fieldText(const QString& text)
{
    QString out = text.trimmed();
    out.remove(QLatin1Char('/'));
    out.remove(QLatin1Char('\\'));
    return out;
}

QString fillPattern(const QString& pattern, const SongNameFields& f)
{
    const qsizetype dash = f.title.indexOf(QLatin1String(" - "));
    const QString artist = dash >= 0 ? f.title.left(dash) : QString();
    const QString title = dash >= 0 ? f.title.mid(dash + 3) : f.title;
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != QLatin1Char('%') || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        switch (pattern[++i].unicode()) {
        case u'S':
            out += fieldText(f.station);
            break;
        case u'A':
            out += fieldText(artist);
            break;
        case u'T':
            out += fieldText(title);
            break;
        case u'D':
            out += f.start.toString(QStringLiteral("yyyy-MM-dd HH.mm"));
            break;
        case u'q':
            out += QStringLiteral("%1").arg(f.sequence, 3, 10, QLatin1Char('0'));
            break;
        case u'%':
            out += QLatin1Char('%');
            break;
        default:
            out += c;
            out += pattern[i];
            break; // not a token: kept as written
        }
    }
    return out;
}
} // namespace

QString SongFileName(const QString& pattern, const SongNameFields& fields, const QString& extension,
                     qsizetype nameLimit, QString* problem)
{
    constexpr int kMaxFolders = 8;
    QString stem = FileNameText(fields.title);
    if (stem.isEmpty())
        stem = CleanFileName(fields.untitled);
    const QString usual = FitFileName(stem + extension, nameLimit);
    if (pattern.trimmed().isEmpty())
        return usual;
    QString filled = fillPattern(pattern, fields);
    filled.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList kept;
    bool outside = filled.startsWith(QLatin1Char('/'));
    for (const QString& raw : filled.split(QLatin1Char('/'))) {
        const QString part = raw.trimmed();
        if (part == QLatin1String(".."))
            outside = true;
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            continue;
        kept.append(part);
    }
    if (problem && outside)
        *problem =
            QCoreApplication::translate("SongRules", "The file-name pattern names a folder outside the save folder; "
                                                     "its files are kept inside it");
    kept.removeIf([](const QString& part) { return FileNameText(part).isEmpty(); });
    if (kept.isEmpty())
        return usual;
    const QString last = kept.takeLast();
    if (kept.size() > kMaxFolders) {
        kept = kept.mid(0, kMaxFolders);
        if (problem)
            *problem = QCoreApplication::translate(
                           "SongRules", "The file-name pattern names more than %1 folders; the rest are left out")
                           .arg(kMaxFolders);
    }
    QStringList parts;
    for (const QString& folder : std::as_const(kept))
        parts.append(FitFileName(FileNameText(folder), nameLimit, 0));
    parts.append(FitFileName(FileNameText(last) + extension, nameLimit));
    return parts.join(QLatin1Char('/'));
}
