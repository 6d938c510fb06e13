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
} // namespace

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
    while (field.size() < MaxFieldBytes) {
        if (atEnd()) {
            m_eofMet = true;
            return field;
        }
        // Plain bytes go over in one piece; only a terminator or a CR needs
        // a closer look.
        const char *begin = m_data.data() + m_pos;
        const qsizetype available =
            std::min(MaxFieldBytes - field.size(), m_data.size() - m_pos);
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
