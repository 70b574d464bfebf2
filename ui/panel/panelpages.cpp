#include "ui/panel/panelpages.h"

#include "ui/controls/aspinnerbox.h"
#include "ui_aboutpage.h"
#include "ui_optionspage.h"
#include "ui_otherpage.h"
#include "ui_stationspage.h"

#include <QLineEdit>
#include <QStyle>

StationsPage::StationsPage(QWidget* parent) : QGroupBox(parent), m_ui(std::make_unique<Ui::StationsPage>())
{
    m_ui->setupUi(this);
    m_ui->lstViewSongList->viewport()->setAcceptDrops(true);
}

StationsPage::~StationsPage() = default;

OptionsPage::OptionsPage(IMessageService* messages, QWidget* parent)
    : QGroupBox(parent), m_ui(std::make_unique<Ui::OptionsPage>())
{
    m_ui->setupUi(this);
    // The spinner's own text box is what a screen reader lands on.
    for (ASpinnerBox* spinner : {m_ui->spnTimeInMinutes, m_ui->spnRecordingDays}) {
        spinner->txtSpin()->setAccessibleName(spinner->accessibleName());
        spinner->setMax(99999);
        spinner->setMessageService(messages);
    }
}

OptionsPage::~OptionsPage() = default;

OtherPage::OtherPage(QWidget* parent) : QGroupBox(parent), m_ui(std::make_unique<Ui::OtherPage>())
{
    m_ui->setupUi(this);
    m_ui->cmdPathToSave->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_ui->cmdAddTask->setIcon(style()->standardIcon(QStyle::SP_FileDialogNewFolder));
    m_ui->txtURLTask->setCursorPosition(0);
    // A warning red that stands out from the window's own ground, light or dark.
    QLabel* problem = m_ui->lblSavePathProblem;
    QPalette warning = problem->palette();
    const bool dark = warning.color(QPalette::Window).lightness() < 128;
    warning.setColor(QPalette::WindowText, dark ? QColor(0xff, 0x8a, 0x80) : QColor(0xb0, 0x00, 0x00));
    problem->setPalette(warning);
    problem->hide();
}

OtherPage::~OtherPage() = default;

AboutPage::AboutPage(QWidget* parent) : QGroupBox(parent), m_ui(std::make_unique<Ui::AboutPage>())
{
    m_ui->setupUi(this);
}

AboutPage::~AboutPage() = default;
