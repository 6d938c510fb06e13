#include "countdown.h"

#include <algorithm>

bool CountDownOneSecond(TimeParts &startIn)
{
    TimeParts t = startIn;
    if (--t.seconds < 0) {
        t.seconds = 59;
        if (--t.minutes < 0) {
            t.minutes = 59;
            if (--t.hours < 0)
                return false;
        }
    }
    startIn = t;
    return true;
}

qint64 SecondsLeft(const TimeParts &t)
{
    if (t.hours <= 0 && t.minutes <= 0 && t.seconds <= 0)
        return 0;
    return std::max<qint64>(0, qint64(t.hours) * 3600 + qint64(t.minutes) * 60 + t.seconds);
}

bool PlayWindow::admits(const QDateTime &now) const
{
    if (!enabled)
        return true;
    const qint64 n = now.toSecsSinceEpoch();
    return n >= from.toSecsSinceEpoch() && n <= to.toSecsSinceEpoch();
}
