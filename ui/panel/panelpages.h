#pragma once

#include <QGroupBox>
#include <memory>

namespace Ui {
class StationsPage;
class OptionsPage;
class OtherPage;
class AboutPage;
} // namespace Ui

class frmRecord;
class IMessageService;

// The four pages of the control panel, each laid out by its form. What the
// controls do is the panel's: it alone reaches the forms' controls.

// The station list and the buttons that add, edit, play and record.
class StationsPage : public QGroupBox {
    Q_OBJECT
public:
    explicit StationsPage(QWidget* parent = nullptr);
    ~StationsPage() override;

private:
    friend class frmRecord;
    std::unique_ptr<Ui::StationsPage> m_ui;
};

// The recording options, the dated archive's options and the song rules.
class OptionsPage : public QGroupBox {
    Q_OBJECT
public:
    // The spinners report wrong entries through `messages`.
    explicit OptionsPage(IMessageService* messages, QWidget* parent = nullptr);
    ~OptionsPage() override;

private:
    friend class frmRecord;
    std::unique_ptr<Ui::OptionsPage> m_ui;
};

// Where and how the recordings are saved, and the scheduler.
class OtherPage : public QGroupBox {
    Q_OBJECT
public:
    explicit OtherPage(QWidget* parent = nullptr);
    ~OtherPage() override;

private:
    friend class frmRecord;
    std::unique_ptr<Ui::OtherPage> m_ui;
};

// What the program is.
class AboutPage : public QGroupBox {
    Q_OBJECT
public:
    explicit AboutPage(QWidget* parent = nullptr);
    ~AboutPage() override;

private:
    std::unique_ptr<Ui::AboutPage> m_ui;
};
