// Messages on the desktop: boxes that open from the event loop one at a
// time in the order raised, and a message raised from inside the recorder's
// data arrival that lets the rest of the stream in.
#include "fixture.h"
#include "ui/controls/plaintooltip.h"
#include "ui/messageboxservice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

namespace {

// The message boxes on screen.
int VisibleBoxes()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox*>(w) && w->isVisible())
            ++n;
    }
    return n;
}

// Closes a modal box should one run its own loop, so that a fault fails the
// test rather than hanging it.
void GuardAgainstModalLoops()
{
    QTimer::singleShot(3000, qApp, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
}

} // namespace

TEST(MessageBoxes, ShowOneAtATimeInTheOrderRaised)
{
    MessageBoxService boxes(QStringLiteral("Tonquill"));
    const struct {
        Message message;
        QMessageBox::Icon icon;
    } cases[] = {
        {{MessageKind::Plain, QStringLiteral("The path is invalid!")}, QMessageBox::NoIcon},
        {{MessageKind::Exclamation, QStringLiteral("at is not installed")}, QMessageBox::Warning},
        {{MessageKind::Information, QStringLiteral("Added Scheduled Task")}, QMessageBox::Information},
        {{MessageKind::Error, QStringLiteral("All servers are full!")}, QMessageBox::Critical},
    };
    QStringList dismissed;
    for (const auto& c : cases)
        boxes.Raise(c.message, [&dismissed, text = c.message.text] { dismissed << text; });
    bool ended = false;
    boxes.AfterLast([&ended] { ended = true; });
    // Raising returns before any box is made.
    EXPECT_EQ(boxes.Showing(), nullptr);

    qsizetype left = std::size(cases);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.text.toStdString());
        ASSERT_TRUE(WaitUntil([&] { return boxes.Showing() && boxes.Showing()->isVisible(); }));
        QMessageBox* box = boxes.Showing();
        --left;
        EXPECT_EQ(box->text(), c.message.text);
        EXPECT_EQ(box->icon(), c.icon);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Tonquill"));
        EXPECT_EQ(VisibleBoxes(), 1);
        EXPECT_EQ(boxes.Waiting(), left);
        EXPECT_FALSE(ended);
        box->button(QMessageBox::Ok)->click();
        ASSERT_TRUE(WaitUntil([&] { return boxes.Showing() != box; }));
    }
    ASSERT_TRUE(WaitUntil([&] { return ended; }));
    EXPECT_EQ(VisibleBoxes(), 0);
    EXPECT_EQ(dismissed, (QStringList{cases[0].message.text, cases[1].message.text, cases[2].message.text,
                                      cases[3].message.text}));

    // Ended from outside: the box closes, the waiting ones are dropped and
    // nobody is told they were read.
    boxes.ShowMessage(QStringLiteral("one"));
    boxes.ShowMessage(QStringLiteral("two"));
    ASSERT_TRUE(WaitUntil([&] { return boxes.Showing() != nullptr; }));
    bool told = false;
    boxes.Raise({MessageKind::Plain, QStringLiteral("three")}, [&told] { told = true; });
    boxes.DismissAll();
    EXPECT_TRUE(boxes.Idle());
    EXPECT_TRUE(WaitUntil([] { return VisibleBoxes() == 0; }));
    EXPECT_FALSE(told);
}

class MessageInDataArrivalTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        recordSongsContinuously();
    }
    MessageBoxService boxes{QStringLiteral("Tonquill")};
};

