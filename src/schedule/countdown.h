#pragma once

#include "timetext.h"

#include <QDateTime>

// Takes one second off a "Start in" value, borrowing from the minutes and
// hours. Returns false, leaving the value alone, when there was nothing left
// to count: the event fires.
bool CountDownOneSecond(TimeParts &startIn);

// The "Play between" span. While it is switched on, the count-down stands
// still unless the current date and time lie within it, both ends included,
// compared to the second.
struct PlayWindow
{
    bool enabled = false;
    QDateTime from;
    QDateTime to;

    bool admits(const QDateTime &now) const;
};
