#pragma once

#include <QString>

// Platform failures are written into log lines as "Error Description: <text>\n",
// or as nothing at all when the failed object gave no description.
inline QString errorDescription(const QString& description)
{
    if (description.isEmpty())
        return QString();
    return QStringLiteral("Error Description: %1\n").arg(description);
}
