#pragma once

#include <QString>

// What the recorder asks of the Live365 station reader. The reader reports
// back through its TitleChange, TitleCallBack and Error events, which the
// composition root connects to the recorder's handlers.
class ILive365Link {
public:
    virtual ~ILive365Link() = default;
    virtual void GetL365StationFromNumber(const QString& stationNumber, bool aflMode) = 0;
    virtual void SetStationName(const QString& name) = 0;
    virtual QString StdErrorMessage(int code) const = 0;
};
