#pragma once

#include <QAction>
#include <QHash>
#include <QVariant>

#include <functional>
#include <initializer_list>
#include <utility>

// The one table that sends a command id to its handler. Menu items and
// toolbar buttons only carry an id; whoever owns the table decides what runs.
template<class Window>
class CommandMap
{
public:
    using Handler = std::function<void(Window &)>;

    CommandMap(std::initializer_list<std::pair<int, Handler>> entries)
    {
        for (const auto &[id, handler] : entries)
            m_handlers.insert(id, handler);
    }

    bool contains(int id) const { return m_handlers.contains(id); }

    // Returns false when no handler is mapped to the id.
    bool dispatch(Window &window, int id) const
    {
        const auto it = m_handlers.constFind(id);
        if (it == m_handlers.constEnd())
            return false;
        (*it)(window);
        return true;
    }

private:
    QHash<int, Handler> m_handlers;
};

// Menu items and toolbar buttons keep their command id in QAction::data().
inline int CommandIdOf(const QAction *action)
{
    return action ? action->data().toInt() : 0;
}