// A window that follows the recorder raises a message when a song file is
// closed, which happens inside the recorder's data arrival, while the rest
// of the stream is already on its way: raising runs no loop (so nothing
// arrives inside it), and every audio byte ends up in its file.
TEST_F(MessageInDataArrivalTest, TheStreamKeepsFlowingAndIsRecordedWhole)
{
    const int metaint = 512;
    auto audio = [](char fill) { return QByteArray(metaint, fill); };
    auto title = [](const QByteArray& t) {
        QByteArray b = "StreamTitle='" + t + "';";
        while (b.size() % 16)
            b.append('\0');
        return char(b.size() / 16) + b;
    };
    const QByteArray first = "ICY 200 OK\r\nicy-name:Test FM\r\nicy-metaint:512\r\n\r\n" + audio('a') +
                             title("Song One") + audio('b') + title("Song Two") + audio('c');
    const QByteArray rest = title("Song Three") + audio('d') + '\0' + audio('e');

    startOnStation();
    ASSERT_TRUE(WaitUntil([&] { return station.requests.contains("\r\n\r\n"); }));
    QTcpSocket* server = station.last();

    int raises = 0;
    int reentered = 0;
    bool inside = false;
    bool loopRan = false;
    QObject::connect(recorder.get(), &frmMP3::fileClosed, [&](const QString&) {
        if (inside)
            ++reentered;
        if (raises++ > 0)
            return;
        // The rest of the stream arrives while the message is raised.
        server->write(rest);
        server->flush();
        EXPECT_EQ(server->bytesToWrite(), 0);
        inside = true;
        loopRan = false;
        QTimer::singleShot(0, qApp, [&loopRan] { loopRan = true; });
        GuardAgainstModalLoops();
        boxes.ShowMessage(QStringLiteral("Network errors have interrupted successful recording of Test FM!"));
        inside = false;
        EXPECT_FALSE(loopRan) << "raising the message ran the event loop";
    });
    server->write(first);
    server->flush();

    const qint64 total = 5 * metaint;
    ASSERT_TRUE(WaitUntil([&] { return recorder->AudioBytesWritten() == total; }, 10000))
        << recorder->AudioBytesWritten();
    EXPECT_EQ(reentered, 0);
    ASSERT_TRUE(WaitUntil([&] { return boxes.Showing() != nullptr; }));
    EXPECT_EQ(VisibleBoxes(), 1);
    recorder->StopRecording();
    auto body = [this](const QString& name) {
        const QByteArray f = ReadAll(folder.file(name));
        return f.size() >= 128 ? f.left(f.size() - 128) : f;
    };
    EXPECT_EQ(body(QStringLiteral("Test FM-12052026.mp3")), audio('a'));
    EXPECT_EQ(body(QStringLiteral("Song One.mp3")), audio('b'));
    EXPECT_EQ(body(QStringLiteral("Song Two.mp3")), audio('c'));
    EXPECT_EQ(body(QStringLiteral("Song Three.mp3")), audio('d') + audio('e'));
    boxes.DismissAll();
}

// Station names, titles and file names in a message, and in a tooltip, are
// shown as they are, never read as markup.
TEST(MessageBoxes, ShowRemoteTextAsItIs)
{
    const QString hostile[] = {
        QStringLiteral("<b>Bold</b><img src=\"http://127.0.0.1/x.png\"><a href=\"http://127.0.0.1/\">live</a>"),
        QStringLiteral("Could not add \"<i>Station</i>\": <br>no stream"),
        QStringLiteral("&lt;b&gt; &amp; <p style=\"color:red\">red"),
    };
    GuardAgainstModalLoops();
    MessageBoxService boxes(QStringLiteral("Tonquill"));
    for (const QString& text : hostile) {
        SCOPED_TRACE(text.toStdString());
        for (const MessageKind kind : {MessageKind::Plain, MessageKind::Error}) {
            boxes.Raise({kind, text}, {});
            ASSERT_TRUE(WaitUntil([&] { return boxes.Showing() && boxes.Showing()->isVisible(); }));
            EXPECT_EQ(boxes.Showing()->text(), text);
            EXPECT_EQ(boxes.Showing()->textFormat(), Qt::PlainText);
            boxes.Showing()->done(QMessageBox::Ok);
            ASSERT_TRUE(WaitUntil([&] { return boxes.Idle(); }));
        }
        // The tooltip's markup, shown, is the text itself.
        QTextDocument shown;
        shown.setHtml(PlainToolTip(text));
        EXPECT_EQ(shown.toPlainText(), text);
    }
    EXPECT_EQ(PlainToolTip(QStringLiteral("http://127.0.0.1/a?b=1&c=2")), QStringLiteral("http://127.0.0.1/a?b=1&c=2"));
}

// A box comes above the window in front but blocks no window: the panel it
// was raised over can still be closed, and the box outlives it.
TEST(MessageBoxes, StayAboveTheWindowInFrontWithoutBlockingIt)
{
    MessageBoxService boxes(QStringLiteral("Tonquill"));
    auto* panel = new QWidget;
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->show();
    QApplication::setActiveWindow(panel);
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == panel; }));
    const QPointer<QWidget> watch(panel);

    boxes.ShowMessage(QStringLiteral("The station list Playlist.txt has a line longer than 8192 bytes"));
    ASSERT_TRUE(WaitUntil([&] { return boxes.Showing() && boxes.Showing()->isVisible(); }));
    QMessageBox* box = boxes.Showing();
    ASSERT_NE(box->windowHandle(), nullptr);
    EXPECT_EQ(box->windowHandle()->transientParent(), panel->windowHandle());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(box->isModal());

    EXPECT_TRUE(panel->close());
    ASSERT_TRUE(WaitUntil([&] { return watch.isNull(); }));
    EXPECT_EQ(boxes.Showing(), box);
    EXPECT_TRUE(box->isVisible());
    bool ended = false;
    boxes.AfterLast([&ended] { ended = true; });
    boxes.DismissAll();
    EXPECT_TRUE(WaitUntil([&] { return ended && boxes.Idle(); }));
}
