#include "audiofixtures.h"
#include "cdcreator/burndialogs.h"
#include "cdcreator/delayedscan.h"
#include "cdcreator/discrecordobj.h"
#include "cdcreator/frmdiscwrightburn.h"
#include "cdcreator/queuelist.h"
#include "cdcreator/timescale.h"
#include "cdcreator/timetext.h"
#include "fakerecorder.h"
#include "tests/support/eventwait.h"
#include "tests/support/widgets/control.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The window's controls, found by their names.
struct WindowControls {
    explicit WindowControls(const QObject* w)
        : CmbDevice(Control<QComboBox>(w, "CmbDevice")), CmbSpeeds(Control<QComboBox>(w, "CmbSpeeds")),
          ChkBuf(Control<QCheckBox>(w, "ChkBuf")), Option1(Control<QRadioButton>(w, "Option1")),
          Option2(Control<QRadioButton>(w, "Option2")), Text1(Control<QLineEdit>(w, "Text1")),
          List1(Control<QueueList>(w, "List1")), Text2(Control<QLabel>(w, "Text2")),
          Command1(Control<QPushButton>(w, "Command1")), Command2(Control<QPushButton>(w, "Command2")),
          Command3(Control<QPushButton>(w, "Command3")), Command4(Control<QPushButton>(w, "Command4")),
          prog(Control<QProgressBar>(w, "prog")), LabelTrack(Control<QLabel>(w, "LabelTrack")),
          LabelBytes(Control<QLabel>(w, "LabelBytes")), LabelTime(Control<QLabel>(w, "LabelTime")),
          LabelElapsed(Control<QLabel>(w, "LabelElapsed")), LabelStatus(Control<QLabel>(w, "LabelStatus")),
          StatPanel1(Control<QLabel>(w, "StatPanel1")), timeScale(Control<TimeScale>(w, "TimeScale")),
          TimerBurnProgress(Control<QTimer>(w, "TimerBurnProgress"))
    {
    }
    QComboBox* CmbDevice;
    QComboBox* CmbSpeeds;
    QCheckBox* ChkBuf;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QLineEdit* Text1;
    QueueList* List1;
    QLabel* Text2;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QProgressBar* prog;
    QLabel* LabelTrack;
    QLabel* LabelBytes;
    QLabel* LabelTime;
    QLabel* LabelElapsed;
    QLabel* LabelStatus;
    QLabel* StatPanel1;
    TimeScale* timeScale;
    QTimer* TimerBurnProgress;
};

struct WindowFixture : ::testing::Test {
    void Open()
    {
        window = std::make_unique<frmDiscwrightBurn>(recorder, dialogs);
        window->resize(720, 520);
        window->show();
    }
    WindowControls ui() const { return WindowControls(window.get()); }
    QStringList listTexts() const
    {
        QStringList texts;
        for (int i = 0; i < ui().List1->count(); ++i)
            texts << ui().List1->item(i)->text();
        return texts;
    }
    FakeRecorder recorder;
    FakeDialogs dialogs;
    std::unique_ptr<frmDiscwrightBurn> window;
};

} // namespace

TEST_F(WindowFixture, LoadShowsTheImageDeviceWithItsSpeeds)
{
    recorder.devices = {QStringLiteral("ACME Writer"), QStringLiteral("Other Drive")};
    Open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral(" Discwright "));
    ASSERT_EQ(ui().CmbDevice->count(), 3);
    EXPECT_EQ(ui().CmbDevice->itemText(0), QStringLiteral("Image Virtual Device"));
    EXPECT_EQ(ui().CmbDevice->itemText(1), QStringLiteral("ACME Writer"));
    EXPECT_EQ(ui().CmbDevice->currentIndex(), 0);
    EXPECT_EQ(recorder.deviceIndex, -1);
    ASSERT_EQ(ui().CmbSpeeds->count(), 3);
    EXPECT_EQ(ui().CmbSpeeds->currentText(), QStringLiteral("48"));
    EXPECT_EQ(recorder.log.mid(0, 4), (QStringList{"access 0", "init", "list devices", "device -1"}));
    EXPECT_EQ(ui().Command1->text(), QStringLiteral("Record"));
    EXPECT_EQ(ui().Command2->text(), QStringLiteral("Abort"));
    EXPECT_EQ(ui().Command3->text(), QStringLiteral("Browse"));
    EXPECT_EQ(ui().Command4->text(), QStringLiteral("Delete"));
    EXPECT_TRUE(ui().Option1->isChecked());
    EXPECT_EQ(ui().Option1->text(), QStringLiteral("Test"));
    EXPECT_EQ(ui().Option2->text(), QStringLiteral("Record"));
    EXPECT_EQ(ui().ChkBuf->text(), QStringLiteral("BurnProof"));
    EXPECT_EQ(ui().Text1->text(), QStringLiteral("2"));
    EXPECT_EQ(ui().Text2->text(), QStringLiteral("Tracks"));
    EXPECT_EQ(ui().StatPanel1->text(), QStringLiteral("Disc Status:"));
    EXPECT_EQ(ui().timeScale->caption(1)->text(), QStringLiteral("20 min"));
    EXPECT_FALSE(ui().TimerBurnProgress->isActive());
}

