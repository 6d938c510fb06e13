#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <array>

// One event of the schedule: six text cells and the image index that holds
// its enabled state (1 means disabled, every other value enabled).
struct EventRow
{
    std::array<QString, 6> cells;
    int image = 0;

    friend bool operator==(const EventRow &, const EventRow &) = default;
};

// The schedule itself. There is no other copy of it: the count-down, the
// event commands, the file reader and writer and the playback worker all
// reach the events through these rows, by row index. Rows keep the order in
// which they were inserted; new rows always go to the top.
class EventTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        EventName = 0,
        WaveFile,
        StartIn,
        Interval,
        Repetition,
        Length,
        ColumnCount
    };

    enum Role { ImageIndexRole = Qt::UserRole + 1 };

    static constexpr int DisabledImage = 1;
    static constexpr int EnabledImage = 0;

    explicit EventTable(QObject *parent = nullptr);

    // The heading of a column, as the list shows it: "Event Name" ...
    static QString ColumnHeading(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = {}) override;

    // A row or column out of range reads as an empty text (a worker may ask
    // for a row that has been deleted meanwhile) and ignores writes.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);

    int imageIndex(int row) const;
    void setImageIndex(int row, int image);
    bool isEnabled(int row) const { return imageIndex(row) != DisabledImage; }

    // Inserts one row at index 0 with only its name set.
    void insertAtTop(const QString &name, int image = EnabledImage);
    // Inserts the rows, in the given top-to-bottom order, above the current
    // first row: one model change however many rows there are.
    void insertAtTop(const QList<EventRow> &rows);

    const EventRow &row(int row) const { return m_rows.at(row); }
    void clear();

private:
    bool isValidCell(int row, int column) const;

    QList<EventRow> m_rows;
};
