#pragma once

#include "eventtable.h"

#include <QString>

#include <array>

// One event as the event editor shows it: texts as typed, with the times in
// separate hour, minute and second parts, and which repetition value the user
// entered. The event commands turn a table row into these fields and back.
struct EventFields
{
    QString eventName;
    QString waveFile;
    QString repCount;
    QString intervalHour;
    QString intervalMin;
    QString intervalSec;
    QString repHour;
    QString repMin;
    QString repSec;
    // 1 when the count was entered (the length derives from it), 0 when the
    // length was entered.
    int countMode = 0;

    friend bool operator==(const EventFields &, const EventFields &) = default;
};

// The three parts of a time text, as texts.
struct TimeTextParts
{
    QString hours;
    QString minutes;
    QString seconds;

    friend bool operator==(const TimeTextParts &, const TimeTextParts &) = default;
};

// Joins three parts into "HH:MM:SS". A part of one character gets a leading
// "0" and an empty part becomes "00"; parts of two characters pass as they
// are, also beyond the usual ranges (75 minutes stay 75). A part of three or
// more characters cannot be read back from the two-character slots, so then
// the whole duration is written anew from its total seconds, with minutes and
// seconds below 60 and at most 99:59:59.
QString ComposeTimeText(const QString &hours, const QString &minutes, const QString &seconds);
inline QString ComposeTimeText(const TimeTextParts &parts)
{
    return ComposeTimeText(parts.hours, parts.minutes, parts.seconds);
}

// Splits a cell back into the texts of its parts: the first two characters,
// the two from index 3 and the seconds. The interval's seconds are its last
// two characters; the length's are the two from index 6, which leaves out
// the "*" that may follow them.
TimeTextParts SplitIntervalText(const QString &cell);
TimeTextParts SplitLengthText(const QString &cell);

// Marks which of the repetition cells holds the value the user entered.
inline constexpr QChar EnteredValueMarker = u'*';

// A new event: "No_Name", the wave, 50 plays, an interval of one hour and a
// length of five minutes entered by the user.
EventFields NewEventFields(const QString &waveFile);

// The fields of a table row. "Start in" is not read; the mode is that of the
// "*" at the end of the repetition count.
EventFields EventFieldsFromRow(const EventRow &row);

// The six cells for the fields: "Start in" equals the interval, so the event
// counts down from its full interval; the "*" goes to the count or the length
// by the mode.
std::array<QString, EventTable::ColumnCount> EventCells(const EventFields &fields);
