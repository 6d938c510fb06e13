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
    std::optional<QString> text;
};

} // namespace

EventTableReader::EventTableReader(EventTable *table)
    : m_table(table)
{
}

std::optional<QString> EventTableReader::text(int row, int column, std::stop_token cancel) const
{
    if (cancel.stop_requested())
        return std::nullopt;
    if (QThread::currentThread() == m_table->thread())
        return m_table->text(row, column);

    auto pending = std::make_shared<PendingRead>();
    // With the table as context, the call is dropped if the table is
    // destroyed before the call is delivered.
    QMetaObject::invokeMethod(
        m_table,
        [table = m_table, pending, row, column] {
            std::lock_guard lock(pending->mutex);
            pending->text = table->text(row, column);
            pending->answered.notify_all();
        },
        Qt::QueuedConnection);

    std::unique_lock lock(pending->mutex);
    pending->answered.wait(lock, cancel, [&] { return pending->text.has_value(); });
    return pending->text;
}
