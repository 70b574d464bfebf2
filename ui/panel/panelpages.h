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

// A page of the control panel, laid out by its form. What the controls do
// is the panel's: it alone reaches the form's controls.
template <class Form> class PanelPage : public QGroupBox {
public:
    explicit PanelPage(QWidget* parent = nullptr);
    ~PanelPage() override;

private:
    friend class frmRecord;
    std::unique_ptr<Form> m_ui;
};

// The station list and the buttons that add, edit, play and record.
using StationsPage = PanelPage<Ui::StationsPage>;
// The recording options, the dated archive's options and the song rules.
using OptionsPage = PanelPage<Ui::OptionsPage>;
// Where and how the recordings are saved, and the scheduler.
using OtherPage = PanelPage<Ui::OtherPage>;
// What the program is.
using AboutPage = PanelPage<Ui::AboutPage>;
