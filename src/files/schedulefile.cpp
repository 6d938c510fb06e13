#include "schedulefile.h"

#include "skedfieldreader.h"
#include "timetext.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>

namespace ScheduleFile {

namespace {

// Records are collected into one buffer and handed to the device in pieces
// of about this size: few calls, little memory.
constexpr qsizetype WriteChunk = 64 * 1024;

} // namespace

QString ResolveWavePath(const QString &field, const QStringList &directories)
{
    if (directories.isEmpty() || field.startsWith(u'/') || (field.size() >= 2 && field[1] == u'\\')
        || QFileInfo::exists(field))
        return field;
    for (qsizetype i = 0; i + 1 < directories.size(); ++i) {
        if (QFileInfo(directories[i] + field).isFile())
            return directories[i] + field;
    }
    return directories.constLast() + field;
}

LoadResult Parse(QByteArrayView data, const QStringList &waveDirectories)
{
    LoadResult result;
    SkedFieldReader reader(data);
    // Many events share a wave file; look each name up on disk only once.
    QHash<QByteArray, QString> wavePaths;

    auto finish = [&](bool complete) {
        // Each record went to the top, so the file's first record is the
        // table's last row.
        std::reverse(result.rows.begin(), result.rows.end());
        result.complete = complete;
        return result;
    };

    while (!reader.eofMet()) {
        const QByteArray magic = reader.read(SkedFieldReader::FieldEnd);
        if (reader.eofMet())
            break;
        if (magic != RecordMagic)
            return finish(false);

        EventRow row;
        row.cells[EventTable::EventName] = reader.readText(SkedFieldReader::FieldEnd);
        row.image = LeadingNumber(reader.readText(SkedFieldReader::FieldEnd));

        const QByteArray wave = reader.read(SkedFieldReader::FieldEnd);
        auto known = wavePaths.constFind(wave);
        if (known == wavePaths.constEnd())
            known = wavePaths.insert(wave, ResolveWavePath(SkedFieldReader::Decode(wave), waveDirectories));
        row.cells[EventTable::WaveFile] = *known;

        for (int column : {EventTable::StartIn, EventTable::Interval, EventTable::Repetition})
            row.cells[column] = reader.readText(SkedFieldReader::FieldEnd);
        row.cells[EventTable::Length] = reader.readText(SkedFieldReader::LineEnd);
        result.rows.append(std::move(row));
    }
    return finish(true);
}

LoadResult Load(const QString &path, const QStringList &waveDirectories)
{
    QFile file(path);
    if (!QFileInfo::exists(path) && file.open(QIODevice::WriteOnly))
        file.close();
    // A file that cannot be read at all reads as one whose first field is
    // wrong: the caller reports it as invalid.
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {};
    return Parse(data, waveDirectories);
}

bool Write(const EventTable &table, QIODevice &device)
{
    QByteArray buffer;
    buffer.reserve(WriteChunk + 4096);
    auto flush = [&] {
        const bool ok = device.write(buffer) == buffer.size();
        buffer.clear();
        return ok;
    };

    for (int r = table.rowCount() - 1; r >= 0; --r) {
        const EventRow &row = table.row(r);
        buffer += RecordMagic;
        buffer += '\t';
        buffer += row.cells[EventTable::EventName].toUtf8();
        buffer += '\t';
        buffer += row.image == EventTable::DisabledImage ? '1' : '0';
        for (int column = EventTable::WaveFile; column < EventTable::ColumnCount; ++column) {
            buffer += '\t';
            buffer += row.cells[column].toUtf8();
        }
        // CR LF, so files stay readable where they first came from.
        buffer += "\r\n";
        if (buffer.size() >= WriteChunk && !flush())
            return false;
    }
    return buffer.isEmpty() || flush();
}

SaveResult Save(const EventTable &table, const QString &path, const WriteThrough &through)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    const std::unique_ptr<QIODevice> wrapper = through ? through(file) : nullptr;
    QIODevice &target = wrapper ? *wrapper : file;
    if (!Write(table, target)) {
        // Leaving without commit() throws the new file away.
        const QString reason = target.errorString();
        file.cancelWriting();
        return {false, reason};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

} // namespace ScheduleFile
