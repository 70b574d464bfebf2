#include "ui/panel/frmtaskproperties.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

frmTaskProperties::frmTaskProperties(ITaskScheduler& scheduler, const ScheduledTask& task, QWidget* parent)
    : QDialog(parent), m_scheduler(scheduler), m_task(task)
{
    setObjectName(QStringLiteral("frmTaskProperties"));
    setWindowTitle(task.name);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto field = [&](const char* name, const QString& caption, const QString& value) {
        auto* edit = new QLineEdit(value, this);
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(true);
        edit->setAccessibleName(caption);
        edit->setCursorPosition(0);
        form->addRow(caption, edit);
        return edit;
    };
    txtName = field("txtName", tr("Task:"), task.name);
    txtStart = field("txtStart", tr("Starts:"), QLocale().toString(task.StartsAt(), QLocale::LongFormat));
    txtProgram = field("txtProgram", tr("Program:"), task.program);
    txtArgument = field("txtArgument", tr("Argument:"), task.parameters);
    layout->addLayout(form);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    layout->addWidget(lblStatus);
    auto* buttons = new QHBoxLayout;
    cmdDelete = new QPushButton(tr("Delete Task"), this);
    cmdDelete->setObjectName(QStringLiteral("cmdDelete"));
    cmdClose = new QPushButton(tr("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    buttons->addWidget(cmdDelete);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);
    resize(480, sizeHint().height());

    connect(cmdDelete, &QPushButton::clicked, this, &frmTaskProperties::cmdDelete_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

void frmTaskProperties::cmdDelete_Click()
{
    // Pressed once while the scheduler answers.
    cmdDelete->setEnabled(false);
    QPointer<frmTaskProperties> self(this);
    m_scheduler.Delete(m_task, [self](const TaskReply& reply) {
        if (!self)
            return;
        if (reply.ok()) {
            self->lblStatus->setText(tr("The task was deleted."));
        } else {
            self->cmdDelete->setEnabled(true);
            self->lblStatus->setText(tr("The task could not be deleted: %1").arg(reply.error));
        }
    });
}
