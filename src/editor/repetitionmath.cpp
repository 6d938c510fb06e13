#include "repetitionmath.h"

#include <algorithm>

// Products are formed in 64 bits: every value the parts can hold (each at
// most INT_MAX) stays far inside that range, so a large entry gives its true
// result instead of one that wrapped round to a small, wrong number.

quint64 RepetitionCountForLength(int hours, int minutes, int seconds, quint32 waveLengthMs)
{
    if (waveLengthMs == 0)
        return 0;
    const quint64 totalSeconds = quint64(std::max(hours, 0)) * 3600 + quint64(std::max(minutes, 0)) * 60
                                 + quint64(std::max(seconds, 0));
    return totalSeconds * 1000 / waveLengthMs;
}

RepetitionLength RepetitionLengthForCount(int count, quint32 waveLengthMs)
{
    const quint64 wholeSeconds = quint64(std::max(count, 0)) * waveLengthMs / 1000;
    RepetitionLength length;
    length.hours = wholeSeconds / 3600;
    length.minutes = int(wholeSeconds % 3600 / 60);
    length.seconds = int(wholeSeconds % 60) + 1;
    return length;
}
