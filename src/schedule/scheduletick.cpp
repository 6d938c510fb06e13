#include "scheduletick.h"

#include "countdown.h"
#include "eventtable.h"
#include "playbackengine.h"
#include "timetext.h"

TickResult ScheduleTick(EventTable &table, PlaybackEngine &engine, const PlayWindow &window,
                        const QDateTime &now, QStringView pauseText)
{
    TickResult result;
    if (!window.admits(now))
        return result;
    result.counted = true;
    engine.clearStopRequest();

    // The row count is read anew for every row.
    for (int i = 0; i < table.rowCount(); ++i) {
        if (engine.isBusy())
            continue;
        if (!table.isEnabled(i))
            continue;
        TimeParts startIn = ParseTimeText(table.text(i, EventTable::StartIn));
        if (!CountDownOneSecond(startIn)) {
            startIn = ParseTimeText(table.text(i, EventTable::Interval));
            const int repetitions = LeadingNumber(table.text(i, EventTable::Repetition));
            engine.startWorker(engine.makeJob(i, repetitions, LeadingNumber(pauseText)));
            result.firedRow = i;
        }
        table.setText(i, EventTable::StartIn, FormatTimeText(startIn));
    }
    return result;
}
