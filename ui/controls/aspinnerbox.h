#pragma once

#include <QColor>
#include <QVariantMap>
#include <QWidget>
#include <memory>

class IMessageService;
class IRepeatTimer;
class QLineEdit;
class ASpinnerBox;

// One arrow button of the spinner. It shows one 15 x 9 frame of the arrow
// strip and passes its mouse events to the spinner.
class SpinArrow : public QWidget {
public:
    SpinArrow(ASpinnerBox* owner, bool up);
    bool isUp() const { return m_up; }
    int frame() const { return m_frame; }
    void setFrame(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    ASpinnerBox* m_owner;
    bool m_up;
    int m_frame;
};

// A numeric text box with up and down arrows. Colours are OLE colours: plain
// RGB as 0x00BBGGRR, or a system colour 0x800000nn (nn the system colour
// index), translated through the application palette when shown.
//
// A newly made spinner has value, Min and Max 0: set Min and Max before the
// value (a value outside Min..Max is refused). ReadProperties() with saved
// data (or an empty map) gives the saved values or the defaults 0..999.
class ASpinnerBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 20;
    static constexpr int kMinWidth = 40;
    static constexpr int kFrameWidth = 15;
    static constexpr int kFrameHeight = 9;
    static constexpr int kFirstRepeatMs = 300; // the first kSlowSteps steps
    static constexpr int kLaterRepeatMs = 80;
    static constexpr int kSlowSteps = 6;
    // Faces in the arrow strip.
    enum Frame { UpNormal = 0, UpHot = 1, UpPressed = 2, DownNormal = 3, DownHot = 4, DownPressed = 5 };

    static constexpr quint32 kDefaultBackColor = 0x80000005;   // window background
    static constexpr quint32 kDefaultForeColor = 0x80000012;   // button text
    static constexpr quint32 kDefaultBorderColor = 0x00B86000; // RGB(0, 96, 184)
    static constexpr qint32 kDefaultMax = 999;

    explicit ASpinnerBox(QWidget* parent = nullptr);
    ~ASpinnerBox() override;

    quint32 BackColor() const { return m_backColor; }
    void setBackColor(quint32 oleColor);
    quint32 ForeColor() const { return m_foreColor; }
    void setForeColor(quint32 oleColor);
    quint32 BorderColor() const { return m_borderColor; }
    void setBorderColor(quint32 oleColor);

    qint32 Min() const { return m_min; }
    void setMin(qint32 min);
    qint32 Max() const { return m_max; }
    void setMax(qint32 max);
    qint32 value() const { return m_value; }
    // Refused (the text shows the current value again) outside Min..Max.
    void setValue(qint32 value);

    // A system colour becomes the palette's RGB value; the result is plain
    // 0x00BBGGRR. `palette` defaults to the application palette.
    static quint32 AdjustToOLE_COLOR(quint32 oleColor, const QPalette* palette = nullptr);
    static QColor ToQColor(quint32 rgb);
    static quint32 FromQColor(const QColor& color);

    // Saved properties: "Font" (QFont::toString), "BackColor", "ForeColor",
    // "BorderColor", "Value", "Min", "Max". Missing names take the defaults.
    void ReadProperties(const QVariantMap& bag);
    QVariantMap WriteProperties() const;
    // True once a property has changed since the last ReadProperties/clear.
    bool propertiesChanged() const { return m_propertiesChanged; }
    void clearPropertiesChanged() { m_propertiesChanged = false; }

    // Where "Please enter numeric values only." goes; not owned. Without
    // one, a message box with the program's title is shown.
    void setMessageService(IMessageService* messages) { m_messages = messages; }
    void setRepeatTimer(std::unique_ptr<IRepeatTimer> timer);

    QLineEdit* txtSpin() const { return m_txtSpin; }
    SpinArrow* picUp() const { return m_picUp; }
    SpinArrow* picDown() const { return m_picDown; }

    // The arrow strip: six frames of 15 x 9 side by side.
    static const QImage& ArrowStrip();

signals:
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class SpinArrow;

    void layoutChildren();
    int boxHeight() const;
    void applyColors();
    void markChanged(const QString& name);
    void showValueText();
    // The text's number; `ok` false when the text is not a whole number.
    qint64 textNumber(bool* ok) const;
    void applyValue(qint64 number);
    void step(bool up);
    void onKeyStep(bool up);
    void txtSpin_LostFocus();

    void arrowPressed(SpinArrow* arrow);
    void arrowReleased(SpinArrow* arrow, bool stillOver);
    void arrowEntered(SpinArrow* arrow);
    void arrowLeft(SpinArrow* arrow);
    void repeatTimeout();
    void stopRepeat();

    QLineEdit* m_txtSpin;
    SpinArrow* m_picUp;
    SpinArrow* m_picDown;
    std::unique_ptr<IRepeatTimer> m_timer;
    IMessageService* m_messages = nullptr;

    quint32 m_backColor = kDefaultBackColor;
    quint32 m_foreColor = kDefaultForeColor;
    quint32 m_borderColor = kDefaultBorderColor;
    qint32 m_value = 0;
    qint32 m_min = 0;
    qint32 m_max = 0;
    bool m_propertiesChanged = false;

    // Auto-repeat on an arrow.
    bool m_held = false;
    bool m_heldUp = true;
    int m_steps = 0;       // steps of the running repeat
    int m_owedPresses = 0; // presses that came while a repeat still waited
};
