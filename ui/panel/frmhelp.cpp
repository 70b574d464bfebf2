#include "ui/panel/frmhelp.h"

#include <QHBoxLayout>
#include <QPalette>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

const QString frmHelp::kCaption = QStringLiteral("Tonquill Help");

frmHelp::frmHelp(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(kCaption);
    setModal(false);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->setAccessibleName(tr("User's guide"));
    // The guide sets its own dark text for a light page: the page stays light
    // under a dark desktop palette too.
    QPalette page = txtHelp->palette();
    page.setColor(QPalette::Base, Qt::white);
    page.setColor(QPalette::Text, Qt::black);
    txtHelp->setPalette(page);
    // Every click comes to FollowLink: the browser itself would try to
    // load a web address as a file.
    txtHelp->setOpenLinks(false);
    txtHelp->setOpenExternalLinks(false);
    cmdBack = new QPushButton(tr("&Back"), this);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdBack->setAccessibleName(tr("Back"));
    cmdBack->setEnabled(false);
    cmdContents = new QPushButton(tr("&Contents"), this);
    cmdContents->setObjectName(QStringLiteral("cmdContents"));
    cmdContents->setAccessibleName(tr("Contents"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdContents);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(txtHelp);
    resize(720, 640);

    connect(txtHelp, &QTextBrowser::anchorClicked, this, &frmHelp::FollowLink);
    connect(txtHelp, &QTextBrowser::backwardAvailable, cmdBack, &QPushButton::setEnabled);
    connect(cmdBack, &QPushButton::clicked, txtHelp, &QTextBrowser::backward);
    connect(cmdContents, &QPushButton::clicked, this, [this] {
        if (m_home.isValid())
            txtHelp->setSource(m_home);
    });
}

void frmHelp::ShowDocument(const QString& path)
{
    m_home = QUrl::fromLocalFile(path);
    txtHelp->setSource(m_home);
}

void frmHelp::FollowLink(const QUrl& url)
{
    const QUrl target = txtHelp->source().resolved(url);
    if (target.isLocalFile() || target.scheme() == QLatin1String("qrc"))
        txtHelp->setSource(target);
    else
        emit webAddressClicked(target);
}
