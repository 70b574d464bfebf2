#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The message boxes and the file dialog of the burn window, so tests can
// answer them.
class IBurnDialogs {
public:
    virtual ~IBurnDialogs() = default;
    // A message box with an OK button only.
    virtual void Inform(const QString& text) = 0;
    // A message box with the critical-error icon.
    virtual void Critical(const QString& text) = 0;
    // The open dialog with a filter in the "Description|*.a;*.b" form; the
    // chosen files in the order the dialog gives them, none when cancelled.
    virtual QStringList OpenFiles(const QString& filter) = 0;
};

// The real thing: QMessageBox and QFileDialog over `parent`.
class WidgetBurnDialogs : public IBurnDialogs {
public:
    explicit WidgetBurnDialogs(QWidget* parent) : m_parent(parent) {}
    void Inform(const QString& text) override;
    void Critical(const QString& text) override;
    QStringList OpenFiles(const QString& filter) override;

private:
    QWidget* m_parent;
};

// "Description|*.a;*.b" as a file dialog name filter: "Description (*.a *.b
// *.A *.B)"; the patterns are given in both cases since file names here are
// case-sensitive.
QString DialogNameFilter(const QString& filter);
