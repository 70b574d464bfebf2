#include "server/pagetexts.h"

#include <QCoreApplication>
#include <QTranslator>
#include <algorithm>

namespace {

constexpr const char* kContext = "WebPage";

// The page's texts: those of index.html and those app.js shows. A recording's
// state and a play's state are the words the API uses.
constexpr const char* kTexts[] = {
    QT_TRANSLATE_NOOP("WebPage", "Sign in"),
    QT_TRANSLATE_NOOP("WebPage", "Token (in server-token in the config folder)"),
    QT_TRANSLATE_NOOP("WebPage", "Recordings"),
    QT_TRANSLATE_NOOP("WebPage", "Nothing is recorded or watched."),
    QT_TRANSLATE_NOOP("WebPage", "Stations"),
    QT_TRANSLATE_NOOP("WebPage", "Title"),
    QT_TRANSLATE_NOOP("WebPage", "Playlist address"),
    QT_TRANSLATE_NOOP("WebPage", "Add station"),
    QT_TRANSLATE_NOOP("WebPage", "Scheduled"),
    QT_TRANSLATE_NOOP("WebPage", "Nothing is scheduled."),
    QT_TRANSLATE_NOOP("WebPage", "Station"),
    QT_TRANSLATE_NOOP("WebPage", "Starts"),
    QT_TRANSLATE_NOOP("WebPage", "Schedule"),
    QT_TRANSLATE_NOOP("WebPage", "Files"),
    QT_TRANSLATE_NOOP("WebPage", "No files yet."),
    QT_TRANSLATE_NOOP("WebPage", "History"),
    QT_TRANSLATE_NOOP("WebPage", "Show"),
    QT_TRANSLATE_NOOP("WebPage", "Began"),
    QT_TRANSLATE_NOOP("WebPage", "State"),
    QT_TRANSLATE_NOOP("WebPage", "Signed out."),
    QT_TRANSLATE_NOOP("WebPage", "Record"),
    QT_TRANSLATE_NOOP("WebPage", "Watch"),
    QT_TRANSLATE_NOOP("WebPage", "Pause"),
    QT_TRANSLATE_NOOP("WebPage", "Resume"),
    QT_TRANSLATE_NOOP("WebPage", "Stop"),
    QT_TRANSLATE_NOOP("WebPage", "Remove"),
    QT_TRANSLATE_NOOP("WebPage", "Play"),
    QT_TRANSLATE_NOOP("WebPage", "Download"),
    QT_TRANSLATE_NOOP("WebPage", "Delete"),
    QT_TRANSLATE_NOOP("WebPage", "Cancel"),
    QT_TRANSLATE_NOOP("WebPage", "Move %1 to the trash?"),
    QT_TRANSLATE_NOOP("WebPage", "The connection to the server was lost; it is tried again."),
    QT_TRANSLATE_NOOP("WebPage", "connecting"),
    QT_TRANSLATE_NOOP("WebPage", "recording"),
    QT_TRANSLATE_NOOP("WebPage", "watching"),
    QT_TRANSLATE_NOOP("WebPage", "paused"),
    QT_TRANSLATE_NOOP("WebPage", "reconnecting"),
    QT_TRANSLATE_NOOP("WebPage", "stopped"),
    QT_TRANSLATE_NOOP("WebPage", "failed"),
    QT_TRANSLATE_NOOP("WebPage", "complete"),
    QT_TRANSLATE_NOOP("WebPage", "incomplete"),
    QT_TRANSLATE_NOOP("WebPage", "skipped"),
    QT_TRANSLATE_NOOP("WebPage", "version"),
};

// A header names a handful of languages; more are not looked at.
constexpr int kLanguagesRead = 16;

} // namespace

QStringList PageTextSources()
{
    QStringList all;
    for (const char* text : kTexts)
        all << QString::fromUtf8(text);
    return all;
}

QJsonObject PageTexts(const QTranslator* catalogue)
{
    QJsonObject texts;
    for (const char* text : kTexts) {
        const QString translated = catalogue ? catalogue->translate(kContext, text) : QString();
        texts.insert(QString::fromUtf8(text), translated.isEmpty() ? QString::fromUtf8(text) : translated);
    }
    return texts;
}

QStringList AcceptedLanguages(const QByteArray& header)
{
    struct Wanted {
        QString tag;
        double weight;
    };
    QList<Wanted> wanted;
    for (const QByteArray& item : header.split(',')) {
        if (wanted.size() == kLanguagesRead)
            break;
        const QList<QByteArray> parts = item.split(';');
        const QString tag = QString::fromLatin1(parts.first().trimmed());
        double weight = 1;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QByteArray parameter = parts[i].trimmed();
            if (parameter.startsWith("q=") || parameter.startsWith("Q=")) {
                bool number = false;
                weight = parameter.mid(2).toDouble(&number);
                if (!number)
                    weight = 0;
            }
        }
        if (tag.isEmpty() || tag == QLatin1String("*") || weight <= 0)
            continue;
        wanted.append({tag, weight});
    }
    std::stable_sort(wanted.begin(), wanted.end(),
                     [](const Wanted& a, const Wanted& b) { return a.weight > b.weight; });
    QStringList tags;
    for (const Wanted& w : wanted)
        tags << w.tag;
    return tags;
}
