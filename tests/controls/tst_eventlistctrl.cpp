#include "eventlistctrl.h"
#include "eventtable.h"
#include "testmain.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QVBoxLayout>

namespace {

const QColor LightGreen = QColor::fromRgb(CEventListCtrl::EvenRowColor);
const QColor White = QColor::fromRgb(CEventListCtrl::OddRowColor);

// A list as the main window sets it up, with a second widget to take the
// focus away from it.
struct ListFixture
{
    QWidget window;
    EventTable table;
    CEventListCtrl *list = new CEventListCtrl;
    QLineEdit *other = new QLineEdit;

    explicit ListFixture(int rows = 3)
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(list);
        layout->addWidget(other);
        list->setModel(&table);
        QPixmap strip(40, 20);
        strip.fill(Qt::white);
        {
            QPainter p(&strip);
            p.fillRect(4, 4, 12, 12, Qt::darkGreen);
            p.fillRect(24, 4, 12, 12, Qt::darkRed);
        }
        strip.setMask(strip.createMaskFromColor(Qt::white));
        list->setImageStrip(strip);
        list->SetHighlightMode(CEventListCtrl::HighlightColumns);
        QPalette palette = list->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Highlight, QColor(0, 0, 160));
        palette.setColor(QPalette::HighlightedText, Qt::white);
        list->setPalette(palette);
        for (int r = rows - 1; r >= 0; --r)
            table.insertAtTop(QStringLiteral("Event %1").arg(r));
        for (int c = 0; c < EventTable::ColumnCount; ++c)
            list->setColumnWidth(c, 100);
        window.resize(760, 240);
        window.show();
        // The list would draw its focus frame over the pixels the tests read.
        other->setFocus();
    }

    QImage render() const
    {
        QCoreApplication::processEvents();
        return list->viewport()->grab().toImage();
    }

    int rowY(int row) const { return list->visualRect(table.index(row, 0)).center().y(); }
    QRect cell(int row, int column) const { return list->visualRect(table.index(row, column)); }
    QColor highlight() const { return list->palette().color(QPalette::Highlight); }
};

// True when every pixel of the rectangle has the colour.
bool allPixels(const QImage &image, const QRect &rect, const QColor &color)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y) != color)
                return false;
    return true;
}

} // namespace

class TestEventListCtrl : public QObject
{
    Q_OBJECT

private slots:
    void rowsAreTintedFromTheLabelToTheLastColumn()
    {
        ListFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        const QImage image = f.render();
        const int labelLeft = f.list->labelRect(0).left();
        const int lastRight = f.cell(0, 5).right();

        QCOMPARE(image.pixelColor(labelLeft, f.rowY(0)), LightGreen);
        QCOMPARE(image.pixelColor(lastRight, f.rowY(0)), LightGreen);
        QCOMPARE(image.pixelColor(labelLeft, f.rowY(1)), White);
        QCOMPARE(image.pixelColor(lastRight, f.rowY(1)), White);
        QCOMPARE(image.pixelColor(labelLeft, f.rowY(2)), LightGreen);
        // Left of the label the list's own background shows, not the tint.
        QCOMPARE(image.pixelColor(0, f.rowY(0)), White);
        // Right of the last column nothing is drawn in this mode.
        QCOMPARE(image.pixelColor(lastRight + 20, f.rowY(0)), White);
    }

    void selectedRowIsHighlightedAcrossAllColumns_data()
    {
        QTest::addColumn<bool>("listHasFocus");
        QTest::newRow("with focus") << true;
        QTest::newRow("without focus") << false;
    }

