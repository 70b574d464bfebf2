#pragma once

#include "config/settings.h"
#include "config/usersettings.h"
#include "fixture.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "ui/panel/frmrecord.h"
#include "ui/shell/desktopshell.h"
#include "ui/shell/dialogs.h"

#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#include <memory>
#include <unistd.h>

// The control panel around the recorder fixture: every outside effect is a
// fake, the settings store, the program folder and the station file live in
// temporary folders, and the add/edit dialog answers from fields.
class PanelFixture : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        SetUserSettingsFolder(store.path());
        ProgramFolders::SetOverride(home.path());
        SetSpecialFolderOverride(SpecialFolder::Music, QString());
        SetSpecialFolderOverride(SpecialFolder::Documents, QString());
        panelDeps.recorder = recorder.get();
        panelDeps.config = &config;
        panelDeps.messages = &messages;
        panelDeps.launcher = &launcher;
        panelDeps.dialogs = &dialogs;
        panelDeps.urls = &urls;
        panelDeps.shell = &shell;
        panelDeps.clock = &clock;
        panelDeps.stationFile = home.file(QStringLiteral("Playlist.txt"));
        panelDeps.stationDialog = [this](QWidget*, const QString& caption, QString& name, QString& url) {
            dialogCaptions.append(caption);
            dialogUrls.append(url);
            if (!dialogName.isNull())
                name = dialogName;
            return dialogAnswer;
        };
    }

    void TearDown() override
    {
        panel.reset();
        SetUserSettingsFolder(QString());
        ProgramFolders::SetOverride(QString());
        ClearSpecialFolderOverrides();
    }

    frmRecord& open()
    {
        panel = std::make_unique<frmRecord>(panelDeps);
        return *panel;
    }

    // Closes the panel as the user does: the station file and the settings
    // are written.
    void closePanel()
    {
        panel->close();
        panel.reset();
    }

    void reopen()
    {
        closePanel();
        open();
    }

    static bool isRoot() { return geteuid() == 0; }

    static std::unique_ptr<QMimeData> textDrop(const QString& text)
    {
        auto data = std::make_unique<QMimeData>();
        data->setText(text);
        return data;
    }

    static std::unique_ptr<QMimeData> fileDrop(const QString& path)
    {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl::fromLocalFile(path)});
        return data;
    }

    // A playlist address on the loopback interface where nothing answers:
    // accepting it starts a fetch that the tests only look at, never finish.
    static QString localUrl(const QString& rest) { return QStringLiteral("http://127.0.0.1:1/") + rest; }

    QStringList names() const
    {
        QStringList out;
        for (int i = 0; i < panel->StationCount(); ++i)
            out << panel->StationName(i);
        return out;
    }

    QStringList urlsOfStations() const
    {
        QStringList out;
        for (int i = 0; i < panel->StationCount(); ++i)
            out << panel->StationUrl(i);
        return out;
    }

    TempFolder store; // the per-user settings
    TempFolder home;  // the program's folder and the station file
    RecordingProcessLauncher launcher;
    ScriptedFileDialogs dialogs;
    RecordingUrlOpener urls;
    RecordingDesktopShell shell;
    PanelDeps panelDeps;

    bool dialogAnswer = true;
    QString dialogName = QStringLiteral("Named Station");
    QStringList dialogCaptions, dialogUrls;

    std::unique_ptr<frmRecord> panel;
};
