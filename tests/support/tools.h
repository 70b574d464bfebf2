#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <string>

// External programs some tests drive (sox, lame, ffprobe, mpg123, id3v2,
// icecast2, python3). On a developer's machine a missing one skips the test
// and says which; under CI (CI=true) the setup script has installed them
// all, so a missing one fails the test instead.
namespace testtools {

bool HaveTool(const QString& name);  // on PATH
bool InCI();                         // CI is set to "true"
std::string MissingToolMessage(const QString& tools);

}  // namespace testtools

// Skips the test (fails it under CI) saying that `tools` is missing. Returns
// from the calling function, like GTEST_SKIP.
#define SKIP_FOR_MISSING_TOOL(tools)                                   \
    do {                                                               \
        const std::string tq_why = testtools::MissingToolMessage(tools); \
        if (testtools::InCI())                                         \
            FAIL() << tq_why;                                          \
        GTEST_SKIP() << tq_why;                                        \
    } while (false)

// SKIP_FOR_MISSING_TOOL when `tool` is not on PATH.
#define SKIP_WITHOUT_TOOL(tool)                        \
    do {                                               \
        if (!testtools::HaveTool(QStringLiteral(tool))) \
            SKIP_FOR_MISSING_TOOL(QStringLiteral(tool)); \
    } while (false)
