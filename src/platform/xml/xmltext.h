#pragma once

#include <QString>

// An attribute value for a single-quoted XML attribute written as text. Line
// breaks and tabs become character references so that attribute
// normalisation does not turn them into spaces; characters XML cannot hold at
// all become U+FFFD.
QString xmlAttributeText(const QString& text);
// The same appended to out: for writing many values into one text.
void appendXmlAttributeText(QString& out, QStringView text);
