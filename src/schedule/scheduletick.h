#pragma once

#include <QDateTime>
#include <QStringView>

class EventTable;
class PlaybackEngine;
struct PlayWindow;

// What one tick did.
struct TickResult
{
    // False when the play window held the tick back.
    bool counted = false;
    // The row that fired, or -1.
    int firedRow = -1;
};

// One second of the schedule. Outside the play window nothing happens.
// Otherwise the stop request is cleared and every enabled row counts its
// "Start in" down by one second; a row that has reached 00:00:00 fires
// instead: "Start in" is reloaded from its "Interval" and its wave file is
// handed to a playback worker, "Repetition" times with `pauseText` seconds
// after each play. While a worker is busy no row counts down, so at most one
// row fires per tick.
TickResult ScheduleTick(EventTable &table, PlaybackEngine &engine, const PlayWindow &window,
                        const QDateTime &now, QStringView pauseText);
