#include "ui/panel/frmtaskproperties.h"

#include "ui_frmtaskproperties.h"

#include <QLocale>
#include <QPointer>

frmTaskProperties::frmTaskProperties(ITaskScheduler& scheduler, const ScheduledTask& task, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmTaskProperties>()), m_scheduler(scheduler), m_task(task)
{
    m_ui->setupUi(this);
    setWindowTitle(task.name);
    const std::pair<QLineEdit*, QString> fields[] = {
        {m_ui->txtName, task.name},
        {m_ui->txtStart, QLocale().toString(task.StartsAt(), QLocale::LongFormat)},
        {m_ui->txtProgram, task.program},
        {m_ui->txtArgument, task.parameters},
    };
    for (const auto& [edit, value] : fields) {
        edit->setText(value);
        edit->setCursorPosition(0);
    }
    // Wide enough for a program's path at any font size.
    resize(qMax(sizeHint().width(), 64 * fontMetrics().averageCharWidth()), sizeHint().height());

    connect(m_ui->cmdDelete, &QPushButton::clicked, this, &frmTaskProperties::cmdDelete_Click);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

frmTaskProperties::~frmTaskProperties() = default;

void frmTaskProperties::cmdDelete_Click()
{
    // Pressed once while the scheduler answers.
    m_ui->cmdDelete->setEnabled(false);
    QPointer<frmTaskProperties> self(this);
    m_scheduler.Delete(m_task, [self](const TaskReply& reply) {
        if (!self)
            return;
        if (reply.ok()) {
            self->m_ui->lblStatus->setText(tr("The task was deleted."));
        } else {
            self->m_ui->cmdDelete->setEnabled(true);
            self->m_ui->lblStatus->setText(tr("The task could not be deleted: %1").arg(reply.error));
        }
    });
}
