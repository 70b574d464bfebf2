#include "ui/panel/frmaddstation.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

const QString frmAddStation::kDefaultUrl =
    QStringLiteral("http://yp.shoutcast.com/sbin/shoutcast-playlist.pls?rn=6929&file=filename.pls");

frmAddStation::frmAddStation(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Add Station"));
    Label1 = new QLabel(tr("Station Name :"), this);
    StationNameText = new QLineEdit(tr("Station Name"), this);
    StationNameText->setAccessibleName(tr("Station Name"));
    Label1->setBuddy(StationNameText);
    Label2 = new QLabel(tr("Station URL :"), this);
    StationURLText = new QLineEdit(kDefaultUrl, this);
    StationURLText->setAccessibleName(tr("Station URL"));
    Label2->setBuddy(StationURLText);
    StationURLText->setMinimumWidth(380);
    OKCommand = new QPushButton(tr("&OK"), this);
    OKCommand->setAccessibleName(tr("OK"));
    OKCommand->setDefault(true);
    CancelCommand = new QPushButton(tr("&Cancel"), this);
    CancelCommand->setAccessibleName(tr("Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(StationNameText, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(StationURLText, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKCommand);
    buttons->addWidget(CancelCommand);
    grid->addLayout(buttons, 2, 0, 1, 2);

    connect(OKCommand, &QPushButton::clicked, this, &frmAddStation::OKCommand_Click);
    connect(CancelCommand, &QPushButton::clicked, this, &frmAddStation::CancelCommand_Click);
}

void frmAddStation::OKCommand_Click()
{
    OKCommand->setProperty("Tag", QStringLiteral("1"));
    accept();
}

void frmAddStation::CancelCommand_Click()
{
    reject();
}