TEST_F(WindowFixture, DeviceChangeRefillsSpeedsAndBufferCheck)
{
    recorder.devices = {QStringLiteral("ACME Writer")};
    recorder.speeds[0] = {16, 4};
    recorder.capability[0] = 2;
    Open();
    EXPECT_FALSE(ui().ChkBuf->isChecked());
    ui().CmbDevice->setCurrentIndex(1);
    window->CmbDevice_Click();
    EXPECT_EQ(recorder.deviceIndex, 0);
    EXPECT_TRUE(ui().ChkBuf->isChecked());
    ASSERT_EQ(ui().CmbSpeeds->count(), 2);
    EXPECT_EQ(ui().CmbSpeeds->currentText(), QStringLiteral("16"));
    recorder.speeds[0] = {};
    window->CmbDevice_Click();
    EXPECT_EQ(ui().CmbSpeeds->count(), 0);
}

TEST_F(WindowFixture, DiscStatusTexts)
{
    Open();
    struct Case {
        int state;
        qint32 capacity, used;
        double left;
        const char* text;
    } cases[] = {
        {0, 0, 0, 0, "No Disc In Drive"},
        {1, 846720000, 0, 4800, "Empty CD   [ 01:20:00 Time Left , 807.50 MB Left ]"},
        {2, 3145728, 1536, 10, "Open CD (Capacity=3.00 MB, used=1.50 KB)"},
        {3, 0, 3145728, 0, "Non Writeable CD [ 3.00 MB Used ]"},
        {7, 1, 1, 1, "Non Writeable CD [ 3.00 MB Used ]"}, // unknown state: unchanged
        {3, 0, 0, 0, "Non Writeable CD [ 0 Bytes Used ]"},
    };
    for (const auto& c : cases) {
        recorder.discState = c.state;
        recorder.capacity = c.capacity;
        recorder.used = c.used;
        recorder.timeLeft = c.left;
        emit recorder.DiscStatusChanged();
        EXPECT_EQ(window->discStatusText(), QString::fromLatin1(c.text)) << c.state;
    }
}

TEST_F(WindowFixture, QueueTimeAndScale)
{
    recorder.playTimes = {{QStringLiteral("/m/long.mp3"), 3725}, {QStringLiteral("/m/b.wav"), 252}};
    Open();
    EXPECT_EQ(window->queueTimeText(), QStringLiteral("Time In Queue: 00:00"));
    EXPECT_EQ(ui().Text2->text(), QStringLiteral("Tracks"));
    EXPECT_EQ(ui().timeScale->barWidth(), 0);
    window->QueueFile = QStringLiteral("/m/long.mp3");
    window->addfiletoqueue();
    EXPECT_EQ(window->queueTimeText(), QStringLiteral("Time In Queue: 01:02:05"));
    EXPECT_NEAR(ui().timeScale->barWidth(), (ui().timeScale->scaleWidth() - 20) * 62.0833 / 100, 1.0);
    EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Audio Track 01 (long.mp3)  01:02:05")});
    EXPECT_EQ(ui().Text2->text(), QStringLiteral("1"));
}

