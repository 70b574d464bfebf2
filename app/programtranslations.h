#pragma once

// The programs speak the user's language: the catalogue of the first of the
// user's languages (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) that has one is
// loaded, together with Qt's own, so standard buttons and file dialogs
// follow. English is the source text and the fallback: an English language
// ahead of any translated one keeps the program English.

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QStringList>
#include <QTranslator>

// Where the catalogues are looked for: beside the build tree's programs
// (build/app/.. /translations), under the installed share folder, and in the
// data folders of the desktop.
inline QStringList TranslationFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList folders{program + QStringLiteral("/../translations"),
                        program + QStringLiteral("/../share/tonquill/translations")};
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders.append(data + QStringLiteral("/tonquill/translations"));
    return folders;
}

// Installs the catalogue "<catalogue>_<language>.qm" for the first language
// of uiLanguages that has one (or that is English), and Qt's own "qtbase"
// catalogue for the same language. Returns the language loaded, or an empty
// text when the program stays English.
inline QString InstallTranslations(const QString& catalogue, const QStringList& uiLanguages,
                                   const QStringList& folders = TranslationFolders())
{
    for (const QString& language : uiLanguages) {
        const QLocale locale(language);
        if (language == QLatin1String("C") || locale.language() == QLocale::English)
            return QString();
        auto* own = new QTranslator(QCoreApplication::instance());
        bool loaded = false;
        for (const QString& folder : folders) {
            if (QDir(folder).exists() && own->load(locale, catalogue, QStringLiteral("_"), folder)) {
                loaded = true;
                break;
            }
        }
        if (!loaded) {
            delete own;
            continue;
        }
        QCoreApplication::installTranslator(own);
        auto* qt = new QTranslator(QCoreApplication::instance());
        if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
        return own->language();
    }
    return QString();
}
