#pragma once

#include <QString>

// Moves `path` to the user's trash; false with `problem` said when it cannot.
bool MoveToTrash(const QString& path, QString* problem);