TEST_F(WindowFixture, DropStopsAtTheFirstFileOfAnotherKind)
{
    recorder.playTimes = {
        {QStringLiteral("/m/a.mp3"), 60}, {QStringLiteral("/m/c.wav"), 30}, {QStringLiteral("/m/SONG.MP3"), 5}};
    Open();
    window->List1_OLEDragDrop({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/notes.txt"), QStringLiteral("/m/c.wav")});
    EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Audio Track 01 (a.mp3)  01:00")});
    window->List1_OLEDragDrop({QStringLiteral("/m/x.flac"), QStringLiteral("/m/c.wav")});
    EXPECT_EQ(ui().List1->count(), 1);
    window->List1_OLEDragDrop({QStringLiteral("/m/SONG.MP3")});
    EXPECT_EQ(listTexts().last(), QStringLiteral("Audio Track 02 (SONG.MP3)  00:05"));
    EXPECT_EQ(ui().Text2->text(), QStringLiteral("2"));
    EXPECT_TRUE(dialogs.critical.isEmpty());
}

TEST_F(WindowFixture, DropEventFromTheListWidget)
{
    recorder.playTimes = {{QStringLiteral("/m/a.mp3"), 60}};
    Open();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/m/a.mp3")), QUrl::fromLocalFile(QStringLiteral("/m/b.txt"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ui().List1->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ui().List1->viewport(), &drop);
    EXPECT_EQ(recorder.log.filter(QStringLiteral("add ")), QStringList{QStringLiteral("add /m/a.mp3")});
}

TEST_F(WindowFixture, RefusedFileShowsTheMessageAndIsNotListed)
{
    Open();
    window->List1_OLEDragDrop({QStringLiteral("/m/broken.ogg")});
    EXPECT_EQ(ui().List1->count(), 0);
    EXPECT_EQ(dialogs.critical, QStringList{QStringLiteral("Cannot add /m/broken.ogg")});
    EXPECT_EQ(ui().LabelStatus->text(), QStringLiteral("Cannot add /m/broken.ogg"));
    emit recorder.StatusMessage(QStringLiteral("whatever"), 21, 2);
    EXPECT_EQ(dialogs.informed.last(),
              QStringLiteral("ASPI is not installed. Please install it or switch to SPTI mode"));
    emit recorder.StatusMessage(QStringLiteral("just news"), 0, 0);
    EXPECT_EQ(ui().LabelStatus->text(), QStringLiteral("just news"));
    EXPECT_EQ(dialogs.critical.size(), 1);
}

TEST_F(WindowFixture, BrowseAndDelete)
{
    recorder.playTimes = {{QStringLiteral("/m/a.mp3"), 1}, {QStringLiteral("/m/b.mp3"), 2}};
    Open();
    dialogs.nextFiles = {};
    window->Command3_Click();
    EXPECT_EQ(dialogs.filters, QStringList{frmDiscwrightBurn::kAudioFilter});
    EXPECT_EQ(ui().List1->count(), 0);
    for (const char* f : {"/m/a.mp3", "/m/b.mp3"}) {
        dialogs.nextFiles = {QString::fromLatin1(f)};
        window->Command3_Click();
    }
    ASSERT_EQ(ui().List1->count(), 2);
    window->Command4_Click();
    EXPECT_EQ(dialogs.informed, QStringList{QStringLiteral("Please Click A File You Wish To Delete From Queue")});
    EXPECT_EQ(ui().List1->count(), 2);
    ui().List1->setCurrentRow(1);
    window->Command4_Click();
    EXPECT_TRUE(recorder.log.contains(QStringLiteral("remove 1")));
    EXPECT_EQ(listTexts(), QStringList{QStringLiteral("Audio Track 01 (a.mp3)  00:01")});
    EXPECT_EQ(window->queueTimeText(), QStringLiteral("Time In Queue: 00:01"));
}

TEST_F(WindowFixture, RecordSetsEverythingInOrder)
{
    Open();
    ui().CmbSpeeds->setCurrentIndex(1); // 24
    ui().Option2->setChecked(true);
    ui().Text1->setText(QStringLiteral("3"));
    recorder.log.clear();
    window->Command1_Click();
    EXPECT_EQ(recorder.log, (QStringList{"test 0", "speed 24", "finalize 1", "pause 3", "method 0", "start"}));
    EXPECT_TRUE(ui().TimerBurnProgress->isActive());
    EXPECT_EQ(ui().TimerBurnProgress->interval(), 100);
    window->Command2_Click();
    EXPECT_EQ(recorder.log.last(), QStringLiteral("abort"));
}

TEST_F(WindowFixture, RecordRefusesTextsThatAreNotNumbers)
{
    Open();
    struct Case {
        const char* pause;
        bool starts;
    } cases[] = {{"two", false}, {"", false}, {"-1", false}, {"0", true}, {"1.5", true}};
    for (const auto& c : cases) {
        recorder.log.clear();
        ui().Text1->setText(QString::fromLatin1(c.pause));
        window->Command1_Click();
        EXPECT_EQ(recorder.log.contains(QStringLiteral("start")), c.starts) << c.pause;
    }
    ui().Text1->setText(QStringLiteral("2"));
    ui().CmbSpeeds->clear();
    recorder.log.clear();
    window->Command1_Click();
    EXPECT_TRUE(recorder.log.isEmpty());
    EXPECT_FALSE(dialogs.informed.isEmpty());
}

TEST_F(WindowFixture, ProgressTick)
{
    Open();
    struct Case {
        double total, written;
        int value;
        const char* bytes;
    } cases[] = {{0, 500, 0, "0.49 KB of 0 Bytes"},
                 {3145728, 1572864, 50, "1.50 MB of 3.00 MB"},
                 {1536, 3000, 100, "2.93 KB of 1.50 KB"},
                 {1536, 1536, 100, "1.50 KB of 1.50 KB"}};
    recorder.writing = true;
    for (const auto& c : cases) {
        recorder.total = c.total;
        recorder.written = c.written;
        ui().LabelStatus->setText(QStringLiteral("busy"));
        window->TimerBurnProgress_Timer();
        EXPECT_EQ(ui().prog->value(), c.value) << c.total;
        EXPECT_EQ(ui().LabelBytes->text(), QString::fromLatin1(c.bytes));
        // Only exactly 100 percent clears the status.
        EXPECT_EQ(ui().LabelStatus->text().isEmpty(), c.written == c.total) << c.total;
    }
    recorder.track = 3;
    recorder.timeWritten = 125;
    recorder.timeTotal = 3725;
    recorder.elapsed = 59.5;
    window->TimerBurnProgress_Timer();
    EXPECT_EQ(ui().LabelTrack->text(), QStringLiteral("2"));
    EXPECT_EQ(ui().LabelTime->text(), QStringLiteral("02:05 of 01:02:05"));
    EXPECT_EQ(ui().LabelElapsed->text(), QStringLiteral("01:00"));
    emit recorder.WriteEnded();
    EXPECT_EQ(ui().prog->value(), 0);
    for (QLabel* l : {ui().LabelStatus, ui().LabelTrack, ui().LabelBytes, ui().LabelTime, ui().LabelElapsed})
        EXPECT_TRUE(l->text().isEmpty());
}

TEST(WindowWithRealRecorder, ImageDeviceWithoutDrives)
{
    TempFolder dir;
    qputenv("DISCWRIGHT_IMAGE_DIR", dir.path().toUtf8());
    DiscRecordObj recorder(nullptr);
    FakeDialogs dialogs;
    frmDiscwrightBurn window(recorder, dialogs);
    const WindowControls ctl(&window);
    EXPECT_EQ(ctl.CmbDevice->count(), 1);
    EXPECT_EQ(ctl.CmbSpeeds->count(), int(DiscRecordObj::ImageSpeeds().size()));
    EXPECT_EQ(ctl.CmbSpeeds->currentText(), QStringLiteral("48"));
    EXPECT_EQ(window.discStatusText(), QStringLiteral("Empty CD   [ 01:20:00 Time Left , 807.50 MB Left ]"));
    window.Command1_Click(); // empty queue: refused with a message, nothing written
    EXPECT_EQ(dialogs.critical, QStringList{QStringLiteral("There are no tracks in the queue")});
    qunsetenv("DISCWRIGHT_IMAGE_DIR");
    const QString shot = qEnvironmentVariable("DISCWRIGHT_SCREENSHOT");
    if (!shot.isEmpty()) {
        window.resize(720, 520);
        window.show();
        RunEventsFor(50);
        window.grab().save(shot);
    }
}

namespace {

// One writer with one speed and no disc.
struct OneDrive : IDriveAccess {
    bool Initialize(QString*) override { return true; }
    std::vector<Drive> Scan() override { return {{QStringLiteral("ACME Writer"), QStringLiteral("/dev/sr9")}}; }
    bool Select(int, QString*) override { return true; }
    std::vector<int> WriteSpeeds() override { return {24}; }
    Disc ReadDisc() override { return {}; }
    bool UnderrunProtection() override { return false; }
    std::unique_ptr<WriteJob> CreateWriteJob(const WriteRequest&, WriteProgress&) override { return nullptr; }
};

} // namespace

// The window is built and works while the drives take five seconds to answer;
// the writer joins the list when they do.
TEST(WindowWithRealRecorder, UsableWhileTheDriveScanWaits)
{
    auto slow = std::make_unique<DelayedScanDrives>(std::make_unique<OneDrive>(), 5000);
    DelayedScanDrives* scan = slow.get();
    DiscRecordObj recorder(std::move(slow));
    FakeDialogs dialogs;
    frmDiscwrightBurn window(recorder, dialogs);
    const WindowControls ctl(&window);
    window.show();
    ASSERT_TRUE(recorder.scanning());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(ctl.CmbDevice->count(), 1);
    EXPECT_EQ(ctl.CmbDevice->currentText(), QStringLiteral("Image Virtual Device"));
    EXPECT_EQ(ctl.CmbSpeeds->currentText(), QStringLiteral("48"));
    bool ticked = false;
    QTimer::singleShot(0, &window, [&ticked] { ticked = true; });
    EXPECT_TRUE(WaitUntil([&ticked] { return ticked; }, 2000));
    EXPECT_TRUE(recorder.scanning());

    scan->Release();
    ASSERT_TRUE(WaitUntil([&ctl] { return ctl.CmbDevice->count() == 2; }, 10000));
    EXPECT_EQ(ctl.CmbDevice->itemText(1), QStringLiteral("ACME Writer"));
    EXPECT_EQ(ctl.CmbDevice->currentIndex(), 0);
    ctl.CmbDevice->setCurrentIndex(1);
    window.CmbDevice_Click();
    EXPECT_EQ(ctl.CmbSpeeds->currentText(), QStringLiteral("24"));
}

// Fifty dropped files are read off the GUI thread and listed in drop order;
// one that cannot be read is reported by name and left out.
TEST(WindowWithRealRecorder, BatchDropListsInDropOrder)
{
    TempFolder dir;
    DiscRecordObj recorder(nullptr);
    FakeDialogs dialogs;
    frmDiscwrightBurn window(recorder, dialogs);
    const WindowControls ctl(&window);
    QStringList paths, expected;
    double total = 0;
    for (int i = 0; i < 50; ++i) {
        const QString name = QStringLiteral("f%1.wav").arg(i, 2, 10, QLatin1Char('0'));
        paths << dir.file(name);
        if (i == 7) {
            ASSERT_TRUE(WriteAll(paths.last(), "not audio"));
            continue;
        }
        const int seconds = 1 + (49 - i) % 4; // longer files first
        ASSERT_TRUE(MakeWav(paths.last(), seconds));
        expected << QueueEntryText(expected.size(), paths.last(), seconds);
        total += seconds;
    }
    window.List1_OLEDragDrop(paths);
    EXPECT_EQ(ctl.List1->count(), 0); // nothing was read on the GUI thread
    ASSERT_TRUE(WaitUntil([&] { return recorder.pendingTracks() == 0; }, 60000));
    QStringList listed;
    for (int i = 0; i < ctl.List1->count(); ++i)
        listed << ctl.List1->item(i)->text();
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(ctl.Text2->text(), QStringLiteral("49"));
    ctl.List1->setCurrentRow(2); // a selection survives files arriving
    emit recorder.TracksChanged();
    EXPECT_TRUE(ctl.List1->item(2)->isSelected());
    EXPECT_EQ(window.queueTimeText(), QStringLiteral("Time In Queue: ") + SecondsToText(float(total)));
    ASSERT_EQ(dialogs.critical.size(), 1);
    EXPECT_TRUE(dialogs.critical[0].startsWith(QStringLiteral("Cannot add f07.wav: ")))
        << dialogs.critical[0].toStdString();
}

// Only regular files are read: a FIFO, a socket, a device or a folder in the
// drop is refused by name at once, and the files after it are listed.
TEST(WindowWithRealRecorder, FilesThatAreNotRegularAreRefusedAndTheRestListed)
{
    TempFolder dir;
    const QString fifo = dir.file(QStringLiteral("fifo.wav")), socket = dir.file(QStringLiteral("socket.wav"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(socket);
    ASSERT_LT(size_t(socketName.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketName.constData(), size_t(socketName.size()));
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.file(QStringLiteral("zero.wav"))));
    ASSERT_TRUE(QDir().mkdir(dir.file(QStringLiteral("folder.wav"))));
    ASSERT_TRUE(MakeWav(dir.file(QStringLiteral("good.wav")), 2));

    DiscRecordObj recorder(nullptr);
    FakeDialogs dialogs;
    frmDiscwrightBurn window(recorder, dialogs);
    const WindowControls ctl(&window);
    window.List1_OLEDragDrop({fifo, socket, dir.file(QStringLiteral("zero.wav")),
                              dir.file(QStringLiteral("folder.wav")), dir.file(QStringLiteral("good.wav"))});
    const bool settled = WaitUntil([&] { return recorder.pendingTracks() == 0; }, 10000);
    if (!settled) {
        // A reader stuck on the FIFO is let go, so that the test ends.
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        ::close(writer);
        WaitUntil([&] { return recorder.pendingTracks() == 0; }, 10000);
    }
    ::close(listener);
    EXPECT_TRUE(settled) << "a file that is not regular held the queue";
    ASSERT_EQ(ctl.List1->count(), 1);
    EXPECT_EQ(ctl.List1->item(0)->text(), QueueEntryText(0, dir.file(QStringLiteral("good.wav")), 2));
    EXPECT_EQ(dialogs.critical, (QStringList{QStringLiteral("Cannot add fifo.wav: is not a regular file"),
                                             QStringLiteral("Cannot add socket.wav: is not a regular file"),
                                             QStringLiteral("Cannot add zero.wav: is not a regular file"),
                                             QStringLiteral("Cannot add folder.wav: is a folder")}));
}

// Browse takes every file chosen in the dialog, in the dialog's order.
TEST_F(WindowFixture, BrowseQueuesEveryFileChosen)
{
    recorder.playTimes = {
        {QStringLiteral("/m/a.mp3"), 1}, {QStringLiteral("/m/b.wav"), 2}, {QStringLiteral("/m/c.ogg"), 3}};
    Open();
    dialogs.nextFiles = {QStringLiteral("/m/c.ogg"), QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.wav")};
    window->Command3_Click();
    EXPECT_EQ(dialogs.filters.size(), 1);
    EXPECT_EQ(listTexts(), (QStringList{QStringLiteral("Audio Track 01 (c.ogg)  00:03"),
                                        QStringLiteral("Audio Track 02 (a.mp3)  00:01"),
                                        QStringLiteral("Audio Track 03 (b.wav)  00:02")}));
    EXPECT_EQ(ui().Text2->text(), QStringLiteral("3"));
    EXPECT_EQ(window->queueTimeText(), QStringLiteral("Time In Queue: 00:06"));
}

// The bar keeps showing the queue's minutes when the window is resized: 7
// minutes fill 7 % of the scale at any width.
TEST_F(WindowFixture, ScaleFollowsTheWindowSize)
{
    recorder.playTimes = {{QStringLiteral("/m/seven.mp3"), 420}};
    Open();
    window->QueueFile = QStringLiteral("/m/seven.mp3");
    window->addfiletoqueue();
    for (QSize size : {QSize(1900, 700), QSize(900, 480), QSize(1280, 600)}) {
        window->resize(size);
        TimeScale* scale = ui().timeScale;
        // Laid out across the window, less its margins.
        EXPECT_TRUE(
            WaitUntil([&] { return scale->width() <= size.width() && scale->width() > size.width() - 60; }, 5000))
            << size.width() << " " << scale->width();
        EXPECT_NEAR(scale->barWidth(), (scale->scaleWidth() - 20) * 0.07, 1e-6) << size.width();
    }
}

// The time and bytes left on the disc count the queue; a queue longer than
// the disc says by how much.
TEST_F(WindowFixture, DiscStatusFollowsTheQueue)
{
    recorder.playTimes = {{QStringLiteral("/m/b.wav"), 252}, {QStringLiteral("/m/long.wav"), 4748}};
    Open();
    const QString empty = QStringLiteral("Empty CD   [ 01:20:00 Time Left , 807.50 MB Left ]");
    EXPECT_EQ(window->discStatusText(), empty);
    window->List1_OLEDragDrop({QStringLiteral("/m/b.wav")});
    EXPECT_EQ(window->discStatusText(), QStringLiteral("Empty CD   [ 01:15:48 Time Left , 765.10 MB Left ]"));
    emit recorder.DiscStatusChanged(); // the disc's own news counts the queue too
    EXPECT_EQ(window->discStatusText(), QStringLiteral("Empty CD   [ 01:15:48 Time Left , 765.10 MB Left ]"));
    window->List1_OLEDragDrop({QStringLiteral("/m/long.wav")}); // 5000 s in all: 200 s too long
    EXPECT_EQ(window->discStatusText(),
              QStringLiteral("Empty CD   [ 00:00 Time Left , 0 Bytes Left ]  The queue is 03:20 too long"));
    ui().List1->setCurrentRow(1);
    window->Command4_Click();
    ui().List1->setCurrentRow(0);
    window->Command4_Click();
    EXPECT_EQ(window->discStatusText(), empty);
}

// "Total Tracks" shows the count and takes no typing, for the keyboard and
// for assistive technology alike.
TEST_F(WindowFixture, TotalTracksIsReadOnly)
{
    recorder.playTimes = {{QStringLiteral("/m/a.mp3"), 1}};
    Open();
    window->List1_OLEDragDrop({QStringLiteral("/m/a.mp3")});
    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(ui().Text2);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(QAccessible::Name), QStringLiteral("1"));
    EXPECT_FALSE(field->state().editable);
    const auto labels = field->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.first().first->text(QAccessible::Name), QStringLiteral("Total Tracks:"));
    ui().Text2->setFocus();
    QTest::keyClicks(ui().Text2, QStringLiteral("99"));
    QTest::keyClick(ui().Text2, Qt::Key_Backspace);
    EXPECT_EQ(ui().Text2->text(), QStringLiteral("1"));
}

// After an image is written the status names both files, and stays so: the
// progress tick no longer runs, and a tick after the end leaves it.
TEST(WindowWithRealRecorder, StatusNamesTheImageFilesWritten)
{
    TempFolder dir;
    qputenv("DISCWRIGHT_IMAGE_DIR", dir.file(QStringLiteral("images")).toUtf8());
    const QString wav = dir.file(QStringLiteral("one.wav"));
    ASSERT_TRUE(MakeWav(wav, 1));
    DiscRecordObj recorder(nullptr);
    FakeDialogs dialogs;
    frmDiscwrightBurn window(recorder, dialogs);
    const WindowControls ctl(&window);
    dialogs.nextFiles = {wav};
    window.Command3_Click();
    ASSERT_TRUE(WaitUntil([&] { return ctl.List1->count() == 1; }, 30000));
    ctl.Option2->setChecked(true);
    window.Command1_Click();
    ASSERT_TRUE(WaitUntil([&] { return !recorder.IsWriting() && !recorder.lastCuePath().isEmpty(); }, 60000))
        << ctl.LabelStatus->text().toStdString();
    qunsetenv("DISCWRIGHT_IMAGE_DIR");
    const QString status = ctl.LabelStatus->text();
    EXPECT_TRUE(status.contains(recorder.lastImagePath()) && status.contains(recorder.lastCuePath()))
        << status.toStdString();
    EXPECT_FALSE(ctl.TimerBurnProgress->isActive());
    window.TimerBurnProgress_Timer();
    EXPECT_EQ(ctl.LabelStatus->text(), status);
    EXPECT_TRUE(dialogs.critical.isEmpty()) << dialogs.critical.join(QLatin1Char('\n')).toStdString();
}

// A file or tag name is shown as it is, never read as markup: in the real
// message box and in the window's status labels.
TEST_F(WindowFixture, HostileFileNamesAreShownAsPlainText)
{
    const QString names[] = {
        QStringLiteral("/m/<b>Bold</b><i>tilted.ogg"),
        QStringLiteral("/m/<img src=\"x.png\"><a href=\"http://127.0.0.1/\">link</a>.mp3"),
        QStringLiteral("/m/&lt;entity&gt; <br>.wav"),
    };
    Open();
    WidgetBurnDialogs boxes(window.get());
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString text = QStringLiteral("Cannot add ") + name;
        window->List1_OLEDragDrop({name});
        EXPECT_EQ(ui().LabelStatus->text(), text);
        EXPECT_EQ(ui().LabelStatus->textFormat(), Qt::PlainText);

        // The box runs its own loop: it is looked at and closed from there.
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                format = box->textFormat();
                box->done(QMessageBox::Ok);
            }
        });
        look.start(0);
        QTimer::singleShot(3000, &look, [] { // a box never shown fails the test instead of hanging it
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        boxes.Critical(text);
        EXPECT_EQ(shown, text);
        EXPECT_EQ(format, Qt::PlainText);
    }
    for (auto* label : window->findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && label->text().contains(QLatin1Char('<')))
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    }
}

