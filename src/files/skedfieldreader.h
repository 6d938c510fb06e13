#pragma once

#include "skedrecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Reads the fields of a schedule file one by one. This is the only place
// that knows how a field ends: at its terminator, after the largest size of
// a field (SkedRecord::MaxFieldBytes), or at the end of the data. CR LF
// counts as one line end, as it did in the text-mode streams that wrote the
// first schedule files; a bare LF is a line end too, a lone CR is an
// ordinary byte.
class SkedFieldReader
{
public:
    explicit SkedFieldReader(QByteArrayView data)
        : m_data(data)
    {
    }

    // Takes the bytes up to `terminator` and consumes the terminator. A field
    // that reaches the largest size without it ends there and leaves the rest
    // for the next read. A read that meets the end of the data gives what it
    // has; once the end has been met, every read gives an empty field.
    QByteArray read(char terminator);
    // The same field as text (see Decode).
    QString readText(char terminator) { return Decode(read(terminator)); }

    // A field is UTF-8 when it is valid UTF-8; otherwise it comes from a
    // Windows 8-bit code page, the format's first home, read as
    // Windows-1252, so older files show their accents and signs instead of
    // replacement characters, and are saved as UTF-8 from then on.
    static QString Decode(QByteArrayView field);

    // True once a read has met the end of the data (not merely stopped
    // right before it).
    bool eofMet() const { return m_eofMet; }

private:
    bool atEnd() const { return m_pos >= m_data.size(); }
    // The next byte with CR LF seen as LF; advances when `consume` is set.
    char next(bool consume);
    // Moves the cut of a full field back to the start of a UTF-8 character
    // that would otherwise be split between two fields.
    void keepCharacterWhole(QByteArray &field);

    QByteArrayView m_data;
    qsizetype m_pos = 0;
    bool m_eofMet = false;
};
