#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The arguments an outside player is started with to play `address`: a
// station's http, https or icy address, or the absolute path of an existing
// file; anything else (an address that reads as an option, "-v",
// "--script=x", a relative or missing path, another scheme) is refused, and
// `refusal` says why. Players known to end their options at "--" get it
// before the address as well.
std::optional<QStringList> ExternalPlayerArguments(const QString& player, const QString& address, QString* refusal);
