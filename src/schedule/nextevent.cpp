#include "nextevent.h"

#include "eventtable.h"
#include "timetext.h"

namespace {

// Seconds left as the count-down reads the text: a value with no part above
// zero fires at the next tick, whatever its sign.
qint64 SecondsLeft(const QString &startIn)
{
    const TimeParts t = ParseTimeText(startIn);
    if (t.hours <= 0 && t.minutes <= 0 && t.seconds <= 0)
        return 0;
    return std::max<qint64>(0, qint64(t.hours) * 3600 + qint64(t.minutes) * 60 + t.seconds);
}

} // namespace

std::optional<NextEvent> FindNextEvent(const EventTable &table)
{
    int best = -1;
    qint64 bestSeconds = 0;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (!table.isEnabled(row))
            continue;
        const qint64 seconds = SecondsLeft(table.text(row, EventTable::StartIn));
        if (best < 0 || seconds < bestSeconds) {
            best = row;
            bestSeconds = seconds;
        }
    }
    if (best < 0)
        return std::nullopt;
    return NextEvent{best, table.text(best, EventTable::EventName),
                     table.text(best, EventTable::StartIn)};
}
