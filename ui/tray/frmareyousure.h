#pragma once

#include <QDialog>
#include <memory>

class QTimer;
class IDesktopShell;
class ITickSource;
class frmMP3;
namespace Ui {
class frmAreYouSure;
}

// Asks before the program quits during a recording. Left alone, it answers
// "No" by itself after five seconds and the recording goes on.
class frmAreYouSure : public QDialog {
    Q_OBJECT
public:
    static constexpr qint64 kAnswerAfterMs = 5000;

    frmAreYouSure(frmMP3& recorder, IDesktopShell& shell, const ITickSource& clock, QWidget* parent = nullptr);
    ~frmAreYouSure() override;

    void Timer1_Timer();
    void cmdYes_Click();
    void cmdNo_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The question sits in a row of its own, which has room beside it.
    std::unique_ptr<Ui::frmAreYouSure> m_ui;
    QTimer* Timer1 = nullptr;
    frmMP3& m_recorder;
    IDesktopShell& m_shell;
    const ITickSource& m_clock;
    qint32 m_loadedTick;
};
