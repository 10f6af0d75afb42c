#pragma once

#include <QString>

// A name or other data shown in a caption that Qt reads for a keyboard
// mnemonic (a button, a group box title, a tab): "&" doubled, so that
// "Ann & Sue" shows as it is and makes no shortcut.
inline QString literalCaption(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
