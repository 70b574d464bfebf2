#pragma once

#include <QMainWindow>
#include <QStringList>
#include <memory>

class IBurnDialogs;
class IDiscRecorder;
class QLabel;
class QTimer;
namespace Ui {
class frmDiscwrightBurn;
}

// The Discwright window: devices and speeds, the disc in the drive, the queue
// of audio files with its play time on the capacity scale, and the burn with
// its progress. All disc work is done by the recorder it is given; the window
// keeps no copy of the queue but the text of its list.
class frmDiscwrightBurn : public QMainWindow {
    Q_OBJECT
public:
    static const QString kAudioFilter;
    static constexpr int kProgressIntervalMs = 100;

    // Neither the recorder nor the dialogs are owned.
    frmDiscwrightBurn(IDiscRecorder& recorder, IBurnDialogs& dialogs, QWidget* parent = nullptr);
    ~frmDiscwrightBurn() override;

    // Queues QueueFile through the recorder and rebuilds the list.
    void addfiletoqueue();
    // Rebuilds the list, the scale and the queue time from the recorder.
    void refreshaudiotracks();

    // Command handlers, public so they can be driven directly.
    void Command1_Click(); // Record
    void Command2_Click(); // Abort
    void Command3_Click(); // Browse
    void Command4_Click(); // Delete
    void CmbDevice_Click();
    void List1_OLEDragDrop(const QStringList& paths);
    void TimerBurnProgress_Timer();
    void ShowDiscStatus();

    QString discStatusText() const;
    QString queueTimeText() const;

    QString QueueFile;

private:
    void BuildControls();
    void ConnectRecorder();
    void Form_Load();
    void UpdateBufferCheck();

    void cdburn_DeviceFound(const QString& name, const QString& extra);
    void cdburn_StatusMessage(const QString& text, int code, int kind);
    void cdburn_SpeedFound(int speed, const QString& extra);
    void cdburn_WriteEnded();
    void cdburn_TrackListed(int index, const QString& path, double seconds);
    void cdburn_TracksChanged();

    std::unique_ptr<Ui::frmDiscwrightBurn> m_ui;
    // The status bar: "Disc Status:", the disc's state, the queue's time.
    QLabel* m_discStatusCaption = nullptr;
    QLabel* m_discStatus = nullptr;
    QLabel* m_queueTime = nullptr;
    QTimer* m_progressTimer = nullptr;
    IDiscRecorder& m_cdburn;
    IBurnDialogs& m_dialogs;
};
