#include "messageformat.h"

#include <vector>

namespace {

QString pad(const QString& body, int width, bool leftAlign, bool zeroPad)
{
    if (width <= body.size())
        return body;
    const int fill = width - static_cast<int>(body.size());
    if (leftAlign)
        return body + QString(fill, QLatin1Char(' '));
    if (zeroPad) {
        // Zeros go between the sign and the digits.
        if (body.startsWith(QLatin1Char('-')))
            return QLatin1Char('-') + QString(fill, QLatin1Char('0')) + body.mid(1);
        return QString(fill, QLatin1Char('0')) + body;
    }
    return QString(fill, QLatin1Char(' ')) + body;
}

QString numberText(const MessageArg& arg, char conv, bool isLong)
{
    if (arg.isText())
        return arg.text();
    std::int64_t n = arg.number();
    switch (conv) {
    case 'u':
        if (!isLong && !arg.isUnsigned())
            return QString::number(static_cast<std::uint32_t>(n));
        return QString::number(static_cast<std::uint64_t>(n));
    case 'x':
    case 'X': {
        const std::uint64_t u = isLong || arg.isUnsigned() ? static_cast<std::uint64_t>(n)
                                                           : static_cast<std::uint32_t>(n);
        QString s = QString::number(u, 16);
        return conv == 'X' ? s.toUpper() : s;
    }
    case 'c':
        return QString(QChar(static_cast<char16_t>(n)));
    default:
        return QString::number(n);
    }
}

} // namespace

QString formatMessageList(const char* format, std::initializer_list<MessageArg> args)
{
    const QString fmt = QString::fromUtf8(format);
    const std::vector<MessageArg> list(args);
    std::size_t next = 0;
    QString out;
    out.reserve(fmt.size() + 32);

    for (int i = 0; i < fmt.size(); ++i) {
        const QChar c = fmt.at(i);
        if (c != QLatin1Char('%')) {
            out += c;
            continue;
        }
        int j = i + 1;
        if (j < fmt.size() && fmt.at(j) == QLatin1Char('%')) {
            out += QLatin1Char('%');
            i = j;
            continue;
        }
        bool leftAlign = false;
        bool zeroPad = false;
        while (j < fmt.size() && (fmt.at(j) == QLatin1Char('-') || fmt.at(j) == QLatin1Char('0'))) {
            if (fmt.at(j) == QLatin1Char('-'))
                leftAlign = true;
            else
                zeroPad = true;
            ++j;
        }
        int width = 0;
        while (j < fmt.size() && fmt.at(j).isDigit()) {
            width = qMin(width * 10 + fmt.at(j).digitValue(), 4096);
            ++j;
        }
        bool isLong = false;
        while (j < fmt.size() && (fmt.at(j) == QLatin1Char('l') || fmt.at(j) == QLatin1Char('h'))) {
            isLong = isLong || fmt.at(j) == QLatin1Char('l');
            ++j;
        }
        if (j >= fmt.size()) {
            out += fmt.mid(i); // a dangling '%' stays as written
            break;
        }
        const char conv = fmt.at(j).toLatin1();
        QString body;
        switch (conv) {
        case 's':
        case 'S':
            if (next < list.size()) {
                const MessageArg& a = list[next++];
                body = a.isText() ? a.text() : QString::number(a.number());
            }
            break;
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'c':
            if (next < list.size())
                body = numberText(list[next++], conv, isLong);
            break;
        default:
            // Not a conversion we know: keep the text as written.
            out += fmt.mid(i, j - i + 1);
            i = j;
            continue;
        }
        out += pad(body, width, leftAlign, zeroPad && !leftAlign && conv != 's' && conv != 'S');
        i = j;
    }
    return out;
}