    void selectedRowIsHighlightedAcrossAllColumns()
    {
        QFETCH(bool, listHasFocus);
        ListFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.list->selectionModel()->select(f.table.index(0, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        (listHasFocus ? static_cast<QWidget *>(f.list) : f.other)->setFocus();
        const QImage image = f.render();
        for (int c = 0; c < EventTable::ColumnCount; ++c) {
            const QRect cell = f.cell(0, c);
            QCOMPARE(image.pixelColor(cell.right() - 1, cell.top() + 1), f.highlight());
        }
        QCOMPARE(image.pixelColor(f.list->labelRect(0).left(), f.rowY(0)), f.highlight());
        QCOMPARE(image.pixelColor(f.list->labelRect(0).left(), f.rowY(1)), White);
    }

    void selectedRowImageIsBlended()
    {
        ListFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        const QPoint imagePixel(2 + 10, f.rowY(0));
        const QColor plain = f.render().pixelColor(imagePixel);
        QCOMPARE(plain, QColor(Qt::darkGreen));
        f.list->selectionModel()->select(f.table.index(0, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QColor blended = f.render().pixelColor(imagePixel);
        QVERIFY(blended != plain);
        QVERIFY(blended.blue() > plain.blue());

        f.table.setImageIndex(1, EventTable::DisabledImage);
        QCOMPARE(f.render().pixelColor(2 + 10, f.rowY(1)), QColor(Qt::darkRed));
    }

    void longTextsStayInsideTheirColumns()
    {
        ListFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        const QString longText(200, u'W');
        f.table.setText(0, EventTable::EventName, longText);
        f.table.setText(0, EventTable::WaveFile, QString());
        f.table.setText(1, EventTable::WaveFile, longText);
        const QImage image = f.render();

        // Nothing of the long name reaches the empty second column, nothing of
        // the long path the empty third one.
        const QRect second = f.cell(0, 1).adjusted(0, 1, 0, -1);
        QVERIFY(allPixels(image, second, LightGreen));
        const QRect third = f.cell(1, 2).adjusted(0, 1, 0, -1);
        QVERIFY(allPixels(image, third, White));
        // But the column itself shows text up to near its right margin,
        // which the ellipsis ends.
        const QRect pathCell = f.cell(1, 1);
        bool inked = false;
        for (int x = pathCell.right() - 30; x < pathCell.right(); ++x)
            for (int y = pathCell.top(); y <= pathCell.bottom(); ++y)
                inked = inked || image.pixelColor(x, y) != White;
        QVERIFY(inked);
    }

    void columnAlignmentPlacesTexts_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("inkOnTheRight");
        QTest::newRow("left") << 3 << int(Qt::AlignLeft) << false;
        QTest::newRow("right") << 3 << int(Qt::AlignRight) << true;
        QTest::newRow("first column is always left") << 0 << int(Qt::AlignRight) << false;
    }

    void columnAlignmentPlacesTexts()
    {
        QFETCH(int, column);
        QFETCH(int, alignment);
        QFETCH(bool, inkOnTheRight);
        ListFixture f(2);
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.list->setColumnAlignment(column, Qt::Alignment(alignment));
        f.table.setText(1, column, QStringLiteral("I"));
        const QImage image = f.render();
        const QRect cell = f.cell(1, column);
        const QRect rightHalf(cell.center().x(), cell.top(), cell.width() / 2, cell.height());
        QCOMPARE(!allPixels(image, rightHalf, White), inkOnTheRight);
    }

    void highlightModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("pastTextHighlighted");
        QTest::addColumn<bool>("lastColumnHighlighted");
        QTest::addColumn<bool>("pastColumnsHighlighted");
        QTest::newRow("label") << 0 << false << false << false;
        QTest::newRow("columns") << 1 << true << true << false;
        QTest::newRow("client width") << 2 << true << true << true;
    }

    void highlightModes()
    {
        QFETCH(int, mode);
        QFETCH(bool, pastTextHighlighted);
        QFETCH(bool, lastColumnHighlighted);
        QFETCH(bool, pastColumnsHighlighted);
        ListFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.table.setText(0, EventTable::EventName, QStringLiteral("ab"));
        f.list->SetHighlightMode(mode);
        f.list->selectionModel()->select(f.table.index(0, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QImage image = f.render();
        const int y = f.rowY(0);
        const int labelLeft = f.list->labelRect(0).left();
        QCOMPARE(image.pixelColor(labelLeft, y), f.highlight());
        QCOMPARE(image.pixelColor(labelLeft + 60, y) == f.highlight(), pastTextHighlighted);
        QCOMPARE(image.pixelColor(f.cell(0, 5).right() - 1, y) == f.highlight(), lastColumnHighlighted);
        QCOMPARE(image.pixelColor(f.cell(0, 5).right() + 20, y) == f.highlight(), pastColumnsHighlighted);
    }

    // What the window shows, as its last repaints left it (a grab of the
    // widget would paint everything anew).
    void shownStripFollowsASelectionInClientWidthMode()
    {
        ListFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.list->SetHighlightMode(CEventListCtrl::HighlightClientWidth);
        QCoreApplication::processEvents();
        const QRect last = f.cell(1, 5);
        const QPoint inStrip = f.list->viewport()->mapTo(&f.window, QPoint(last.right() + 20, f.rowY(1)));
        auto shown = [&] {
            return f.window.screen()->grabWindow(f.window.winId()).toImage().pixelColor(inStrip);
        };
        QTRY_COMPARE(shown(), White);

        // The view repaints only the cells of the row it selects.
        f.list->selectionModel()->select(f.table.index(1, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTRY_COMPARE(shown(), f.highlight());
        f.list->selectionModel()->clearSelection();
        QTRY_COMPARE(shown(), White);

        // The widening does not feed itself: the list comes to rest.
        int paints = 0;
        struct Counter : QObject
        {
            int *count;
            explicit Counter(int *c) : count(c) {}
            bool eventFilter(QObject *, QEvent *event) override
            {
                *count += event->type() == QEvent::Paint;
                return false;
            }
        } counter(&paints);
        f.list->viewport()->installEventFilter(&counter);
        QTest::qWait(200);
        QCOMPARE(paints, 0);
    }

    // Under a dark colour scheme the theme's text is light; on the rows'
    // fixed light fills the text is dark all the same, and a selected row
    // keeps the theme's selection colours.
    void rowTextStaysReadableUnderADarkScheme_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("columns") << int(CEventListCtrl::HighlightColumns);
        QTest::newRow("label") << int(CEventListCtrl::HighlightLabel);
    }

    void rowTextStaysReadableUnderADarkScheme()
    {
        QFETCH(int, mode);
        ListFixture f;
        QPalette dark = f.list->palette();
        dark.setColor(QPalette::Window, QColor(0x31, 0x36, 0x3b));
        dark.setColor(QPalette::WindowText, QColor(0xfc, 0xfc, 0xfc));
        dark.setColor(QPalette::Text, QColor(0xfc, 0xfc, 0xfc));
        dark.setColor(QPalette::Base, Qt::white); // as the main window sets it
        dark.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
        dark.setColor(QPalette::HighlightedText, QColor(0xfc, 0xfc, 0xfc));
        f.list->setPalette(dark);
        f.list->SetHighlightMode(mode);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < EventTable::ColumnCount; ++c)
                f.table.setText(r, c, QStringLiteral("MMMMMM"));
        f.list->selectionModel()->select(f.table.index(2, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        const QImage image = f.render();

        // The darkest and the lightest pixel of a cell's text (the first
        // column's without the image).
        auto extremes = [&](int row, int column) {
            int darkest = 255, lightest = 0;
            const QRect cell = (column == 0 ? f.list->labelRect(row) : f.cell(row, column)).adjusted(4, 2, -4, -2);
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    const int l = image.pixelColor(x, y).lightness();
                    darkest = std::min(darkest, l);
                    lightest = std::max(lightest, l);
                }
            return std::pair{darkest, lightest};
        };
        for (int row : {0, 1})
            for (int column : {0, 3})
                QVERIFY2(extremes(row, column).first < 80,
                         qPrintable(QStringLiteral("row %1 column %2").arg(row).arg(column)));
        // The selected row: light text on the theme's highlight.
        QCOMPARE(image.pixelColor(f.list->labelRect(2).left(), f.rowY(2)), dark.color(QPalette::Highlight));
        QVERIFY(extremes(2, 0).second > 240);
        QVERIFY(extremes(2, 0).first >= dark.color(QPalette::Highlight).lightness() - 10);
        if (mode == CEventListCtrl::HighlightColumns)
            QVERIFY(extremes(2, 3).second > 240);
        else
            QVERIFY(extremes(2, 3).first < 80); // the normal look right of the label
    }

    void setHighlightModeRefusesValuesAboveTwo()
    {
        ListFixture f;
        QCOMPARE(f.list->SetHighlightMode(3), 1);
        QCOMPARE(f.list->highlightMode(), 1);
        QCOMPARE(f.list->SetHighlightMode(0), 1);
        QCOMPARE(f.list->SetHighlightMode(2), 0);
        QCOMPARE(f.list->highlightMode(), 2);
    }

    void focusChangeRepaintsTheFocusedRow()
    {
        ListFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.list->setFocusedRow(1);
        f.other->setFocus();
        const QImage without = f.render();
        f.list->setFocus();
        QTRY_VERIFY(f.list->hasFocus());
        const QImage with = f.render();
        // The focus rectangle shows on the focused row only, and only while
        // the list has the focus.
        const QRect row1 = f.cell(1, 0).united(f.cell(1, 5));
        const QRect row0 = f.cell(0, 0).united(f.cell(0, 5));
        QVERIFY(with.copy(row1) != without.copy(row1));
        QCOMPARE(with.copy(row0), without.copy(row0));
    }

    void remembersTheLastMousePosition()
    {
        ListFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTest::mouseMove(f.list->viewport(), QPoint(22, f.rowY(1)));
        QTRY_COMPARE(f.list->m_ptLastMouse, QPoint(22, f.rowY(1)));
        QTest::mouseMove(f.list->viewport(), QPoint(140, f.rowY(0)));
        QTRY_COMPARE(f.list->m_ptLastMouse, QPoint(140, f.rowY(0)));
    }

    void reportsDoubleClicksAndKeys()
    {
        ListFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QSignalSpy doubleClicks(f.list, &CEventListCtrl::doubleClickedList);
        QSignalSpy keys(f.list, &CEventListCtrl::keyDown);
        QTest::mouseDClick(f.list->viewport(), Qt::LeftButton, {}, QPoint(150, f.rowY(0)));
        // Below the last row too: the handler decides by the focused row.
        QTest::mouseDClick(f.list->viewport(), Qt::LeftButton, {}, QPoint(150, f.list->viewport()->height() - 2));
        QCOMPARE(doubleClicks.count(), 2);
        f.list->setFocus();
        QTest::keyClick(f.list, Qt::Key_Insert);
        QTest::keyClick(f.list, Qt::Key_Delete);
        QCOMPARE(keys.count(), 2);
        QCOMPARE(keys.at(0).at(0).toInt(), int(Qt::Key_Insert));
        QCOMPARE(keys.at(1).at(0).toInt(), int(Qt::Key_Delete));
    }

    void focusedAndSelectedRows()
    {
        ListFixture f(5);
        QCOMPARE(f.list->focusedRow(), -1);
        f.list->setFocusedRow(3);
        QCOMPARE(f.list->focusedRow(), 3);
        QVERIFY(f.list->selectedRows().isEmpty());
        for (int r : {4, 0, 2})
            f.list->selectionModel()->select(f.table.index(r, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(f.list->selectedRows(), (QList<int>{0, 2, 4}));
    }
};

PARLOWEN_TEST_MAIN(TestEventListCtrl)
#include "tst_eventlistctrl.moc"
