#include "eventtable.h"

EventTable::EventTable(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int EventTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int EventTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EventTable::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const EventRow &r = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return r.cells.at(index.column());
    case ImageIndexRole:
        return r.image;
    default:
        return {};
    }
}

QString EventTable::ColumnHeading(int column)
{
    switch (column) {
    case EventName: return QStringLiteral("Event Name");
    case WaveFile: return QStringLiteral("Wave file");
    case StartIn: return QStringLiteral("Start in");
    case Interval: return QStringLiteral("Interval");
    case Repetition: return QStringLiteral("Repetition");
    case Length: return QStringLiteral("Length");
    default: return {};
    }
}

QVariant EventTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return ColumnHeading(section);
}

Qt::ItemFlags EventTable::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool EventTable::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > m_rows.size())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    m_rows.remove(row, count);
    endRemoveRows();
    return true;
}

bool EventTable::isValidCell(int row, int column) const
{
    return row >= 0 && row < m_rows.size() && column >= 0 && column < ColumnCount;
}

QString EventTable::text(int row, int column) const
{
    return isValidCell(row, column) ? m_rows.at(row).cells.at(column) : QString();
}

void EventTable::setText(int row, int column, const QString &text)
{
    if (!isValidCell(row, column))
        return;
    QString &cell = m_rows[row].cells[column];
    if (cell == text)
        return;
    cell = text;
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::ToolTipRole});
}

int EventTable::imageIndex(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).image : EnabledImage;
}

void EventTable::setImageIndex(int row, int image)
{
    if (row < 0 || row >= m_rows.size() || m_rows.at(row).image == image)
        return;
    m_rows[row].image = image;
    const QModelIndex first = index(row, 0);
    const QModelIndex last = index(row, ColumnCount - 1);
    emit dataChanged(first, last, {ImageIndexRole});
}

void EventTable::insertAtTop(const QString &name, int image)
{
    EventRow r;
    r.cells[EventName] = name;
    r.image = image;
    insertAtTop(QList<EventRow>{r});
}

void EventTable::insertAtTop(const QList<EventRow> &rows)
{
    if (rows.isEmpty())
        return;
    beginInsertRows({}, 0, int(rows.size()) - 1);
    m_rows.insert(0, rows.size(), EventRow{});
    std::copy(rows.begin(), rows.end(), m_rows.begin());
    endInsertRows();
}

void EventTable::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}
