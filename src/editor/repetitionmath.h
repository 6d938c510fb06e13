#pragma once

#include <QtGlobal>

// The arithmetic that ties an event's number of plays to its total playing
// length, given the length of its wave in milliseconds. The editor keeps one
// of the two values as the user's own and derives the other with these.

struct RepetitionLength
{
    quint64 hours = 0;
    int minutes = 0;
    int seconds = 0;

    friend bool operator==(const RepetitionLength &, const RepetitionLength &) = default;
};

// How many whole plays of the wave fit into hours:minutes:seconds, truncated;
// 0 for an empty wave. Negative parts count as 0.
quint64 RepetitionCountForLength(int hours, int minutes, int seconds, quint32 waveLengthMs);

// How long `count` plays of the wave last, in whole seconds. The seconds
// field is one more than the whole seconds and carries nothing into the
// minutes (59 whole seconds give 60), so that the length shown never falls
// short of the playing time. A negative count counts as 0.
RepetitionLength RepetitionLengthForCount(int count, quint32 waveLengthMs);
