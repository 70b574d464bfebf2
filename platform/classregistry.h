#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The class registrations of the desktop as keys with one default value
// each ("\"-separated key paths such as ".tvp" or "Tavrix.Preset\shell").
// Every call may fail; callers that must go on regardless ignore the result.
class IClassRegistry {
public:
    virtual ~IClassRegistry() = default;
    // The key's value; "" when the key or its value is missing.
    virtual QString GetValue(const QString& key) = 0;
    // Creates the key as needed and sets its value.
    virtual bool SetValue(const QString& key, const QString& value) = 0;
    virtual bool DeleteKey(const QString& key) = 0;
    // What could not be written so far, one sentence each for the user.
    virtual QStringList Problems() const { return {}; }
};

// Keys in memory (tests).
class MemoryClassRegistry : public IClassRegistry {
public:
    QString GetValue(const QString& key) override { return values.value(key); }
    bool SetValue(const QString& key, const QString& value) override
    {
        values.insert(key, value);
        return true;
    }
    bool DeleteKey(const QString& key) override { return values.remove(key) > 0; }
    QMap<QString, QString> values;
};
