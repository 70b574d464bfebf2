#include "tests/support/tools.h"

#include <QStandardPaths>

namespace testtools {

bool HaveTool(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

bool InCI()
{
    return qgetenv("CI").trimmed() == "true";
}

std::string MissingToolMessage(const QString& tools)
{
    QString text = QStringLiteral("missing tool: %1").arg(tools);
    if (InCI())
        text += QStringLiteral(" (CI=true: the setup script installs every tool the tests use)");
    return text.toStdString();
}

}  // namespace testtools
