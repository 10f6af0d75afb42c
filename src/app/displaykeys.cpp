#include "displaykeys.h"

namespace DisplayKeys {

namespace {

const char* const kModifiers[] = {"", "CTRL+", "SHIFT+"};

} // namespace

QString text(int index)
{
    if (index < 0 || index >= Count)
        return QString();
    return QString::fromLatin1(kModifiers[index / PerRow]) + QStringLiteral("F%1").arg(index % PerRow + 2);
}

int index(const QString& keyText)
{
    if (keyText == QLatin1String("F2"))
        return 0;
    for (int i = 1; i < Count; ++i)
        if (keyText.compare(text(i), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace DisplayKeys
