#include "collation.h"

CollationKey collationKey(const QString& text)
{
    QString folded = text.toCaseFolded();
    bool plain = true;
    for (const QChar c : std::as_const(folded)) {
        if (c.unicode() >= 0x80) {
            plain = false;
            break;
        }
    }
    // Most names are plain ASCII: nothing to take off, and nothing to sort
    // after (an empty second part puts the plain name before its accented twin).
    if (plain)
        return {folded, QString()};
    const QString decomposed = folded.normalized(QString::NormalizationForm_D);
    QString base;
    base.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            base += c;
    }
    return {base, folded};
}
