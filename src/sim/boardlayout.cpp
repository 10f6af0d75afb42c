#include "boardlayout.h"

namespace BoardLayout {

QString blockName(int block)
{
    static const char* const names[BlockCount] = {"rodeo",  "event and go-round", "competitor", "message",
                                                  "animal", "result",             "go-round leaders",
                                                  "overall leaders"};
    if (block < 0 || block >= BlockCount)
        return QString();
    return QStringLiteral("B%1 %2").arg(block).arg(QLatin1StringView(names[block]));
}

QStringList blockRows(const QByteArray& image, int block, bool network, int width)
{
    QStringList rows;
    if (block < 0 || block >= BlockCount || width <= 0)
        return rows;
    const Span span = network ? Network[block] : Serial[block];
    const QByteArray text = image.mid(span.offset, span.width);
    for (qsizetype at = 0; at < text.size(); at += width)
        rows << QString::fromLatin1(text.mid(at, width));
    while (!rows.isEmpty() && rows.constLast().trimmed().isEmpty())
        rows.removeLast();
    return rows;
}

} // namespace BoardLayout
