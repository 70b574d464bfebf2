#pragma once

#include "platform/taskscheduler.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmTaskProperties;
}

// The property dialog of one scheduled task: its name, start, program and
// argument, read-only, and a button that deletes the task.
class frmTaskProperties : public QDialog {
    Q_OBJECT
public:
    frmTaskProperties(ITaskScheduler& scheduler, const ScheduledTask& task, QWidget* parent = nullptr);
    ~frmTaskProperties() override;

    void cmdDelete_Click();

private:
    std::unique_ptr<Ui::frmTaskProperties> m_ui;
    ITaskScheduler& m_scheduler;
    ScheduledTask m_task;
};
