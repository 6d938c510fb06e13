#include "schedulefile.h"

#include "skedfieldreader.h"
#include "skedrecord.h"
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
    using SkedRecord::Content;
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
        EventRow row;
        for (qsizetype i = 0; i < SkedRecord::FieldCount; ++i) {
            const SkedRecord::Field &field = SkedRecord::Layout[i];
            const QByteArray bytes = reader.read(SkedRecord::TerminatorOf(i));
            switch (field.content) {
            case Content::Magic:
                // The end of the data before a whole magic is the end of
                // the file, not a bad record.
                if (reader.eofMet())
                    return finish(true);
                if (bytes != SkedRecord::Magic)
                    return finish(false);
                break;
            case Content::DisabledFlag:
                row.image = LeadingNumber(SkedFieldReader::Decode(bytes));
                break;
            case Content::WavePath: {
                auto known = wavePaths.constFind(bytes);
                if (known == wavePaths.constEnd())
                    known = wavePaths.insert(
                        bytes, ResolveWavePath(SkedFieldReader::Decode(bytes), waveDirectories));
                row.cells[field.column] = *known;
                break;
            }
            case Content::Text:
                row.cells[field.column] = SkedFieldReader::Decode(bytes);
                break;
            }
        }
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

QString UnstorableField(const EventTable &table)
{
    for (int r = 0; r < table.rowCount(); ++r) {
        const EventRow &row = table.row(r);
        for (const SkedRecord::Field &field : SkedRecord::Layout) {
            if (field.column < 0)
                continue;
            const QString &text = row.cells[field.column];
            // No UTF-16 unit takes more than three bytes: short texts fit
            // without counting.
            const qsizetype bytes =
                text.size() * 3 <= SkedRecord::MaxFieldBytes ? 0 : SkedRecord::Utf8Length(text);
            const bool tooLong = bytes > SkedRecord::MaxFieldBytes;
            const bool separator = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
                return c == QLatin1Char(SkedRecord::FieldEnd) || c == QLatin1Char(SkedRecord::LineEnd);
            });
            if (!tooLong && !separator)
                continue;
            // A name too long for its field is shown in part.
            QString name = row.cells[EventTable::EventName];
            if (name.size() > 40)
                name = name.left(SkedRecord::FittingLength(name, 40)) + QStringLiteral("...");
            const QString what = QStringLiteral("The field \"%1\" of the event \"%2\"")
                                     .arg(EventTable::ColumnHeading(field.column), name);
            if (tooLong)
                return QStringLiteral("%1 is %2 bytes long; a schedule file holds at most %3 bytes in a field.")
                    .arg(what)
                    .arg(bytes)
                    .arg(SkedRecord::MaxFieldBytes);
            return QStringLiteral("%1 holds a TAB or a line break, which a schedule file cannot store.")
                .arg(what);
        }
    }
    return {};
}

bool Write(const EventTable &table, QIODevice &device)
{
    using SkedRecord::Content;
    QByteArray buffer;
    buffer.reserve(WriteChunk + 4096);
    auto flush = [&] {
        const bool ok = device.write(buffer) == buffer.size();
        buffer.clear();
        return ok;
    };

    for (int r = table.rowCount() - 1; r >= 0; --r) {
        const EventRow &row = table.row(r);
        for (qsizetype i = 0; i < SkedRecord::FieldCount; ++i) {
            const SkedRecord::Field &field = SkedRecord::Layout[i];
            switch (field.content) {
            case Content::Magic:
                buffer += SkedRecord::Magic;
                break;
            case Content::DisabledFlag:
                buffer += row.image == EventTable::DisabledImage ? '1' : '0';
                break;
            case Content::WavePath:
            case Content::Text:
                buffer += row.cells[field.column].toUtf8();
                break;
            }
            if (SkedRecord::TerminatorOf(i) == SkedRecord::FieldEnd)
                buffer += SkedRecord::FieldEnd;
            else
                buffer += SkedRecord::WrittenLineEnd;
        }
        if (buffer.size() >= WriteChunk && !flush())
            return false;
    }
    return buffer.isEmpty() || flush();
}

SaveResult Save(const EventTable &table, const QString &path, const WriteThrough &through,
                const BeforeReplace &beforeReplace)
{
    if (const QString problem = UnstorableField(table); !problem.isEmpty())
        return {false, problem};
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
    if (beforeReplace) {
        if (const QString problem = beforeReplace(); !problem.isEmpty()) {
            file.cancelWriting();
            return {false, problem};
        }
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

} // namespace ScheduleFile
