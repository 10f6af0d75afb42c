#include "xmltext.h"

#include <algorithm>

QString xmlAttributeText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    appendXmlAttributeText(out, text);
    return out;
}

namespace {

bool plainAttributeChar(char16_t u)
{
    return u >= 0x20 && u != u'&' && u != u'<' && u != u'>' && u != u'\'' && u != u'"' &&
           (u < 0xD800 || u > 0xDFFF) && u != 0xFFFE && u != 0xFFFF;
}

} // namespace

void appendXmlAttributeText(QString& out, QStringView text)
{
    // Most values (names, numbers, codes) hold nothing to replace.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return plainAttributeChar(c.unicode()); })) {
        out += text;
        return;
    }
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
}
