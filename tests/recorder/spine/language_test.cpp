// The recorder's messages and captions in the language of the installed
// catalogue (the windowed run installs it; the headless run stays English).
#include "app/programtranslations.h"
#include "fixture.h"

class LanguageTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        ASSERT_EQ(InstallTranslations(QStringLiteral("tonquill"), {QStringLiteral("de-DE")},
                                      {qEnvironmentVariable("TONQUILL_BUILD_DIR") + QStringLiteral("/translations")}),
                  QStringLiteral("de_DE"));
    }
    // The other tests of this program read English.
    void TearDown() override
    {
        for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
        RecorderFixture::TearDown();
    }
};

TEST_F(LanguageTest, MessagesOfTheCommandLineArriveTranslated)
{
    const QString badAddress = folder.file(QStringLiteral("bad.tvp"));
    WriteAll(badAddress,
             QStringLiteral("My Station\r\nhttp://127.0.0.1/station.txt\r\nSONGNAMEONLY\r\n%1\r\n5\r\n0\r\n")
                 .arg(folder.path())
                 .toUtf8());
    const struct {
        QString arg;
        QStringList messages; // all the message service got, in order
    } cases[] = {
        {folder.file(QStringLiteral("missing.tvp")), {QStringLiteral("Die angegebene Vorlagendatei existiert nicht!")}},
        {folder.file(QStringLiteral("song.mp3")),
         {QStringLiteral("Dieser Dateityp kann nicht geladen werden! (Tavrix unterstützt derzeit nur Vorlagendateien "
                         "(.tvp) und Shoutcast-Wiedergabelisten (.pls)!)")}},
        // The loader's message, then the recorder's own.
        {badAddress,
         {badAddress +
              QStringLiteral("\rUngültige Shoutcast-Wiedergabeliste! (Die Webadresse muss auf .m3u oder .pls enden)"),
          QStringLiteral("Die Vorlagendatei ist ungültig! (Prüfen Sie, ob sie genau sechs Zeilen hat)")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arg.toStdString());
        messages.messages.clear();
        EXPECT_FALSE(openCommandLine(c.arg));
        EXPECT_EQ(messages.messages, c.messages);
    }
}

TEST_F(LanguageTest, ConnectionCaptionsAndTheLastServersMessageArriveTranslated)
{
    startOnStation(1);
    EXPECT_TRUE(captions.contains(QStringLiteral("Verbinde mit 127.0.0.1...")));
    recorder->FailOver();
    recorder->Timer1_Timer();
    EXPECT_EQ(messages.messages, QStringList{QStringLiteral("Alle Server sind voll!")});
}
