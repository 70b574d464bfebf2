#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmAddStation;
}

// The dialog in which the user confirms or edits a station's name and
// address. The caller fills it, shows it modally and reads the fields
// afterwards; confirmed() tells whether the user left it with OK.
class frmAddStation : public QDialog {
    Q_OBJECT
public:
    static const QString kDefaultUrl;

    explicit frmAddStation(QWidget* parent = nullptr);
    ~frmAddStation() override;

    void setStation(const QString& name, const QString& url);
    QString stationName() const;
    QString stationUrl() const;
    bool confirmed() const;

    void OKCommand_Click();
    void CancelCommand_Click();

private:
    std::unique_ptr<Ui::frmAddStation> m_ui;
};
