#pragma once

#include <QString>

#include <optional>

class EventTable;

// The enabled event whose count-down runs out first.
struct NextEvent
{
    int row = -1;
    QString name;
    // Its "Start in" text as the table shows it.
    QString startIn;

    friend bool operator==(const NextEvent &, const NextEvent &) = default;
};

// The enabled row with the least "Start in"; of rows with the same one the
// upper, because the tick reaches it first and holds the others back while
// it plays. None when no row is enabled.
std::optional<NextEvent> FindNextEvent(const EventTable &table);
