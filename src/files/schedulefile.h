#pragma once

#include "eventtable.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QIODevice;

// The .sked schedule file: one line per event, the fields of SkedRecord's
// layout, texts stored as UTF-8 bytes without quoting. Rows are written from
// the last to the first and every record read goes to the top of the table,
// so a save and a load keep the table's order.
namespace ScheduleFile {

struct LoadResult
{
    // The records read, already in the table's top-to-bottom order.
    QList<EventRow> rows;
    // False when a record without the magic stopped the reading, or the file
    // could not be read at all; `rows` then holds the records before it.
    bool complete = false;
};

struct SaveResult
{
    bool saved = false;
    QString error; // the system's reason when not saved
};

// A wave field is taken as written when a file exists at the name, the name
// is absolute, or its second character is a backslash (a network path from
// the old platform). Otherwise it names a file relative to the first of
// `directories` (each with its trailing '/') that has it, or to the last
// when none has.
QString ResolveWavePath(const QString &field, const QStringList &directories);

LoadResult Parse(QByteArrayView data, const QStringList &waveDirectories);

// Reads the file at `path`, creating it empty when it does not exist.
LoadResult Load(const QString &path, const QStringList &waveDirectories);

// Why a table cannot be written as it stands: the user's text for it, which
// names the event and its field; empty when every field can be stored. A
// field longer than a field holds, or with a TAB or a line break in it,
// would be read back split, shifting the rest of its record.
QString UnstorableField(const EventTable &table);

// Writes every row of the table, last row first. False when the device
// refused a write; its errorString() says why. The caller has made sure
// that every field can be stored.
bool Write(const EventTable &table, QIODevice &device);

// Lets a caller put its own device between the writer and the file (tests
// make the write fail part-way through it).
using WriteThrough = std::function<std::unique_ptr<QIODevice>(QIODevice &file)>;

// Runs once the new schedule is complete, right before it replaces the file;
// gives the reason not to replace it, empty to go on.
using BeforeReplace = std::function<QString()>;

// Replaces the file at `path` only once the whole schedule has been written:
// on any failure, and when a field cannot be stored (nothing is written
// then), the old file stays as it was.
SaveResult Save(const EventTable &table, const QString &path, const WriteThrough &through = {},
                const BeforeReplace &beforeReplace = {});

} // namespace ScheduleFile
