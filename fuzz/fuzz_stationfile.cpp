// The station list file on any content: what is read is written back and
// must read back as the same stations, with nothing cut the second time, and
// writing that again gives the same bytes.
#include "fuzzfile.h"
#include "config/stationfile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdlib>

namespace {
QString g_file;

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        std::abort();
    return f.readAll();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_file = FuzzFolder("stations") + QStringLiteral("/Playlist.txt");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteFuzzInput(g_file, data, size);
    QList<StationEntry> first;
    if (!ReadStationFile(g_file, first))
        std::abort(); // a regular file within the bound always reads
    if (!WriteStationFile(g_file, first))
        std::abort();
    const QByteArray written = readBytes(g_file);
    QList<StationEntry> second;
    qsizetype shortened = -1;
    if (!ReadStationFile(g_file, second, nullptr, &shortened) || shortened != 0 || second != first)
        std::abort();
    if (!WriteStationFile(g_file, second) || readBytes(g_file) != written)
        std::abort();
    return 0;
}
