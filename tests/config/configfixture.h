#pragma once

#include "config/configuration.h"
#include "config/settings.h"
#include "config/usersettings.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "tests/support/eventwait.h"
#include "tests/support/fakes.h"

#include <QDir>
#include <QStringList>

#include <gtest/gtest.h>

// A program folder, a music and a documents folder of their own, so no test
// reads or writes the machine's real settings.
class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        ProgramFolders::SetOverride(m_home.path());
        QDir().mkpath(musicFolder());
        QDir().mkpath(documentsFolder());
        SetSpecialFolderOverride(SpecialFolder::Music, musicFolder());
        SetSpecialFolderOverride(SpecialFolder::Documents, documentsFolder());
        SetUserSettingsFolder(m_home.path());
        m_config.setMessageService(&m_messages);
    }
    void TearDown() override
    {
        ProgramFolders::SetOverride(QString());
        ClearSpecialFolderOverrides();
        SetUserSettingsFolder(QString());
    }

    QString home() const { return m_home.path(); }
    QString musicFolder() const { return m_home.path() + QStringLiteral("Music"); }
    QString documentsFolder() const { return m_home.path() + QStringLiteral("Documents"); }

    // Writes the lines as a preset, each followed by `end`.
    QString writePreset(const QStringList& lines, const QByteArray& end = "\r\n",
                        const QString& name = QStringLiteral("test.tvp"))
    {
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += line.toUtf8() + end;
        const QString path = m_home.file(name);
        EXPECT_TRUE(WriteAll(path, bytes));
        return path;
    }

    // A valid preset with one line replaced (1-based; 0 keeps all).
    QStringList preset(int lineNo = 0, const QString& replacement = QString()) const
    {
        QStringList lines{QStringLiteral("!L-Jazz FM"), QStringLiteral("http://127.0.0.1/listen.pls"),
                          QStringLiteral("SONGNAMEONLY"), QStringLiteral("%DEFDIR%"), QStringLiteral(" 90 "),
                          QStringLiteral(" 30 ")};
        if (lineNo > 0)
            lines[lineNo - 1] = replacement;
        return lines;
    }

    TempFolder m_home;
    RecordingMessageService m_messages;
    clsConfiguration m_config;
};
