#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;
class IDesktopShell;
class ITickSource;
class frmMP3;

// Asks before the program quits during a recording. Left alone, it answers
// "No" by itself after five seconds and the recording goes on.
class frmAreYouSure : public QDialog {
    Q_OBJECT
public:
    static constexpr qint64 kAnswerAfterMs = 5000;

    frmAreYouSure(frmMP3& recorder, IDesktopShell& shell, const ITickSource& clock, QWidget* parent = nullptr);

    void Timer1_Timer();
    void cmdYes_Click();
    void cmdNo_Click();

    QLabel* lblQuit = nullptr;
    QPushButton* cmdYes = nullptr;
    QPushButton* cmdNo = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    frmMP3& m_recorder;
    IDesktopShell& m_shell;
    const ITickSource& m_clock;
    qint32 m_loadedTick;
};
