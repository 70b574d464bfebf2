// The preset reader on any file content: the input is written to a file and
// loaded from disk.
#include "config/configuration.h"
#include "fuzzfile.h"
#include "platform/messages.h"
#include "tests/support/fakes.h"

#include <QString>

#include <cstdlib>

namespace {
QString g_file;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Keep whatever the loader looks up away from the user's own folders.
    const QString home = FuzzFolder("preset");
    qputenv("TONQUILL_HOME", home.toUtf8());
    g_file = home + QStringLiteral("/preset.tvp");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteFuzzInput(g_file, data, size);
    RecordingMessageService messages;
    clsConfiguration config;
    config.setMessageService(&messages);
    const bool ok = config.LoadConfigurationFile(g_file);
    if (ok && !messages.messages.isEmpty())
        std::abort();
    config.HeaderLines();
    return 0;
}
