#include "ui/tray/recordertray.h"

#include "recorder/frmmp3.h"
#include "ui/tray/trayicon.h"
#include "ui/tray/windowfront.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

const QString RecorderTray::kDisplayCaption = QStringLiteral("Tonquill");

RecorderMenuState MenuStateOf(const RecorderStatus& status)
{
    RecorderMenuState m;
    const bool recording = status.blnRecording;
    m.mPopExit = recording ? RecorderTray::tr("Stop Recording and Exit") : RecorderTray::tr("Exit");
    m.mnuStartRecording = !recording;
    m.mnuStopRecording = recording;
    m.mnuPauseRecording = recording;
    m.mnuListen = recording;
    // A pause before a recording shows once the recording starts.
    m.mnuPauseRecordingCaption =
        recording && status.blnPaused ? RecorderTray::tr("Unpause Recording") : RecorderTray::tr("Pause Recording");
    m.mnuListenCaption = status.blnPreviewToggle ? RecorderTray::tr("Stop listening to recording")
                                                 : RecorderTray::tr("Listen to recording");
    return m;
}

RecorderTray::RecorderTray(frmMP3& recorder, ITrayIcon& icon, ITrayWindows& windows, QObject* parent)
    : QObject(parent), m_recorder(&recorder), m_program(recorder), m_icon(icon), m_windows(windows)
{
    mPopupSys = new QMenu(QStringLiteral("SysTray"));
    mPopupSys->setObjectName(QStringLiteral("mPopupSys"));
    auto item = [this](const char* name, const QString& caption, bool enabled, void (RecorderTray::*handler)()) {
        QAction* a = mPopupSys->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    mnuSetup = item("mnuSetup", tr("Set up new recording"), true, &RecorderTray::mnuSetup_Click);
    mPopupSys->addSeparator()->setObjectName(QStringLiteral("mnuBlah2"));
    mnuToggleDisplay =
        item("mnuToggleDisplay", tr("Show Recording Display"), false, &RecorderTray::mnuToggleDisplay_Click);
    mnuListen = item("mnuListen", tr("Listen to recording"), false, &RecorderTray::mnuListen_Click);
    mnuStartRecording = item("mnuStartRecording", tr("Start Recording"), false, &RecorderTray::mnuStartRecording_Click);
    mnuStopRecording = item("mnuStopRecording", tr("Stop Recording"), false, &RecorderTray::mnuStopRecording_Click);
    mnuPauseRecording = item("mnuPauseRecording", tr("Pause Recording"), false, &RecorderTray::mnuPauseRecording_Click);
    mPopupSys->addSeparator()->setObjectName(QStringLiteral("mnuBlah"));
    mPopExit = item("mPopExit", tr("E&xit"), true, &RecorderTray::mPopExit_Click);

    m_status = m_recorder->Status();
    connect(m_recorder, &frmMP3::statusChanged, this, &RecorderTray::followStatus);
    connect(m_recorder, &frmMP3::trayTipChanged, this, &RecorderTray::applyTip);
    connect(&m_icon, &ITrayIcon::Message, this, [this](int message, const QPoint&) { Form_MouseMove(message); });
}

RecorderTray::~RecorderTray()
{
    Remove();
    delete mPopupSys;
}

void RecorderTray::Create()
{
    m_created = m_icon.Add(TrayTipField(m_tipMaker ? m_tipMaker(m_tip) : m_tip), mPopupSys);
}

void RecorderTray::Remove()
{
    if (!m_created)
        return;
    m_created = false;
    m_icon.Delete();
}

void RecorderTray::applyTip(const QString& tip)
{
    m_tip = tip;
    if (m_created)
        m_icon.Modify(TrayTipField(m_tipMaker ? m_tipMaker(tip) : tip));
}

void RecorderTray::Follow(frmMP3& recorder)
{
    if (&recorder == m_recorder)
        return;
    disconnect(m_recorder, nullptr, this, nullptr);
    m_recorder = &recorder;
    connect(m_recorder, &frmMP3::statusChanged, this, &RecorderTray::followStatus);
    connect(m_recorder, &frmMP3::trayTipChanged, this, &RecorderTray::applyTip);
    // The items show the followed recording's state at once.
    m_menuFollows = true;
    followStatus(recorder.Status());
    applyTip(recorder.TrayTip());
}

void RecorderTray::SetTipMaker(std::function<QString(const QString& recorderTip)> maker)
{
    m_tipMaker = std::move(maker);
    RefreshTip();
}

void RecorderTray::RefreshTip()
{
    applyTip(m_tip);
}

QAction* RecorderTray::addAfter(QAction* before, const char* name, const QString& text, std::function<void()> act)
{
    auto* action = new QAction(text, mPopupSys);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, std::move(act));
    const QList<QAction*> items = mPopupSys->actions();
    const qsizetype after = items.indexOf(before);
    mPopupSys->insertAction(after + 1 < items.size() ? items.at(after + 1) : nullptr, action);
    return action;
}

