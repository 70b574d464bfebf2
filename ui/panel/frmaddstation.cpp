#include "ui/panel/frmaddstation.h"

#include "ui_frmaddstation.h"

const QString frmAddStation::kDefaultUrl =
    QStringLiteral("http://yp.shoutcast.com/sbin/shoutcast-playlist.pls?rn=6929&file=filename.pls");

frmAddStation::frmAddStation(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::frmAddStation>())
{
    m_ui->setupUi(this);
    m_ui->StationURLText->setText(kDefaultUrl);
    // Room for an address of about fifty characters.
    m_ui->StationURLText->setMinimumWidth(50 * fontMetrics().averageCharWidth());

    connect(m_ui->OKCommand, &QPushButton::clicked, this, &frmAddStation::OKCommand_Click);
    connect(m_ui->CancelCommand, &QPushButton::clicked, this, &frmAddStation::CancelCommand_Click);
}

frmAddStation::~frmAddStation() = default;

void frmAddStation::setStation(const QString& name, const QString& url)
{
    m_ui->StationNameText->setText(name);
    m_ui->StationURLText->setText(url);
}

QString frmAddStation::stationName() const
{
    return m_ui->StationNameText->text();
}

QString frmAddStation::stationUrl() const
{
    return m_ui->StationURLText->text();
}

bool frmAddStation::confirmed() const
{
    return m_ui->OKCommand->property("Tag").toString().toInt() == 1;
}

void frmAddStation::OKCommand_Click()
{
    m_ui->OKCommand->setProperty("Tag", QStringLiteral("1"));
    accept();
}

void frmAddStation::CancelCommand_Click()
{
    reject();
}
