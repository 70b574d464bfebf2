#pragma once

#include <QLabel>

// A one-line label that shows as much of its text as fits and ends a cut
// text with "…". text() and the accessible text stay whole; the tool tip
// shows the whole text where it is cut.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The text as painted now.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
