#include "outerminimumsize.h"
#include "testmain.h"

#include <QWidget>

// The frame a window manager puts around a window is known only once it has
// framed the window, and can change afterwards; the outer limit follows it.
class TestOuterMinimumSize : public QObject
{
    Q_OBJECT

private slots:
    void followsTheFrameOnceKnownAndWhenItChanges()
    {
        QWidget window;
        QSize frame(0, 0);
        new OuterMinimumSize(&window, QSize(600, 370), [&frame](const QWidget &) { return frame; });
        window.resize(800, 500);
        // Nothing is known before the first showing.
        QCOMPARE(window.minimumSize(), QSize(0, 0));

        // Shown before the window manager has framed it.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.minimumSize(), QSize(600, 370));

        // Framed: the window manager moves the window into its frame.
        frame = QSize(10, 38);
        window.move(window.pos() + QPoint(5, 19));
        QTRY_COMPARE(window.minimumSize(), QSize(590, 332));

        // Maximised without a frame, and restored with it again.
        frame = QSize(0, 0);
        window.showMaximized();
        QTRY_COMPARE(window.minimumSize(), QSize(600, 370));
        frame = QSize(10, 38);
        window.showNormal();
        QTRY_COMPARE(window.minimumSize(), QSize(590, 332));
    }

    void theRealFrameLeavesTheOuterSize()
    {
        QWidget window;
        new OuterMinimumSize(&window, QSize(600, 370));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.resize(100, 100);
        QTRY_COMPARE(window.frameGeometry().size(), QSize(600, 370));
    }
};

PARLOWEN_TEST_MAIN(TestOuterMinimumSize)
#include "tst_outerminimumsize.moc"
