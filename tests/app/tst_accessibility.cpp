// Every control of the program's windows has a name that screen readers and
// UI-testing tools can find it by: its label, its caption or a name of its
// own where neither exists.

#include "aboutdlg.h"
#include "eventdlg.h"
#include "programdirectory.h"
#include "schedulerdlg.h"
#include "testmain.h"

#include <QAccessible>
#include <QGroupBox>

namespace {

// The widgets the program made itself; Qt's own parts of a composite
// control (a view's scroll bars, a spin box's inner edit) are named
// "qt_..." and speak through the control they belong to.
QStringList unnamedControls(QWidget &window)
{
    QStringList unnamed;
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(QStringLiteral("qt_"))
            || widget->metaObject() == &QWidget::staticMetaObject)
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QStringLiteral("%1 (%2)").arg(name, widget->metaObject()->className());
    }
    return unnamed;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_programDir.isValid());
        SetProgramDirectoryForTesting(m_programDir.path());
    }

    void everyControlHasAName_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("main window") << "main";
        QTest::newRow("About box") << "about";
        QTest::newRow("event editor") << "editor";
    }

    void everyControlHasAName()
    {
        QFETCH(QString, window);
        std::unique_ptr<QDialog> dialog;
        if (window == "main")
            dialog = std::make_unique<CSchedulerDlg>();
        else if (window == "about")
            dialog = std::make_unique<CAboutDlg>();
        else
            dialog = std::make_unique<CEventDlg>();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QCOMPARE(unnamedControls(*dialog), QStringList());
    }

    void namesFollowTheLabels()
    {
        CSchedulerDlg dlg;
        auto *pause = dlg.findChild<QWidget *>(QStringLiteral("editPause"));
        QCOMPARE(QAccessible::queryAccessibleInterface(pause)->text(QAccessible::Name),
                 QStringLiteral("Pause between repetitions (sec)"));
        auto *start = dlg.findChild<QWidget *>(QStringLiteral("toolbutton32789"));
        QCOMPARE(QAccessible::queryAccessibleInterface(start)->text(QAccessible::Name),
                 QStringLiteral("Start"));
    }

private:
    QTemporaryDir m_programDir;
};

PARLOWEN_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
