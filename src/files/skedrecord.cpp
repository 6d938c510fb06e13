#include "skedrecord.h"

#include <QTextBoundaryFinder>

namespace SkedRecord {

qsizetype Utf8Length(QStringView text)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            bytes += 1;
        } else if (unit < 0x800) {
            bytes += 2;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size()
                   && QChar::isLowSurrogate(text[i + 1].unicode())) {
            bytes += 4;
            ++i;
        } else {
            // Also a lone surrogate: UTF-8 writes it as the three bytes of
            // the replacement character.
            bytes += 3;
        }
    }
    return bytes;
}

qsizetype FittingLength(QStringView text, qsizetype maxBytes)
{
    if (Utf8Length(text) <= maxBytes)
        return text.size();
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype fits = 0;
    qsizetype bytes = 0;
    for (qsizetype next = characters.toNextBoundary(); next > 0; next = characters.toNextBoundary()) {
        bytes += Utf8Length(text.sliced(fits, next - fits));
        if (bytes > maxBytes)
            break;
        fits = next;
    }
    return fits;
}

} // namespace SkedRecord
