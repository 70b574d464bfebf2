#include "ui/panel/panelpages.h"

#include "ui/controls/aspinnerbox.h"
#include "ui_aboutpage.h"
#include "ui_optionspage.h"
#include "ui_otherpage.h"
#include "ui_stationspage.h"

#include <QLineEdit>
#include <QStyle>

namespace {

// What a form cannot say: set up once its controls are made.
void finish(QWidget*, Ui::StationsPage& ui)
{
    ui.lstViewSongList->viewport()->setAcceptDrops(true);
}

void finish(QWidget*, Ui::OptionsPage& ui)
{
    // The spinner's own text box is what a screen reader lands on.
    for (ASpinnerBox* spinner : {ui.spnTimeInMinutes, ui.spnRecordingDays}) {
        spinner->txtSpin()->setAccessibleName(spinner->accessibleName());
        spinner->setMax(99999);
    }
}

void finish(QWidget* page, Ui::OtherPage& ui)
{
    ui.cmdPathToSave->setIcon(page->style()->standardIcon(QStyle::SP_DirOpenIcon));
    ui.cmdAddTask->setIcon(page->style()->standardIcon(QStyle::SP_FileDialogNewFolder));
    ui.txtURLTask->setCursorPosition(0);
    // A warning red that stands out from the window's own ground, light or dark.
    QPalette warning = ui.lblSavePathProblem->palette();
    const bool dark = warning.color(QPalette::Window).lightness() < 128;
    warning.setColor(QPalette::WindowText, dark ? QColor(0xff, 0x8a, 0x80) : QColor(0xb0, 0x00, 0x00));
    ui.lblSavePathProblem->setPalette(warning);
    ui.lblSavePathProblem->hide();
}

void finish(QWidget*, Ui::AboutPage&)
{
}

} // namespace

template <class Form> PanelPage<Form>::PanelPage(QWidget* parent) : QGroupBox(parent), m_ui(std::make_unique<Form>())
{
    m_ui->setupUi(this);
    finish(this, *m_ui);
}

template <class Form> PanelPage<Form>::~PanelPage() = default;

template class PanelPage<Ui::StationsPage>;
template class PanelPage<Ui::OptionsPage>;
template class PanelPage<Ui::OtherPage>;
template class PanelPage<Ui::AboutPage>;
