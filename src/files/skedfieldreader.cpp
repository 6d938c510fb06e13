#include "skedfieldreader.h"

#include <algorithm>

namespace {
bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool isLeadByte(char c)
{
    return static_cast<unsigned char>(c) >= 0xC0;
}
// Windows-1252 where it differs from Latin-1: 0x80 to 0x9F. The five
// codes it leaves undefined (zero here) keep their Latin-1 meaning.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
} // namespace

QString SkedFieldReader::Decode(QByteArrayView field)
{
    // Checking first is much cheaper than a decoder per field, and a
    // schedule holds hundreds of thousands of fields.
    if (field.isValidUtf8())
        return QString::fromUtf8(field);
    QString text(field.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        const char16_t high = byte >= 0x80 && byte <= 0x9F ? Windows1252High[byte - 0x80] : 0;
        text[i] = QChar(high ? high : char16_t(byte));
    }
    return text;
}

char SkedFieldReader::next(bool consume)
{
    qsizetype pos = m_pos;
    if (m_data[pos] == '\r' && pos + 1 < m_data.size() && m_data[pos + 1] == '\n')
        ++pos;
    const char c = m_data[pos];
    if (consume)
        m_pos = pos + 1;
    return c;
}

QByteArray SkedFieldReader::read(char terminator)
{
    QByteArray field;
    if (m_eofMet)
        return field;
    while (field.size() < SkedRecord::MaxFieldBytes) {
        if (atEnd()) {
            m_eofMet = true;
            return field;
        }
        // Plain bytes go over in one piece; only a terminator or a CR needs
        // a closer look.
        const char *begin = m_data.data() + m_pos;
        const qsizetype available =
            std::min(SkedRecord::MaxFieldBytes - field.size(), m_data.size() - m_pos);
        qsizetype plain = 0;
        while (plain < available && begin[plain] != terminator && begin[plain] != '\r')
            ++plain;
        field.append(begin, plain);
        m_pos += plain;
        if (plain == available)
            continue;
        const char c = next(true);
        if (c == terminator)
            return field;
        field.append(c);
    }
    // A field of exactly the largest size still owns the terminator that
    // follows it, so such a field reads back as it was written.
    if (!atEnd() && next(false) == terminator) {
        next(true);
        return field;
    }
    keepCharacterWhole(field);
    return field;
}

void SkedFieldReader::keepCharacterWhole(QByteArray &field)
{
    if (atEnd() || !isContinuationByte(m_data[m_pos]))
        return;
    // A UTF-8 character has at most three continuation bytes after its lead.
    qsizetype lead = field.size() - 1;
    while (lead >= 0 && field.size() - lead <= 3 && isContinuationByte(field[lead]))
        --lead;
    if (lead <= 0 || !isLeadByte(field[lead]))
        return; // not UTF-8, or one character filling the field: cut by bytes
    m_pos -= field.size() - lead;
    field.truncate(lead);
}
