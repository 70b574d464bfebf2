#pragma once

#include <QString>
#include <functional>

class IMessageService;
class QNetworkAccessManager;

// What the search windows reach outside themselves.
struct SearchDeps {
    IMessageService* messages = nullptr;
    // Appends a station to the panel's station list (no dialog).
    std::function<void(const QString& name, const QString& url)> appendStation;
    // Hands an address to the station list as if it had been dropped there.
    std::function<void(const QString& address)> dropOnStationList;
    // Null: the window's own.
    QNetworkAccessManager* network = nullptr;
    // Empty: the data folder's "Stations/" and "Presets/".
    QString stationsFolder;
    QString presetsFolder;
};
