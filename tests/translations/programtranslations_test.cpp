#include "app/programtranslations.h"

#include <QCoreApplication>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

QString BuildTranslations()
{
    return qEnvironmentVariable("TONQUILL_BUILD_DIR") + QStringLiteral("/translations");
}

// Each case starts English: the translators an earlier case installed go.
class ProgramTranslationsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
};

TEST_F(ProgramTranslationsTest, FirstTranslatedLanguageWinsAndEnglishStopsTheSearch)
{
    struct Case {
        QStringList languages;
        QString folder;
        QString loaded;
        QString search; // frmRecord's "Search" as the program then shows it
    };
    const QString built = BuildTranslations();
    const Case cases[] = {
        {{QStringLiteral("de-DE")}, built, QStringLiteral("de_DE"), QStringLiteral("Suche")},
        {{QStringLiteral("de")}, built, QStringLiteral("de_DE"), QStringLiteral("Suche")},
        {{QStringLiteral("de-AT"), QStringLiteral("en-US")}, built, QStringLiteral("de_DE"), QStringLiteral("Suche")},
        // No French catalogue: the next language that has one.
        {{QStringLiteral("fr-FR"), QStringLiteral("de-DE")}, built, QStringLiteral("de_DE"), QStringLiteral("Suche")},
        // English ahead of German: English, the source.
        {{QStringLiteral("en-GB"), QStringLiteral("de-DE")}, built, QString(), QStringLiteral("Search")},
        {{QStringLiteral("C")}, built, QString(), QStringLiteral("Search")},
        {{}, built, QString(), QStringLiteral("Search")},
        // No catalogue where it is looked for: English.
        {{QStringLiteral("de-DE")}, built + QStringLiteral("/none"), QString(), QStringLiteral("Search")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.languages.join(QLatin1Char(',')).toStdString());
        EXPECT_EQ(InstallTranslations(QStringLiteral("tonquill"), c.languages, {c.folder}), c.loaded);
        EXPECT_EQ(QCoreApplication::translate("frmRecord", "Search"), c.search);
        TearDown();
    }
}

TEST_F(ProgramTranslationsTest, QtsOwnTextsFollowTheProgramsLanguage)
{
    ASSERT_FALSE(InstallTranslations(QStringLiteral("discwright"), {QStringLiteral("de-DE")}, {BuildTranslations()})
                     .isEmpty());
    EXPECT_EQ(QCoreApplication::translate("TimeText", " minutes"), QStringLiteral(" Minuten"));
    // The standard buttons' texts come from Qt's own catalogue.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Ja"));
}

} // namespace