QAction* RecorderTray::AddStopAll(std::function<void()> stopAll)
{
    if (!mnuStopAll) {
        mnuStopAll = addAfter(mnuPauseRecording, "mnuStopAll", tr("Stop All"), std::move(stopAll));
        mnuStopAll->setEnabled(false);
    }
    return mnuStopAll;
}

QAction* RecorderTray::AddLibrary(std::function<void()> open)
{
    if (mnuLibrary)
        return mnuLibrary;
    mnuLibrary = new QAction(tr("Recordings"), mPopupSys);
    mnuLibrary->setObjectName(QStringLiteral("mnuLibrary"));
    connect(mnuLibrary, &QAction::triggered, this, std::move(open));
    const QList<QAction*> items = mPopupSys->actions();
    const qsizetype exit = items.indexOf(mPopExit);
    // Above the separator over the exit item.
    mPopupSys->insertAction(exit > 0 ? items.at(exit - 1) : mPopExit, mnuLibrary);
    return mnuLibrary;
}

void RecorderTray::AddSaving(std::function<void()> lastMinutes, std::function<void()> thisSong)
{
    if (mnuSaveLastMinutes)
        return;
    mnuSaveLastMinutes = addAfter(mnuStopAll ? mnuStopAll : mnuPauseRecording, "mnuSaveLastMinutes",
                                  tr("Save the Last Minutes"), std::move(lastMinutes));
    mnuSaveThisSong = addAfter(mnuSaveLastMinutes, "mnuSaveThisSong", tr("Save This Song"), std::move(thisSong));
}

void RecorderTray::followStatus(const RecorderStatus& status)
{
    m_status = status;
    m_menuFollows = m_menuFollows || status.blnRecording;
    if (!m_menuFollows)
        return;
    const RecorderMenuState m = MenuStateOf(status);
    mPopExit->setText(m.mPopExit);
    mnuStartRecording->setEnabled(m.mnuStartRecording);
    mnuStopRecording->setEnabled(m.mnuStopRecording);
    mnuPauseRecording->setEnabled(m.mnuPauseRecording);
    mnuToggleDisplay->setEnabled(m.mnuToggleDisplay);
    mnuListen->setEnabled(m.mnuListen);
    mnuPauseRecording->setText(m.mnuPauseRecordingCaption);
    mnuListen->setText(m.mnuListenCaption);
}

void RecorderTray::SetToggleDisplayCaption(const QString& caption)
{
    mnuToggleDisplay->setText(caption);
}

void RecorderTray::Form_MouseMove(int message)
{
    switch (message) {
    case kTrayLeftButtonDown: {
        QWidget* display = m_windows.RecordingDisplay(false);
        if (display && display->isVisible())
            BringWindowToFront(kDisplayCaption);
        // The panel is raised by its own caption.
        QWidget* panel = m_windows.Panel();
        if (panel && panel->isVisible())
            BringWindowToFront(panel->windowTitle());
        break;
    }
    case kTrayLeftDoubleClick:
        if (m_status.blnRecording)
            mnuToggleDisplay_Click();
        else
            mnuSetup_Click();
        break;
    case kTrayRightButtonUp:
        // The notification area opens the icon's menu itself.
        break;
    default:
        break;
    }
}

void RecorderTray::mnuSetup_Click()
{
    m_windows.ShowPanelForSetup();
}

void RecorderTray::mnuToggleDisplay_Click()
{
    QWidget* display = m_windows.RecordingDisplay(true);
    if (!display)
        return;
    if (display->isVisible()) {
        if (display->isMinimized()) {
            display->setWindowState(display->windowState() & ~Qt::WindowMinimized);
            display->show();
            display->raise();
            mnuToggleDisplay->setText(tr("Hide Recording Display"));
            BringWindowToFront(kDisplayCaption);
        } else {
            // Shown and not minimised: the item hides it, as its caption says.
            display->hide();
            mnuToggleDisplay->setText(tr("Show Recording Display"));
        }
        return;
    }
    display->show();
    if (display->isMinimized()) {
        display->setWindowState(display->windowState() & ~Qt::WindowMinimized);
        display->raise();
    }
    BringWindowToFront(kDisplayCaption);
    mnuToggleDisplay->setText(tr("Hide Recording Display"));
}

void RecorderTray::mnuListen_Click()
{
    if (!m_windows.ListenTo(*m_recorder))
        m_recorder->Listen();
}

void RecorderTray::mnuStartRecording_Click()
{
    m_program.Restart();
}

void RecorderTray::mnuStopRecording_Click()
{
    m_recorder->StopRecording();
}

void RecorderTray::mnuPauseRecording_Click()
{
    m_recorder->TogglePause();
}

void RecorderTray::mPopExit_Click()
{
    m_program.ExitFromMenu();
}
