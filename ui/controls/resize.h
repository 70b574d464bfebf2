#pragma once

#include <QObject>
#include <QPointer>
#include <QVector>

class QWidget;

// Scales every control of its parent window in proportion when the window is
// resized. The first resize after it is bound records the window's size and
// each control's left, top, width, height and font size; later resizes
// scale them: x by the width ratio rx, y by the height ratio ry, font sizes by
// the smaller of the two.
//
// Controls are the parent's child widgets, and the children of plain
// containers among them (QWidget, QFrame, QGroupBox without a layout); the
// insides of other widgets are theirs to lay out. A parent with a layout has
// nothing to scale.
class Resize : public QObject {
    Q_OBJECT
public:
    explicit Resize(QWidget* parentWindow);

    bool blnNoResize() const { return m_noResize; }
    void setBlnNoResize(bool noResize) { m_noResize = noResize; }
    // Replaces the recorded window height; control positions stay.
    void SetNewHeight(int lHeight) { m_baseHeight = lHeight; }
    // Scales the recorded controls to the parent's current size.
    void Refresh();

    // For inspection.
    int baseWidth() const { return m_baseWidth; }
    int baseHeight() const { return m_baseHeight; }
    int recordedCount() const { return int(m_controls.size()); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Recorded {
        QPointer<QWidget> control;
        float left = 0;
        float top = 0;
        float width = 0;
        float height = 0;
        qint16 fontSize = 0; // 0: none read
        bool pixelFont = false;
    };

    void Parent_Load();
    void Parent_Resize();
    void record();
    void recordChildren(QWidget* container);

    QWidget* m_parent;
    bool m_noResize = false;
    int m_baseWidth = 0;
    int m_baseHeight = 0;
    QVector<Recorded> m_controls;
};
