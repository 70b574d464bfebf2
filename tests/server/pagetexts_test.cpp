// The page in the language the request asks for, over real HTTP on
// loopback, from the build's catalogues; and the page's texts all in the
// table the catalogue is made from.
#include "server/apiserver.h"
#include "server/pagetexts.h"
#include "tests/support/eventwait.h"

#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

QString BuildTranslations()
{
    return qEnvironmentVariable("TONQUILL_BUILD_DIR") + QStringLiteral("/translations");
}

TEST(PageTextsTest, ReadsTheAcceptedLanguagesByWeight)
{
    const struct Case {
        const char* header;
        QStringList languages;
    } cases[] = {
        {"", {}},
        {"de", {"de"}},
        {"de-DE,de;q=0.9,en;q=0.8", {"de-DE", "de", "en"}},
        {"en;q=0.5, fr , de;q=0.7", {"fr", "de", "en"}},
        {"fr;q=0.5,de;q=0.5,it;q=0.5", {"fr", "de", "it"}},
        {"*, de;q=0, fr;q=0.001, es;q=x", {"fr"}},
        {" , ;q=1,pt-BR ;Q=0.2", {"pt-BR"}},
        {"a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r",
         {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AcceptedLanguages(c.header), c.languages) << c.header;
}

// Every text index.html marks and every text app.js gives t() is one the
// catalogue is made from: none stays English in another language.
TEST(PageTextsTest, EveryTextOfThePageIsInTheTable)
{
    const QStringList table = PageTextSources();
    const struct Source {
        const char* file;
        const char* pattern;
        int least; // texts found at least: the pattern still matches the file
    } sources[] = {
        {":/tonquill/web/index.html", "<[a-z0-9]+[^>]* data-t>([^<]+)</", 20},
        {":/tonquill/web/app.js", "\\bt\\('((?:[^'\\\\]|\\\\.)+)'", 12},
    };
    for (const Source& s : sources) {
        QFile file(QString::fromLatin1(s.file));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << s.file;
        const QString text = QString::fromUtf8(file.readAll());
        int found = 0;
        for (const QRegularExpressionMatch& m : QRegularExpression(QString::fromLatin1(s.pattern)).globalMatch(text)) {
            ++found;
            EXPECT_TRUE(table.contains(m.captured(1))) << s.file << ": " << m.captured(1).toStdString();
        }
        EXPECT_GE(found, s.least) << s.file;
    }
}

class PageLanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_port = m_server.Listen(QHostAddress::LocalHost, 0);
        ASSERT_NE(m_port, 0);
    }

    struct Page {
        QString lang, contentLanguage;
        QJsonObject texts;
        QByteArray vary;
    };

    // The page as a client without a language of its own asks for it: the
    // header only when given.
    Page get(const QByteArray& acceptLanguage)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        EXPECT_TRUE(WaitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 10000));
        QByteArray ask = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
        if (!acceptLanguage.isEmpty())
            ask += "Accept-Language: " + acceptLanguage + "\r\n";
        socket.write(ask + "\r\n");
        QByteArray answer;
        QObject::connect(&socket, &QTcpSocket::readyRead, [&] { answer += socket.readAll(); });
        // The whole answer: its head, then as many bytes as it says.
        const auto whole = [&answer] {
            const qsizetype end = answer.indexOf("\r\n\r\n");
            const QRegularExpressionMatch length = QRegularExpression(QStringLiteral("\r\ncontent-length: *(\\d+)"),
                                                                      QRegularExpression::CaseInsensitiveOption)
                                                       .match(QString::fromLatin1(answer.left(end)));
            return end >= 0 && length.hasMatch() && answer.size() - end - 4 >= length.captured(1).toLongLong();
        };
        EXPECT_TRUE(WaitUntil(whole, 10000)) << answer.constData();
        const qsizetype end = answer.indexOf("\r\n\r\n");
        const QString head = QString::fromLatin1(answer.left(end));
        const QString html = QString::fromUtf8(answer.mid(end + 4));
        const auto header = [&head](const char* name) {
            return QRegularExpression(QStringLiteral("\r\n%1: ([^\r]*)").arg(QLatin1String(name)),
                                      QRegularExpression::CaseInsensitiveOption)
                .match(head)
                .captured(1);
        };
        Page page;
        page.lang = QRegularExpression(QStringLiteral("<html lang=\"([^\"]*)\">")).match(html).captured(1);
        page.contentLanguage = header("Content-Language");
        page.vary = header("Vary").toLatin1();
        const QString json =
            QRegularExpression(QStringLiteral("<script id=\"texts\" type=\"application/json\">([^<]*)</script>"))
                .match(html)
                .captured(1);
        page.texts = QJsonDocument::fromJson(json.toUtf8()).object();
        return page;
    }

    ApiServer m_server{QStringLiteral("abcdefghijklmnopqrstuvwx"), QStringLiteral("/nonexistent/history")};
    quint16 m_port = 0;
};

// The first accepted language with a catalogue wins, an English one ahead of
// it keeps the page English; without one the server's languages decide.
TEST_F(PageLanguageTest, SpeaksTheFirstLanguageWithACatalogue)
{
    ASSERT_TRUE(QFile::exists(BuildTranslations() + QStringLiteral("/tonquill_de.qm")));
    const struct Case {
        const char* acceptLanguage;
        QStringList serverLanguages;
        const char* lang;
    } cases[] = {
        {"de-DE,de;q=0.9,en;q=0.8", {}, "de-DE"},
        {"de", {"en-US"}, "de-DE"},
        {"fr-FR,de;q=0.5", {}, "de-DE"},
        {"en-GB,de;q=0.9", {"de-DE"}, "en"},
        {"de;q=0.1,en;q=0.2", {}, "en"},
        {"fr-FR,xx", {"de-AT"}, "de-DE"},
        {"", {"de-DE"}, "de-DE"},
        {"", {"fr-FR", "C"}, "en"},
        {"", {}, "en"},
        {"de;q=0", {}, "en"},
    };
    for (const Case& c : cases) {
        m_server.SetCatalogues({QStringLiteral("/nonexistent"), BuildTranslations()}, c.serverLanguages);
        const Page page = get(c.acceptLanguage);
        EXPECT_EQ(page.lang, QLatin1String(c.lang)) << c.acceptLanguage;
        EXPECT_EQ(page.contentLanguage, QLatin1String(c.lang)) << c.acceptLanguage;
        EXPECT_EQ(page.vary, "Accept-Language");
        EXPECT_EQ(page.texts.keys().size(), PageTextSources().size()) << c.acceptLanguage;
        const bool german = page.lang.startsWith(QLatin1String("de"));
        const struct Text {
            const char* english;
            const char* german;
        } texts[] = {
            {"Sign in", "Anmelden"},
            {"Move %1 to the trash?", "%1 in den Papierkorb verschieben?"},
            {"stopped", "beendet"},
        };
        for (const Text& t : texts)
            EXPECT_EQ(page.texts.value(QLatin1String(t.english)).toString(),
                      QString::fromUtf8(german ? t.german : t.english))
                << c.acceptLanguage << ": " << t.english;
    }
}

// Without catalogues the page is English whatever is asked.
TEST_F(PageLanguageTest, StaysEnglishWithoutCatalogues)
{
    m_server.SetCatalogues({}, {QStringLiteral("de-DE")});
    const Page page = get("de-DE");
    EXPECT_EQ(page.lang, QStringLiteral("en"));
    EXPECT_EQ(page.texts.value(QStringLiteral("Sign in")).toString(), QStringLiteral("Sign in"));
}

} // namespace
