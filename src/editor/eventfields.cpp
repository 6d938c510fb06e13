#include "eventfields.h"

#include "timetext.h"

#include <algorithm>

namespace {
// The largest duration the two-digit slots of a time text can hold.
constexpr qint64 LargestTimeTextSeconds = 99 * 3600 + 59 * 60 + 59;

QString twoCharacterPart(const QString &part)
{
    if (part.isEmpty())
        return QStringLiteral("00");
    if (part.size() == 1)
        return u'0' + part;
    return part;
}
} // namespace

QString ComposeTimeText(const QString &hours, const QString &minutes, const QString &seconds)
{
    if (hours.size() > 2 || minutes.size() > 2 || seconds.size() > 2) {
        const auto part = [](const QString &text) { return qint64(std::max(LeadingNumber(text), 0)); };
        const qint64 total = std::min(part(hours) * 3600 + part(minutes) * 60 + part(seconds),
                                      LargestTimeTextSeconds);
        return FormatTimeText(int(total / 3600), int(total % 3600 / 60), int(total % 60));
    }
    return twoCharacterPart(hours) + u':' + twoCharacterPart(minutes) + u':'
           + twoCharacterPart(seconds);
}

TimeTextParts SplitIntervalText(const QString &cell)
{
    return {cell.left(2), cell.mid(3, 2), cell.right(2)};
}

TimeTextParts SplitLengthText(const QString &cell)
{
    return {cell.left(2), cell.mid(3, 2), cell.mid(6, 2)};
}

EventFields NewEventFields(const QString &waveFile)
{
    EventFields fields;
    fields.eventName = QStringLiteral("No_Name");
    fields.waveFile = waveFile;
    fields.repCount = QStringLiteral("50");
    fields.intervalHour = QStringLiteral("1");
    fields.intervalMin = QStringLiteral("0");
    fields.intervalSec = QStringLiteral("0");
    fields.repHour = QStringLiteral("0");
    fields.repMin = QStringLiteral("5");
    fields.repSec = QStringLiteral("0");
    fields.countMode = 0;
    return fields;
}

EventFields EventFieldsFromRow(const EventRow &row)
{
    EventFields fields;
    fields.eventName = row.cells[EventTable::EventName];
    fields.waveFile = row.cells[EventTable::WaveFile];

    const TimeTextParts interval = SplitIntervalText(row.cells[EventTable::Interval]);
    fields.intervalHour = interval.hours;
    fields.intervalMin = interval.minutes;
    fields.intervalSec = interval.seconds;

    fields.repCount = row.cells[EventTable::Repetition];
    fields.countMode = fields.repCount.endsWith(EnteredValueMarker) ? 1 : 0;
    if (fields.countMode)
        fields.repCount.chop(1);

    const TimeTextParts length = SplitLengthText(row.cells[EventTable::Length]);
    fields.repHour = length.hours;
    fields.repMin = length.minutes;
    fields.repSec = length.seconds;
    return fields;
}

std::array<QString, EventTable::ColumnCount> EventCells(const EventFields &fields)
{
    const QString interval = ComposeTimeText(fields.intervalHour, fields.intervalMin, fields.intervalSec);
    QString count = fields.repCount;
    QString length = ComposeTimeText(fields.repHour, fields.repMin, fields.repSec);
    (fields.countMode ? count : length) += EnteredValueMarker;

    std::array<QString, EventTable::ColumnCount> cells;
    cells[EventTable::EventName] = fields.eventName;
    cells[EventTable::WaveFile] = fields.waveFile;
    cells[EventTable::StartIn] = interval;
    cells[EventTable::Interval] = interval;
    cells[EventTable::Repetition] = count;
    cells[EventTable::Length] = length;
    return cells;
}
