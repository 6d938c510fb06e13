#include "eventlistctrl.h"

#include "eventtable.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace {

// Horizontal place of the row image and of the label right of it, from the
// row's left edge. A double-click left of the label is one on the image.
constexpr int ImageLeft = 2;
constexpr int LabelOffset = 23;

// How far apart two colours are to the eye: the ratio of their relative
// luminances, from 1 (the same) to 21 (black and white).
double contrast(const QColor &a, const QColor &b)
{
    auto luminance = [](const QColor &c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The theme's text colour where it can be read on `background`, otherwise
// black or white, whichever stands out more. The rows' fills are fixed
// light colours, and a dark colour scheme's text is light.
QColor readableOn(const QColor &background, const QColor &preferred)
{
    constexpr double Readable = 4.5;
    if (contrast(preferred, background) >= Readable)
        return preferred;
    return contrast(Qt::black, background) >= contrast(Qt::white, background) ? QColor(Qt::black)
                                                                              : QColor(Qt::white);
}

// Gives every row room for its image and a line of text.
class RowHeightDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(CEventListCtrl::ImageSize + 2, option.fontMetrics.height() + 6));
        return size;
    }
};

} // namespace

CEventListCtrl::CEventListCtrl(QWidget *parent)
    : QTreeView(parent)
{
    setRootIsDecorated(false);
    setIndentation(0);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    setItemDelegate(new RowHeightDelegate(this));
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

int CEventListCtrl::SetHighlightMode(int mode)
{
    const int previous = m_nHighlightMode;
    if (mode <= HighlightClientWidth) {
        m_nHighlightMode = mode;
        viewport()->update();
    }
    return previous;
}

void CEventListCtrl::setImageStrip(const QPixmap &strip)
{
    m_images.clear();
    for (int x = 0; x + ImageSize <= strip.width(); x += ImageSize)
        m_images.append(strip.copy(x, 0, ImageSize, ImageSize));
    viewport()->update();
}

void CEventListCtrl::setColumnAlignment(int column, Qt::Alignment alignment)
{
    if (column < 0)
        return;
    if (m_alignments.size() <= column)
        m_alignments.resize(column + 1, Qt::AlignLeft);
    m_alignments[column] = alignment & Qt::AlignHorizontal_Mask;
    viewport()->update();
}

Qt::Alignment CEventListCtrl::columnAlignment(int column) const
{
    return column >= 0 && column < m_alignments.size() ? m_alignments.at(column)
                                                        : Qt::Alignment(Qt::AlignLeft);
}

EventTable *CEventListCtrl::eventTable() const
{
    return qobject_cast<EventTable *>(model());
}

int CEventListCtrl::focusedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CEventListCtrl::setFocusedRow(int row)
{
    if (!model())
        return;
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

QList<int> CEventListCtrl::selectedRows() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int CEventListCtrl::labelLeft() const
{
    return header()->sectionViewportPosition(0) + LabelOffset;
}

QRect CEventListCtrl::labelRect(int row) const
{
    if (!model())
        return {};
    const QRect cell = visualRect(model()->index(row, 0));
    if (!cell.isValid())
        return {};
    const int left = header()->sectionViewportPosition(0);
    return QRect(QPoint(labelLeft(), cell.top()),
                 QPoint(left + header()->sectionSize(0) - 1, cell.bottom()));
}

void CEventListCtrl::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const EventTable *table = eventTable();
    if (!table)
        return;
    const int row = index.row();
    const QHeaderView *head = header();
    const int columns = head->count();
    if (columns == 0)
        return;

    // Every selected row is highlighted, with or without the focus.
    const bool highlighted = selectionModel()->isRowSelected(row, QModelIndex());

    const int rowLeft = head->sectionViewportPosition(0);
    const int lastColumn = columns - 1;
    const int rowRight = head->sectionViewportPosition(lastColumn) + head->sectionSize(lastColumn);
    QRect bounds(QPoint(rowLeft, option.rect.top()), QPoint(rowRight - 1, option.rect.bottom()));
    const QRect label(QPoint(labelLeft(), bounds.top()),
                      QPoint(rowLeft + head->sectionSize(0) - 1, bounds.bottom()));
    const QRect icon(rowLeft + ImageLeft, bounds.top() + (bounds.height() - ImageSize) / 2, ImageSize,
                     ImageSize);

    const QFontMetrics metrics(font());
    const QString firstText = table->text(row, 0);
    const int margin = 2 * metrics.horizontalAdvance(u' ');

    QRect highlight = label;
    switch (m_nHighlightMode) {
    case HighlightLabel:
        highlight.setRight(std::min(label.right(), label.left() + metrics.horizontalAdvance(firstText) + margin - 1));
        break;
    case HighlightColumns:
        highlight = bounds;
        highlight.setLeft(label.left());
        break;
    case HighlightClientWidth:
        highlight = bounds;
        highlight.setLeft(label.left());
        highlight.setRight(viewport()->rect().right());
        break;
    default:
        break;
    }

    const QPalette &pal = palette();
    const QColor fill = highlighted ? pal.color(QPalette::Highlight)
                                    : QColor::fromRgb(row % 2 == 0 ? EvenRowColor : OddRowColor);
    const QColor textColor = highlighted ? pal.color(QPalette::HighlightedText)
                                         : readableOn(fill, pal.color(QPalette::Text));

    painter->save();
    painter->fillRect(highlight, fill);
    painter->setPen(textColor);

    // The first column: its image and its text, kept inside the column.
    QRect firstColumn = bounds;
    firstColumn.setWidth(head->sectionSize(0));
    painter->setClipRect(firstColumn);

    const int image = table->imageIndex(row);
    if (image >= 0 && image < m_images.size()) {
        if (highlighted) {
            // The image is shown blended half with the selection colour.
            QPixmap blended = m_images.at(image);
            QPainter blend(&blended);
            blend.setCompositionMode(QPainter::CompositionMode_SourceAtop);
            QColor half = pal.color(QPalette::Highlight);
            half.setAlpha(128);
            blend.fillRect(blended.rect(), half);
            blend.end();
            painter->drawPixmap(icon.topLeft(), blended);
        } else {
            painter->drawPixmap(icon.topLeft(), m_images.at(image));
        }
    }

    const QRect firstTextRect = label.adjusted(margin / 2, 0, -margin, 0);
    painter->drawText(firstTextRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      metrics.elidedText(firstText, Qt::ElideRight, std::max(0, firstTextRect.width())));

    if (m_nHighlightMode == HighlightLabel)
        painter->setPen(readableOn(pal.color(QPalette::Base), pal.color(QPalette::WindowText)));

    if (highlight.right() > bounds.right())
        bounds.setRight(highlight.right());
    painter->setClipRect(bounds);

    for (int column = 1; column < columns; ++column) {
        const QRect cell(head->sectionViewportPosition(column), bounds.top(), head->sectionSize(column),
                         bounds.height());
        if (m_nHighlightMode == HighlightLabel)
            painter->fillRect(cell, pal.color(QPalette::Base));
        const QString text = table->text(row, column);
        if (text.isEmpty())
            continue;
        const QRect textRect = cell.adjusted(margin, 0, -margin, 0);
        painter->drawText(textRect, columnAlignment(column) | Qt::AlignVCenter | Qt::TextSingleLine,
                          metrics.elidedText(text, Qt::ElideRight, std::max(0, textRect.width())));
    }

    if (row == focusedRow() && hasFocus()) {
        // A dotted frame in the text colour, whatever the widget style does
        // (some draw focus frames only after keyboard navigation).
        painter->setClipping(false);
        painter->setPen(QPen(textColor, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(highlight.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

void CEventListCtrl::paintEvent(QPaintEvent *event)
{
    // In the client-width mode a highlighted row reaches past the last
    // column, so a repaint of any part of a row must cover that strip too.
    // The view asks only for the cells it changed; what of the strip the
    // repaint leaves out is asked for at once. A repaint that lies wholly in
    // the strip is such a request and widens nothing.
    if (m_nHighlightMode == HighlightClientWidth && model() && model()->rowCount() > 0) {
        const QRect first = visualRect(model()->index(0, model()->columnCount() - 1));
        const QRect client = viewport()->rect();
        if (first.isValid() && first.right() < client.right()) {
            const QRect stripArea(QPoint(first.right() + 1, client.top()), client.bottomRight());
            const QRegion rows = event->region().subtracted(stripArea);
            if (!rows.isEmpty()) {
                const QRect box = rows.boundingRect();
                const QRect strip(QPoint(stripArea.left(), box.top()),
                                  QPoint(client.right(), box.bottom()));
                const QRegion uncovered = QRegion(strip).subtracted(event->region());
                if (!uncovered.isEmpty())
                    viewport()->update(uncovered);
            }
        }
    }
    QTreeView::paintEvent(event);
}

void CEventListCtrl::focusInEvent(QFocusEvent *event)
{
    QTreeView::focusInEvent(event);
    RepaintSelectedRows();
}

void CEventListCtrl::focusOutEvent(QFocusEvent *event)
{
    QTreeView::focusOutEvent(event);
    RepaintSelectedRows();
}

void CEventListCtrl::RepaintSelectedRows()
{
    // Only the focused row's look depends on the focus: selected rows are
    // highlighted either way.
    const int row = focusedRow();
    if (row < 0)
        return;
    QRect rect = labelRect(row);
    if (!rect.isValid())
        return;
    const QRect cell = visualRect(model()->index(row, model()->columnCount() - 1));
    rect.setRight(std::max(rect.right(), cell.right()));
    if (m_nHighlightMode == HighlightClientWidth)
        rect.setRight(viewport()->rect().right());
    viewport()->repaint(rect);
}

void CEventListCtrl::mouseMoveEvent(QMouseEvent *event)
{
    m_ptLastMouse = event->position().toPoint();
    QTreeView::mouseMoveEvent(event);
}

void CEventListCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeView::mouseDoubleClickEvent(event);
    // The other buttons have other jobs; they neither toggle nor edit.
    if (event->button() == Qt::LeftButton)
        emit doubleClickedList();
}

void CEventListCtrl::keyPressEvent(QKeyEvent *event)
{
    emit keyDown(event->key());
    QTreeView::keyPressEvent(event);
}
