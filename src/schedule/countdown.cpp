#include "countdown.h"

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

bool PlayWindow::admits(const QDateTime &now) const
{
    if (!enabled)
        return true;
    const qint64 n = now.toSecsSinceEpoch();
    return n >= from.toSecsSinceEpoch() && n <= to.toSecsSinceEpoch();
}
