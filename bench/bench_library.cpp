// The Recordings window with many files: a folder tree of small MP3 files
// (100 folders of FILES/100 each) is made, the window opens on it and the
// event loop runs with a 1 ms heartbeat until every file is listed; the
// longest gap between two beats is the longest the window could not answer.
// Prints:
//   files listed-ms longest-pause-ms rows-at-longest
// The target for the pause is under 50 ms (not a test: it only reports).
//
//   QT_QPA_PLATFORM=offscreen bench_library [FILES]
#include "ui/library/frmlibrary.h"
#include "ui/library/librarymodel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// Three MPEG-1 layer III frames of silence-like bytes at 128 kbit/s.
QByteArray smallMp3()
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0x00);
    return frame.repeated(3);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::max(100, std::atoi(argv[1])) : 100000;
    QTemporaryDir root;
    if (!root.isValid()) {
        std::fprintf(stderr, "bench_library: no temporary folder\n");
        return 1;
    }
    const QByteArray mp3 = smallMp3();
    const int folders = 100;
    for (int f = 0; f < folders; ++f) {
        const QString folder = root.filePath(QStringLiteral("Station %1/2026-12-%2").arg(f % 10).arg(f / 10 + 1));
        QDir().mkpath(folder);
        for (int i = f; i < files; i += folders) {
            QFile out(folder + QStringLiteral("/Artist %1 - Song %2.mp3").arg(i % 977).arg(i));
            if (!out.open(QIODevice::WriteOnly) || out.write(mp3) != mp3.size()) {
                std::fprintf(stderr, "bench_library: cannot write %s\n", qPrintable(out.fileName()));
                return 1;
            }
        }
    }

    frmLibrary window(QString(), {root.path()});
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    int rowsAtLongest = 0; // how many rows were listed when it ended
    QTimer beat;
    beat.setInterval(1);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (now - last > longest) {
            longest = now - last;
            rowsAtLongest = window.model().rowCount();
        }
        last = now;
        if (!window.model().Scanning() && window.model().rowCount() >= files)
            QCoreApplication::quit();
    });
    // Gives up after ten minutes: something is wrong then.
    QTimer::singleShot(10 * 60 * 1000, &app, [] { QCoreApplication::exit(2); });
    clock.start();
    beat.start();
    window.show();
    const int status = app.exec();
    std::printf("files listed-ms longest-pause-ms rows-at-longest\n%d %lld %lld %d\n", window.model().rowCount(),
                static_cast<long long>(clock.elapsed()), static_cast<long long>(longest), rowsAtLongest);
    return status;
}
