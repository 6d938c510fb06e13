#include "eventtablereader.h"

#include "eventtable.h"

#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

// Shared by the waiting thread and the posted call, so that a call that runs
// after the waiter gave up still has something to write to.
struct PendingRead
{
    std::mutex mutex;
    std::condition_variable_any answered;
    std::optional<QStringList> texts;
};

QStringList readCells(const EventTable &table, int row, const QList<int> &columns)
{
    QStringList texts;
    for (int column : columns)
        texts << table.text(row, column);
    return texts;
}

} // namespace

EventTableReader::EventTableReader(EventTable *table)
    : m_table(table)
{
}

std::optional<QString> EventTableReader::text(int row, int column, std::stop_token cancel) const
{
    const std::optional<QStringList> cells = texts(row, {column}, std::move(cancel));
    return cells ? std::optional<QString>(cells->first()) : std::nullopt;
}

std::optional<QStringList> EventTableReader::texts(int row, const QList<int> &columns,
                                                   std::stop_token cancel) const
{
    if (cancel.stop_requested())
        return std::nullopt;
    if (QThread::currentThread() == m_table->thread())
        return readCells(*m_table, row, columns);

    auto pending = std::make_shared<PendingRead>();
    // With the table as context, the call is dropped if the table is
    // destroyed before the call is delivered.
    QMetaObject::invokeMethod(
        m_table,
        [table = m_table, pending, row, columns] {
            std::lock_guard lock(pending->mutex);
            pending->texts = readCells(*table, row, columns);
            pending->answered.notify_all();
        },
        Qt::QueuedConnection);

    std::unique_lock lock(pending->mutex);
    pending->answered.wait(lock, cancel, [&] { return pending->texts.has_value(); });
    return pending->texts;
}
