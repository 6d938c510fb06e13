#pragma once

#include "timetext.h"

#include <QDateTime>

// Takes one second off a "Start in" value, borrowing from the minutes and
// hours. Returns false, leaving the value alone, when there was nothing left
// to count: the event fires.
bool CountDownOneSecond(TimeParts &startIn);

// Seconds left before a "Start in" value runs out, as CountDownOneSecond
// counts it: a value with no part above zero has nothing left, whatever the
// sign of its parts.
qint64 SecondsLeft(const TimeParts &startIn);

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
