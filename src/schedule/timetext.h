#pragma once

#include <QString>
#include <QStringView>

// Durations travel as "HH:MM:SS" text in list cells and files, numbers as
// decimal text. These are the only routines that turn such text into numbers
// and back, so every reader agrees on how odd text is read.

struct TimeParts
{
    int hours = 0;
    int minutes = 0;
    int seconds = 0;

    friend bool operator==(const TimeParts &, const TimeParts &) = default;
};

// Leading-number rule: skip leading blanks, take an optional sign and the
// decimal digits after it; no digits gives 0. Values beyond the int range
// saturate instead of overflowing.
int LeadingNumber(QStringView text);

// Hours from the first two characters, minutes from the two at index 3,
// seconds from the last two, each by the leading-number rule. A text shorter
// than two characters is its own first and last pair; "" gives 0, 0, 0.
TimeParts ParseTimeText(QStringView text);

// "%02d:%02d:%02d"
QString FormatTimeText(int hours, int minutes, int seconds);
inline QString FormatTimeText(const TimeParts &t)
{
    return FormatTimeText(t.hours, t.minutes, t.seconds);
}

// The whole seconds of a duration in milliseconds as "%02d:%02d:%02d"; the
// hours do not wrap at a day (25 hours give "25:00:00").
QString FormatMillisecondsText(quint32 milliseconds);
