#include "testmain.h"
#include "updowncontrol.h"

#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>

namespace {

// An edit and the up-down created right after it, as a dialog template has
// them: the up-down takes the edit as its buddy by itself.
struct UpDownFixture
{
    QWidget window;
    QLineEdit *edit = new QLineEdit(&window);
    UpDownControl *spin = new UpDownControl(&window);
    QSignalSpy edited{spin, &UpDownControl::buddyEdited};

    UpDownFixture(int minimum, int maximum, const QString &text)
    {
        edit->setGeometry(10, 10, 50, 23);
        spin->setGeometry(100, 100, 16, 23);
        spin->setRange(minimum, maximum);
        edit->setText(text);
        window.resize(200, 150);
        window.show();
    }

    void clickUp() { QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(8, 3)); }
    void clickDown() { QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(8, spin->height() - 3)); }
};

} // namespace

class TestUpDownControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A locale that groups thousands, which the control must not use.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void takesTheEditBeforeItAndSitsAtItsRightEdge()
    {
        UpDownFixture f(0, 59, "5");
        QCOMPARE(f.spin->buddy(), f.edit);
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QCOMPARE(f.spin->geometry(), QRect(44, 10, 16, 23));
        QCOMPARE(f.edit->geometry(), QRect(10, 10, 34, 23));
    }

    void stepsAndWraps_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("result");
        QTest::newRow("hours up") << 0 << 23 << "7" << true << "8";
        QTest::newRow("hours down") << 0 << 23 << "7" << false << "6";
        QTest::newRow("hours wrap up") << 0 << 23 << "23" << true << "0";
        QTest::newRow("hours wrap down") << 0 << 23 << "0" << false << "23";
        QTest::newRow("count wrap up") << 1 << 9999 << "9999" << true << "1";
        QTest::newRow("count wrap down") << 1 << 9999 << "1" << false << "9999";
        QTest::newRow("no group separator") << 1 << 9999 << "999" << true << "1000";
        QTest::newRow("typed above the range, up") << 0 << 59 << "75" << true << "0";
        // Towards the range, the first step lands on its nearer end.
        QTest::newRow("typed above the range, down") << 0 << 59 << "75" << false << "59";
        QTest::newRow("below the range, up") << 1 << 9999 << "0" << true << "1";
        QTest::newRow("typed below the range, down") << 1 << 9999 << "0" << false << "9999";
        QTest::newRow("leading zero") << 0 << 59 << "05" << true << "6";
        QTest::newRow("empty starts from the range's start") << 1 << 9999 << "" << true << "2";
    }

    void stepsAndWraps()
    {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(QString, text);
        QFETCH(bool, up);
        QFETCH(QString, result);
        UpDownFixture f(minimum, maximum, text);
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        up ? f.clickUp() : f.clickDown();
        QCOMPARE(f.edit->text(), result);
        // A step is the user's change of the edit, reported once.
        QCOMPARE(f.edited.count(), 1);
        QCOMPARE(f.edited.at(0).at(0).toString(), result);
    }

    void arrowKeysInTheEditStep()
    {
        UpDownFixture f(0, 59, "58");
        f.edit->setFocus();
        QTest::keyClick(f.edit, Qt::Key_Up);
        QTest::keyClick(f.edit, Qt::Key_Up);
        QCOMPARE(f.edit->text(), QStringLiteral("0"));
        QTest::keyClick(f.edit, Qt::Key_Down);
        QCOMPARE(f.edit->text(), QStringLiteral("59"));
        QCOMPARE(f.edited.count(), 3);
    }

    void typedTextStaysAsTyped()
    {
        UpDownFixture f(0, 59, "");
        QTest::keyClicks(f.edit, "75");
        f.edit->setText("123456");
        QCOMPARE(f.edit->text(), QStringLiteral("123456"));
        QCOMPARE(f.edited.count(), 0);
    }

    void holdingAnArrowRepeats()
    {
        UpDownFixture f(0, 9999, "0");
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTest::mousePress(f.spin, Qt::LeftButton, {}, QPoint(8, 3));
        QTRY_VERIFY_WITH_TIMEOUT(f.edited.count() >= 3, 5000);
        QTest::mouseRelease(f.spin, Qt::LeftButton, {}, QPoint(8, 3));
        const int steps = f.edited.count();
        QCOMPARE(f.edit->text(), QString::number(steps));
        QTest::qWait(200);
        QCOMPARE(f.edited.count(), steps);
    }
};

PARLOWEN_TEST_MAIN(TestUpDownControl)
#include "tst_updowncontrol.moc"
