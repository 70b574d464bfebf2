#pragma once

#include "platform/taskscheduler.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The property dialog of one scheduled task: its name, start, program and
// argument, read-only, and a button that deletes the task.
class frmTaskProperties : public QDialog {
    Q_OBJECT
public:
    frmTaskProperties(ITaskScheduler& scheduler, const ScheduledTask& task, QWidget* parent = nullptr);

    void cmdDelete_Click();

    QLineEdit *txtName = nullptr, *txtStart = nullptr, *txtProgram = nullptr, *txtArgument = nullptr;
    QPushButton *cmdDelete = nullptr, *cmdClose = nullptr;
    QLabel* lblStatus = nullptr;

private:
    ITaskScheduler& m_scheduler;
    ScheduledTask m_task;
};
