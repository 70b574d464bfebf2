#pragma once

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

// The listener's song rules: which titles are skipped or wished, how a
// stream title is cleaned up, and how a song's file is named. Pure: the
// lists are read from files, nothing else touches the disk.

// Titles longer than this are matched and rewritten by their first
// characters only, which bounds the work one title can cause.
constexpr qsizetype kMaxRuleTitleChars = 1024;
// A list file larger than this is not read.
constexpr qint64 kMaxRuleFileBytes = 8 * 1024 * 1024;
// The steps one regular expression may take on one title (PCRE's match
// limit): a pattern that would backtrack without end stops there and
// counts as not matching.
constexpr int kRegexMatchLimit = 100000;

// A regular expression from a list line, bounded as above; an invalid
// `pattern`, or one that sets its own limits, gives an invalid expression
// and `error` says why.
QRegularExpression BoundedRegex(const QString& pattern, QString* error);

// One list of title patterns, one a line: "*" and "?" wildcards matched
// against the whole title in any letter case, "/regex/" lines searched in
// the title, "#" starting a comment line, blank lines ignored.
class TitlePatterns {
public:
    // Replaces the list. Lines that cannot be used are skipped; each adds a
    // sentence to `problems` naming `listName` and the line number.
    void SetLines(const QStringList& lines, const QString& listName, QStringList* problems);
    bool Matches(const QString& title) const;
    bool IsEmpty() const { return m_count == 0; }
    qsizetype Count() const { return m_count; }

private:
    struct Glob {
        QString pattern; // case-folded
        QString suffix;  // the literal end after the last wildcard
        qsizetype minLength = 0;
    };
    bool globMatches(const Glob& g, QStringView title) const;

    qsizetype m_count = 0;
    QSet<QString> m_exact;                     // lines without wildcards, case-folded
    QHash<QChar, std::vector<Glob>> m_byFirst; // wildcard lines by their first (literal) character
    // Lines that start with a wildcard, by the first two characters of
    // their longest literal part: only those whose pair the title holds are tried.
    QHash<quint32, std::vector<Glob>> m_byPair;
    std::vector<Glob> m_open; // the rest: no literal part of two characters
    std::vector<QRegularExpression> m_regexes;
};

// "/regex/replacement/" lines applied in order to a stream title; "\/"
// stands for a "/" inside either part, "\1".."\9" in the replacement for
// the captured parts.
class TitleRules {
public:
    void SetLines(const QStringList& lines, const QString& listName, QStringList* problems);
    QString Apply(const QString& title) const;
    bool IsEmpty() const { return m_rules.empty(); }

private:
    struct Rule {
        QRegularExpression re;
        QString replacement;
    };
    std::vector<Rule> m_rules;
};

// Reads a list file beside the per-user settings as lines: a regular file
// of at most kMaxRuleFileBytes, each line in UTF-8 (Windows-1252 where it
// is not valid UTF-8). A missing file is an empty list; any other failure
// adds a sentence to `problems`.
QStringList ReadRuleFile(const QString& path, QStringList* problems);

// A list file as an editor needs it: its lines, and whether they are the
// whole file, so that writing them back loses nothing. `notWhole` is empty
// when they are (a missing file is a whole, empty list); else it says why
// not: the file could not be read, a line was cut, or a line is not text.
struct RuleFileText {
    QStringList lines;
    QString notWhole;
};
RuleFileText ReadRuleFileWhole(const QString& path);

// What the rules say about a title.
enum class TitleVerdict {
    Record,    // recorded as usual
    Wished,    // recorded, and on the wish list
    Ignored,   // on the ignore list: written to no file
    NotWished, // only wished titles are kept, and this is not one
};

// The tokens a file-name pattern fills in for one song.
struct SongNameFields {
    QString station;  // %S
    QString title;    // the stream title: %A before its first " - ", %T after (all of it without one)
    QDateTime start;  // %D, "yyyy-MM-dd HH.mm"
    int sequence = 0; // %q, three digits at least
    QString untitled; // the name of a song without a title (the station and date), "_" when empty
};

// The relative path of a song's file under the save folder: the pattern's
// tokens filled in, each filled-in text cleaned as a file name (so a title
// never makes a folder), the pattern's "/" parts kept as sub-folders
// without empty, "." or ".." parts (so nothing lands outside the save
// folder), each part cleaned and shortened to `nameLimit` bytes, and
// `extension` added; a part that cleaning leaves empty is left out. An empty
// pattern (or one that leaves no name) names the file after the title as
// usual, and a title that leaves no name (only dots, separators or control
// characters) names it as a song without a title. `problem`, when given, says what was
// changed to keep the name inside the save folder.
QString SongFileName(const QString& pattern, const SongNameFields& fields, const QString& extension,
                     qsizetype nameLimit, QString* problem = nullptr);

// The rule set the recorder holds while recording.
struct SongRules {
    TitlePatterns ignore;
    TitlePatterns wish;
    TitleRules cleanUp;
    bool wishOnly = false;
    QStringList problems; // one sentence per line or file that could not be used

    TitleVerdict Judge(const QString& title) const;
    // Loads IgnoreList.txt, WishList.txt and TitleRules.txt from `folder`.
    static SongRules Load(const QString& folder, bool wishOnly);
};

// The folder the lists are kept in: beside the per-user settings file.
QString SongRulesFolder();

constexpr const char* kIgnoreListFile = "IgnoreList.txt";
constexpr const char* kWishListFile = "WishList.txt";
constexpr const char* kTitleRulesFile = "TitleRules.txt";
// The folder under the save folder that takes songs not recorded whole.
constexpr const char* kIncompleteFolder = "incomplete";
