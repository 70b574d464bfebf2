#include "cdcreator/burndialogs.h"
#include "cdcreator/burndrives.h"
#include "cdcreator/delayedscan.h"
#include "cdcreator/discrecordobj.h"
#include "cdcreator/frmdiscwrightburn.h"
#include "cdcreator/queuelist.h"
#include "infoswitches.h"
#include "programtranslations.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <cstdio>

namespace {

const char* const kUsage = "Usage:\n"
                           "  discwright                  open the window: queue audio files (Browse, or drop\n"
                           "                              them on the list) and write them to a CD or an image\n"
                           "  discwright FILE...          open the window with the files queued, in the order\n"
                           "                              given, as if dropped on the list\n"
                           "  discwright --help           show this text and end\n"
                           "  discwright --version        show the version and end\n"
                           "\n"
                           "Environment:\n"
                           "  DISCWRIGHT_IMAGE_DIR        where the \"Image Virtual Device\" writes its BIN/CUE\n"
                           "                              images (default ~/Music/Discwright)\n"
                           "  DISCWRIGHT_SCAN_DELAY_MS    hold the drive scan back this long (to try slow drives)\n";

// With DISCWRIGHT_FIRST_PAINT set, prints the milliseconds from the start of
// main to the first paint of any of the window's widgets and ends the
// program (for benchmarks).
class FirstPaintReport : public QObject {
public:
    explicit FirstPaintReport(const QElapsedTimer& clock) : m_clock(clock) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::printf("first-paint-ms %lld\n", static_cast<long long>(m_clock.elapsed()));
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& m_clock;
    bool m_done = false;
};

// The program's icon: the desktop theme's, else the one built in.
QIcon DiscwrightIcon()
{
    QIcon builtIn;
    for (const int size : {16, 24, 32, 48, 64, 128})
        builtIn.addFile(QStringLiteral(":/icons/discwright-%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QStringLiteral("discwright"), builtIn);
}

} // namespace

// Builds the disc recorder (the image device plus the CD writers libburn
// finds), the window's dialogs and the window, and runs until it closes.
// DISCWRIGHT_SCAN_DELAY_MS holds the drive scan back that long, to try the
// window with slow drives.
int main(int argc, char** argv)
{
    if (const int answered = AnswerInfoSwitch(argc, argv, "discwright", kUsage); answered >= 0)
        return answered;
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Discwright"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tonquill.Discwright"));
    InstallTranslations(QStringLiteral("discwright"), QLocale::system().uiLanguages());
    QApplication::setWindowIcon(DiscwrightIcon());
    std::unique_ptr<IDriveAccess> drives = std::make_unique<LibburnDrives>();
    bool delayed = false;
    const int delayMs = qEnvironmentVariableIntValue("DISCWRIGHT_SCAN_DELAY_MS", &delayed);
    if (delayed && delayMs > 0)
        drives = std::make_unique<DelayedScanDrives>(std::move(drives), delayMs);
    DiscRecordObj recorder(std::move(drives));
    WidgetBurnDialogs dialogs(nullptr);
    frmDiscwrightBurn window(recorder, dialogs);
    FirstPaintReport report(clock);
    if (qEnvironmentVariableIsSet("DISCWRIGHT_FIRST_PAINT"))
        app.installEventFilter(&report);
    window.show();
    // The files given are queued as a drop of them would be (Qt's own
    // switches, such as -platform, are gone from the arguments by now).
    const QStringList files = StartQueueFiles(QCoreApplication::arguments().mid(1), QDir::currentPath());
    if (!files.isEmpty())
        window.List1_OLEDragDrop(files);
    return app.exec();
}
