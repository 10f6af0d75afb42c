#include "xmltext.h"

QString xmlAttributeText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
            continue;
        }
        switch (u) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'\'':
            out += QStringLiteral("&apos;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        case u'\t':
            out += QStringLiteral("&#9;");
            break;
        case u'\n':
            out += QStringLiteral("&#10;");
            break;
        case u'\r':
            out += QStringLiteral("&#13;");
            break;
        default:
            if (u < 0x20 || c.isSurrogate() || u == 0xFFFE || u == 0xFFFF)
                out += QChar(QChar::ReplacementCharacter);
            else
                out += c;
        }
    }
    return out;
}
