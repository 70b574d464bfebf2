#pragma once

#include <QString>

class QWidget;

// What the desktop program asks of its control panel. The program around
// them makes the panel; tests give a fake.
class IPanel {
public:
    virtual ~IPanel() = default;
    // The panel's own window (deleted when closed).
    virtual QWidget* PanelWindow() = 0;
    // Fills the panel from the shared configuration.
    virtual void LoadBasedOnCR() = 0;
    // Puts the recording display below the panel.
    virtual void DockDisplay() = 0;
    // 1 after "Set up new recording": minimising the panel then hides it.
    virtual void SetPanelOpenMode(int mode) = 0;
    // Appends a station to the station list (no dialog).
    virtual void AppendStation(const QString& name, const QString& url) = 0;
    // Gives the station list an address as if it had been dropped there.
    virtual void DropOnStationList(const QString& address) = 0;
};
