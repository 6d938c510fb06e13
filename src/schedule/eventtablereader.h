#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <stop_token>

class EventTable;

// Reads cells of the event table from another thread. The table belongs to
// the user-interface thread, so the read is posted there and answered there;
// the caller waits for the answer, but gives up when its stop token is
// triggered, so that a window which is joining the caller while the read is
// still queued never deadlocks.
class EventTableReader
{
public:
    explicit EventTableReader(EventTable *table);

    // The cell's text, empty for a row or column out of range; nullopt when
    // the wait was given up. The table must outlive every waiting caller.
    std::optional<QString> text(int row, int column, std::stop_token cancel) const;
    // Several cells of one row, read together: no change of the table can
    // come between them.
    std::optional<QStringList> texts(int row, const QList<int> &columns,
                                     std::stop_token cancel) const;

private:
    EventTable *m_table;
};
