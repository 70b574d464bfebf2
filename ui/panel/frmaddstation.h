#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The dialog in which the user confirms or edits a station's name and
// address. The caller fills it, shows it modally and reads the fields and
// the OK button's tag ("1" after OK) afterwards.
class frmAddStation : public QDialog {
    Q_OBJECT
public:
    static const QString kDefaultUrl;

    explicit frmAddStation(QWidget* parent = nullptr);

    void OKCommand_Click();
    void CancelCommand_Click();

    QLabel* Label1 = nullptr;
    QLineEdit* StationNameText = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* StationURLText = nullptr;
    QPushButton* OKCommand = nullptr;
    QPushButton* CancelCommand = nullptr;
};
