#pragma once

#include <QString>

// The secret every request to the server carries: made at the first start
// as `server-token` in `folder` (readable by its owner only) and read back
// on every later start.
struct ServerToken {
    QString value;
    // The file was made now: the token is shown once, at this start.
    bool created = false;
    // Why there is no token ("" when there is one).
    QString problem;
};

ServerToken LoadOrCreateServerToken(const QString& folder);