// "discwright FILE ...": the arguments become the paths a drop hands on.
TEST(StartQueueFiles, ArgumentsBecomeAbsolutePathsInTheirOrder)
{
    const struct Case {
        QStringList arguments;
        QStringList files;
    } cases[] = {
        {{}, {}},
        {{"/m/a.mp3", "/m/b.wav"}, {"/m/a.mp3", "/m/b.wav"}},
        {{"b.wav", "a.mp3"}, {"/home/u/b.wav", "/home/u/a.mp3"}},
        {{"../x/a.mp3", "./sub//b.ogg"}, {"/home/x/a.mp3", "/home/u/sub/b.ogg"}},
        {{"my song.mp3"}, {"/home/u/my song.mp3"}},
        // A "--" first parts the files from switches; later it is a name.
        {{"--", "-dash.mp3"}, {"/home/u/-dash.mp3"}},
        {{"a.mp3", "--"}, {"/home/u/a.mp3", "/home/u/--"}},
        {{"", "a.mp3"}, {"/home/u/a.mp3"}},
        {{"/m/a.mp3", "/m/a.mp3"}, {"/m/a.mp3", "/m/a.mp3"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartQueueFiles(c.arguments, QStringLiteral("/home/u")), c.files)
            << c.arguments.join('|').toStdString();
}

// Started with two files, the window lists both, in the order given, as a
// drop of them would; a file of another kind ends the queue as a drop does.
TEST_F(WindowFixture, StartedWithFilesShowsThemQueued)
{
    recorder.playTimes = {{QStringLiteral("/m/two.mp3"), 120}, {QStringLiteral("/m/one.wav"), 65}};
    const struct Case {
        QStringList arguments;
        QStringList listed;
    } cases[] = {
        {{"two.mp3", "one.wav"},
         {QStringLiteral("Audio Track 01 (two.mp3)  02:00"), QStringLiteral("Audio Track 02 (one.wav)  01:05")}},
        {{"one.wav", "notes.txt", "two.mp3"}, {QStringLiteral("Audio Track 01 (one.wav)  01:05")}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join('|').toStdString());
        Open();
        const QStringList files = StartQueueFiles(c.arguments, QStringLiteral("/m"));
        if (!files.isEmpty())
            window->List1_OLEDragDrop(files);
        EXPECT_EQ(listTexts(), c.listed);
        if (!c.listed.isEmpty())
            EXPECT_EQ(ui().Text2->text(), QString::number(c.listed.size()));
        EXPECT_TRUE(dialogs.critical.isEmpty());
        window.reset();
        recorder.tracks.clear();
    }
}
