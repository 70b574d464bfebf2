// Writes a BIN/CUE image of the files given, through the disc recorder's
// image device, the way Discwright does: every file is read (probed) and
// queued, then the image is written. Prints the seconds each phase took and
// the audio bytes written.
//
//   bench_image FOLDER FILE...
#include "cdcreator/discrecordobj.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_image FOLDER FILE...\n");
        return 2;
    }
    qputenv("DISCWRIGHT_IMAGE_DIR", args[0].toUtf8());
    DiscRecordObj recorder(nullptr);
    QElapsedTimer clock;
    clock.start();
    double probeSeconds = 0;
    int status = 1;
    QObject::connect(&recorder, &IDiscRecorder::StatusMessage, [&app](const QString& text, int, int kind) {
        if (kind != IDiscRecorder::kError)
            return;
        std::fprintf(stderr, "bench_image: %s\n", qPrintable(text));
        app.exit(1);
    });
    QObject::connect(&recorder, &IDiscRecorder::TracksChanged, [&] {
        if (recorder.pendingTracks() > 0)
            return;
        probeSeconds = clock.elapsed() / 1000.0;
        recorder.setTestMode(false);
        recorder.setWriteSpeed(48);
        recorder.setTrackPause(2);
        recorder.StartWrite();
        if (!recorder.IsWriting())
            app.exit(1);
    });
    QObject::connect(&recorder, &IDiscRecorder::WriteEnded, [&] {
        const double total = clock.elapsed() / 1000.0;
        status = recorder.lastImagePath().isEmpty() ? 1 : 0;
        std::printf("probe-seconds %.3f\nwrite-seconds %.3f\nbytes %.0f\n", probeSeconds, total - probeSeconds,
                    recorder.BytesWritten());
        app.exit(status);
    });
    recorder.InitRecorder();
    recorder.ListDevices();
    recorder.setDeviceIndex(-1);
    recorder.RefreshDevice();
    for (const QString& file : args.mid(1))
        recorder.AddTrack(file);
    return app.exec();
}
