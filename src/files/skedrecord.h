#pragma once

#include "eventtable.h"

#include <QStringView>

#include <iterator>

// The layout of one record of a .sked schedule file: which fields it has, in
// which order, what each holds and how long a field may be. The reader and
// the writer both walk this table, so neither can drift from the other.
namespace SkedRecord {

// Every record starts with it; a record without it ends the reading.
inline constexpr char Magic[] = "KQ10000";

// The most bytes a field holds. The first readers of the format took a
// field whole only up to this size and split a longer one, which shifts the
// rest of its record into the wrong fields; so nothing longer is written.
inline constexpr qsizetype MaxFieldBytes = 254;

// Fields end with a TAB, the last one with the line end. Lines are written
// with CR LF, as the format's first home did; a bare LF ends a line as well.
inline constexpr char FieldEnd = '\t';
inline constexpr char LineEnd = '\n';
inline constexpr char WrittenLineEnd[] = "\r\n";

enum class Content {
    Magic,        // the record magic
    Text,         // a cell of the event table as it stands
    DisabledFlag, // "1" for a disabled row, "0" otherwise
    WavePath,     // the wave file cell; a relative name is looked for on reading
};

struct Field
{
    Content content;
    // The event table column the field holds; -1 for the magic and the flag.
    int column;
};

inline constexpr Field Layout[] = {
    {Content::Magic, -1},
    {Content::Text, EventTable::EventName},
    {Content::DisabledFlag, -1},
    {Content::WavePath, EventTable::WaveFile},
    {Content::Text, EventTable::StartIn},
    {Content::Text, EventTable::Interval},
    {Content::Text, EventTable::Repetition},
    {Content::Text, EventTable::Length},
};
inline constexpr qsizetype FieldCount = qsizetype(std::size(Layout));

constexpr char TerminatorOf(qsizetype field)
{
    return field + 1 == FieldCount ? LineEnd : FieldEnd;
}

// The number of bytes `text` takes as UTF-8, without converting it.
qsizetype Utf8Length(QStringView text);

// How many leading UTF-16 units of `text` fit into `maxBytes` bytes of
// UTF-8 when the cut falls between two characters as the user sees them
// (never inside a surrogate pair or before a combining mark).
qsizetype FittingLength(QStringView text, qsizetype maxBytes = MaxFieldBytes);

} // namespace SkedRecord
