// The control panel's recordings: "Record Alongside" and the page listing
// every recording that runs at once.
#include "config/configuration.h"
#include "config/usersettings.h"
#include "platform/messages.h"
#include "ui/panel/frmrecord.h"
#include "ui/shell/desktoprecordings.h"
#include "ui/shell/desktopshell.h"
#include "ui/shell/dialogs.h"
#include "ui/shell/recordingspane.h"
#include "ui_frmrecord.h"
#include "ui_optionspage.h"
#include "ui_stationspage.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QUrl>

void frmRecord::buildRecordingsPage()
{
    DesktopRecordings* recordings = m_deps.recordings;
    if (!recordings)
        return;
    m_recordingsPane = new RecordingsPane(recordings->Model());
    m_recordingsPane->setObjectName(QStringLiteral("RecordingsPage"));
    m_ui->pages->insertWidget(kRecordingsPage, m_recordingsPane);
    // Its button stands in the column below "About".
    cmdRecordings = new QToolButton(this);
    cmdRecordings->setObjectName(QStringLiteral("cmdRecordings"));
    cmdRecordings->setText(tr("Recordings"));
    cmdRecordings->setToolTip(tr("Recordings"));
    cmdRecordings->setAccessibleName(tr("Recordings"));
    cmdRecordings->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    cmdRecordings->setIconSize(m_ui->cmdAbout->iconSize());
    cmdRecordings->setToolButtonStyle(m_ui->cmdAbout->toolButtonStyle());
    cmdRecordings->setSizePolicy(m_ui->cmdAbout->sizePolicy());
    m_ui->column->insertWidget(m_ui->column->indexOf(m_ui->cmdAbout) + 1, cmdRecordings);
    connect(cmdRecordings, &QToolButton::clicked, this, [this] { ShowPage(kRecordingsPage); });

    // A per-user setting beside the notifications, read at the next start.
    auto* resume = new QCheckBox(tr("Resume recordings at start"), m_advanced->chkNotifyProblems->parentWidget());
    resume->setObjectName(QStringLiteral("chkResumeRecordings"));
    resume->setAccessibleName(resume->text());
    resume->setChecked(ResumeRecordings());
    connect(resume, &QCheckBox::clicked, this, &SetResumeRecordings);
    m_advanced->gridRecordings->addWidget(resume, m_advanced->gridRecordings->rowCount(), 0, 1, 3);

    RecordingsPane* pane = m_recordingsPane;
    connect(pane, &RecordingsPane::stopRequested, recordings, &DesktopRecordings::Stop);
    connect(pane, &RecordingsPane::pauseRequested, recordings, &DesktopRecordings::TogglePause);
    connect(pane, &RecordingsPane::listenRequested, recordings, &DesktopRecordings::Listen);
    connect(pane, &RecordingsPane::openFolderRequested, this, [this, recordings](int id) {
        const QString folder = recordings->Folder(id);
        if (!folder.isEmpty() && m_deps.urls)
            m_deps.urls->OpenUrl(QUrl::fromLocalFile(folder));
    });
    connect(pane, &RecordingsPane::saveLastMinutesRequested, this, &frmRecord::saveLastMinutes);
    connect(pane, &RecordingsPane::saveThisSongRequested, this, &frmRecord::saveThisSong);
    // The row double-clicked is in focus already: the display shows it.
    connect(pane, &RecordingsPane::showRequested, this, [this] { m_deps.shell->ShowRecordingDisplay(); });
}

RecordingConfig frmRecord::shownRecording()
{
    PutInCR();
    RecordingConfig config = *m_deps.config;
    config.bCalledFromGUI = true;
    config.bConfigOK = true;
    config.bPreviewModeOnly = false;
    return config;
}

bool frmRecord::restartAlongside()
{
    if (!m_deps.recordings || m_deps.recordings->AlongsideOf(m_ui->txtPlaylist->text()) == 0)
        return false;
    PanelEdited = false;
    m_radio->lblConnecting->hide();
    const RecordingConfig config = shownRecording();
    m_deps.recordings->RestartAlongside(config);
    if (m_deps.stationStarted)
        m_deps.stationStarted(config.sShoutCastFile);
    return true;
}

void frmRecord::saveLastMinutes(int id)
{
    QString problem;
    const QString path = m_deps.recordings->SaveLastMinutes(id, &problem);
    if (path.isEmpty())
        m_deps.messages->ShowMessage(tr("The last minutes could not be saved: %1").arg(problem));
    else
        statusBar()->showMessage(tr("Saved the last minutes: %1").arg(path));
}

void frmRecord::saveThisSong(int id)
{
    QString problem;
    const QString path = m_deps.recordings->SaveThisSong(id, &problem);
    if (path.isEmpty())
        m_deps.messages->ShowMessage(tr("This song could not be saved: %1").arg(problem));
    else
        statusBar()->showMessage(tr("Saving this song: %1").arg(path));
}

void frmRecord::cmdWatch_Click()
{
    startAlongside(true);
}

void frmRecord::cmdRecordAlongside_Click()
{
    startAlongside(false);
}

void frmRecord::startAlongside(bool watch)
{
    if (!m_deps.recordings || !CheckReady(true))
        return;
    m_radio->lblConnecting->hide();
    const RecordingConfig config = shownRecording();
    const QString name = config.sRecordingTitle.isEmpty() ? config.sShoutCastFile : config.sRecordingTitle;
    switch (watch ? m_deps.recordings->Watch(config) : m_deps.recordings->RecordAlongside(config)) {
    case DesktopRecordings::Started::AlreadyRecording:
        statusBar()->showMessage(tr("%1 is being recorded already.").arg(name));
        return;
    case DesktopRecordings::Started::Failed:
        m_deps.messages->ShowMessage(tr("Error on starting this recording!"));
        return;
    case DesktopRecordings::Started::Started:
        statusBar()->showMessage(watch ? tr("Watching %1 for the songs of the wish list.").arg(name)
                                       : tr("Recording %1 alongside the others.").arg(name));
        if (m_deps.stationStarted)
            m_deps.stationStarted(config.sShoutCastFile);
        return;
    }
}
