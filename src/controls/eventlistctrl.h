#pragma once

#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QTreeView>

class EventTable;

// The event list: a report-style list that draws every row itself, so that a
// selected row is highlighted across all its columns, unselected rows are
// tinted in alternating colours, each row shows its enabled/disabled image and
// each column's text stays inside its column. It also remembers where the
// mouse last moved, which tells a double-click on the row's image from one on
// its texts.
class CEventListCtrl : public QTreeView
{
    Q_OBJECT

public:
    enum HighlightMode {
        HighlightLabel = 0,       // the first column's text only
        HighlightColumns = 1,     // from the label to the last column's right edge
        HighlightClientWidth = 2, // from the label to the client area's right edge
    };

    // Light green of the even rows; odd rows are white.
    static constexpr QRgb EvenRowColor = 0xFF80FF80;
    static constexpr QRgb OddRowColor = 0xFFFFFFFF;
    // Width and height of one row image.
    static constexpr int ImageSize = 20;

    explicit CEventListCtrl(QWidget *parent = nullptr);

    // Stores a mode of 2 or less and repaints everything; a larger value is
    // refused. Returns the mode held before the call in both cases.
    int SetHighlightMode(int mode);
    int highlightMode() const { return m_nHighlightMode; }

    // The row images: a strip of ImageSize x ImageSize images, white is
    // transparent. Without one no row image is drawn.
    void setImageStrip(const QPixmap &strip);

    // Alignment of a column's texts (the first column is always drawn
    // left-aligned).
    void setColumnAlignment(int column, Qt::Alignment alignment);
    Qt::Alignment columnAlignment(int column) const;

    EventTable *eventTable() const;

    // Row with the keyboard focus, -1 when none.
    int focusedRow() const;
    void setFocusedRow(int row);
    // Selected rows in ascending order.
    QList<int> selectedRows() const;

    // Where the rows' labels start, in viewport coordinates: left of it lies
    // the rows' image. It moves with the columns when they are scrolled.
    int labelLeft() const;
    // The label rectangle of a row: its first column without the image.
    QRect labelRect(int row) const;

    // Last position of the mouse over the list, in viewport coordinates.
    QPoint m_ptLastMouse;

signals:
    // A double-click of the left button on the list, wherever it lands.
    void doubleClickedList();
    // A key pressed while the list has the focus, before the list handles it.
    void keyDown(int key);

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void RepaintSelectedRows();

    int m_nHighlightMode = HighlightColumns;
    QList<QPixmap> m_images;
    QList<Qt::Alignment> m_alignments;
};
