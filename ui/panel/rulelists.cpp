#include "ui/panel/rulelists.h"

#include "config/safewrite.h"
#include "platform/paths.h"
#include "recorder/songrules.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

RuleListFiles& RuleListFiles::Instance()
{
    static RuleListFiles files;
    return files;
}

namespace {

bool isText(QStringView text)
{
    return std::none_of(text.begin(), text.end(),
                        [](QChar c) { return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F; });
}

QString listName(const char* file)
{
    return QString::fromLatin1(file) == QLatin1String(kWishListFile)
               ? QCoreApplication::translate("RuleLists", "the wish list")
               : QCoreApplication::translate("RuleLists", "the ignore list");
}

} // namespace

QString PatternForTitle(const QString& title)
{
    if (title.trimmed().isEmpty() || !isText(title))
        return QString();
    // Titles are matched by their first kMaxRuleTitleChars characters.
    const bool cut = title.size() > kMaxRuleTitleChars;
    const QString matched = title.left(kMaxRuleTitleChars);
    const bool plain = !cut && matched == matched.trimmed() && !matched.startsWith(QLatin1Char('#')) &&
                       !matched.startsWith(QLatin1Char('/')) && !matched.contains(QLatin1Char('*')) &&
                       !matched.contains(QLatin1Char('?'));
    const QString line = plain ? matched
                               : QStringLiteral("/^") + QRegularExpression::escape(matched) +
                                     (cut ? QStringLiteral("/") : QStringLiteral("$/"));
    // The list reader takes lines of a bounded length.
    if (line.toUtf8().size() > 4 * kMaxRuleTitleChars)
        return QString();
    return line;
}

ListAdd AddTitleToList(const QString& folder, const char* file, const QString& title, QString* message)
{
    const QString name = listName(file);
    const QString line = PatternForTitle(title);
    if (line.isEmpty()) {
        *message = QCoreApplication::translate("RuleLists", "\"%1\" cannot be put on %2.").arg(title, name);
        return ListAdd::Failed;
    }
    RuleListFiles& files = RuleListFiles::Instance();
    const QString fileName = QString::fromLatin1(file);
    emit files.aboutToChange(fileName);
    const QString path = JoinPath(folder, fileName);
    RuleFileText text = ReadRuleFileWhole(path);
    if (!text.notWhole.isEmpty()) {
        *message = QCoreApplication::translate("RuleLists", "%1: it is not changed here; edit it in a text editor.")
                       .arg(text.notWhole);
        return ListAdd::Failed;
    }
    TitlePatterns patterns;
    patterns.SetLines(text.lines, fileName, nullptr);
    if (patterns.Matches(title)) {
        *message = QCoreApplication::translate("RuleLists", "\"%1\" is on %2 already.").arg(title, name);
        return ListAdd::AlreadyThere;
    }
    TitlePatterns added;
    added.SetLines({line}, fileName, nullptr);
    if (!added.Matches(title)) {
        *message = QCoreApplication::translate("RuleLists", "\"%1\" cannot be put on %2.").arg(title, name);
        return ListAdd::Failed;
    }
    text.lines.append(line);
    QDir().mkpath(folder);
    if (!WriteTextLinesSafely(path, text.lines)) {
        *message = QCoreApplication::translate("RuleLists", "%1 could not be saved in %2.")
                       .arg(fileName, QDir::toNativeSeparators(folder));
        return ListAdd::Failed;
    }
    emit files.changed(fileName);
    *message = QCoreApplication::translate("RuleLists", "\"%1\" was added to %2.").arg(title, name);
    return ListAdd::Added;
}
