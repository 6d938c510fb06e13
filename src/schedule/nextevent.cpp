#include "nextevent.h"

#include "countdown.h"
#include "eventtable.h"
#include "timetext.h"

std::optional<NextEvent> FindNextEvent(const EventTable &table)
{
    int best = -1;
    qint64 bestSeconds = 0;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (!table.isEnabled(row))
            continue;
        const qint64 seconds = SecondsLeft(ParseTimeText(table.text(row, EventTable::StartIn)));
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
