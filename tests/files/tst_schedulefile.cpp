#include "eventtable.h"
#include "schedulefile.h"
#include "testmain.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QStringList ProgramDir{QStringLiteral("/prog/")};

// A row as one text, for readable comparisons:
// name|image|wave|start in|interval|repetition|length
QString describe(const EventRow &row)
{
    QStringList parts{row.cells[0], QString::number(row.image)};
    for (int c = 1; c < 6; ++c)
        parts << row.cells[c];
    return parts.join(u'|');
}

QStringList describe(const QList<EventRow> &rows)
{
    QStringList out;
    for (const EventRow &row : rows)
        out << describe(row);
    return out;
}

EventRow makeRow(const QString &description)
{
    const QStringList parts = description.split(u'|');
    EventRow row;
    row.cells[0] = parts.at(0);
    row.image = parts.at(1).toInt();
    for (int c = 1; c < 6; ++c)
        row.cells[c] = parts.at(c + 1);
    return row;
}

void fill(EventTable &table, const QStringList &rows)
{
    QList<EventRow> list;
    for (const QString &row : rows)
        list << makeRow(row);
    table.insertAtTop(list);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Passes the first `budget` bytes on to the file, then fails as a full disk
// would.
class FailingDevice : public QIODevice
{
public:
    FailingDevice(QIODevice &target, qint64 budget, qint64 *passedOn)
        : m_target(target)
        , m_budget(budget)
        , m_passedOn(passedOn)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        const qint64 allowed = std::min(size, m_budget);
        if (allowed > 0 && m_target.write(data, allowed) != allowed)
            return -1;
        m_budget -= allowed;
        *m_passedOn += allowed;
        if (allowed < size)
            setErrorString(QStringLiteral("No space left on device"));
        return allowed == 0 ? -1 : allowed;
    }

private:
    QIODevice &m_target;
    qint64 m_budget;
    qint64 *m_passedOn;
};

const QStringList ThreeRows{
    "R1|0|/snd/one.wav|00:12:30|01:00:00|50*|00:05:00",
    "R2|1|/snd/two.wav|00:59:59|01:00:00|2*|00:00:06",
    "R3|0|/snd/three.wav|00:10:00|00:10:00|3*|00:00:09",
};

} // namespace

class TestScheduleFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Relative wave names are looked for in the current folder first.
        QVERIFY(m_cwd.isValid());
        QVERIFY(QDir::setCurrent(m_cwd.path()));
    }

    void loadsFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("empty") << "empty.sked" << true << QStringList();
        QTest::newRow("CR LF, read bottom-up") << "crlf.sked" << true << ThreeRows;
        QTest::newRow("LF") << "lf.sked" << true << ThreeRows;
        QTest::newRow("no final line end") << "no-final-line-end.sked" << true << ThreeRows;
        QTest::newRow("bad third record keeps two")
            << "bad-third-record.sked" << false << ThreeRows.mid(1);
        QTest::newRow("blank line between records") << "blank-line.sked" << false
                                                    << ThreeRows.mid(2);
        // The 300-byte name spills into the fields after it.
        QTest::newRow("300-byte field")
            << "field-300-bytes.sked" << true
            << QStringList{QString(254, u'N') + "|0|/prog/0|/snd/long.wav|00:00:10|00:01:00|1*\t00:00:01"};
        // Each field on its own: valid UTF-8 stays UTF-8, anything else is
        // read as Windows-1252.
        QTest::newRow("Windows-1252 beside UTF-8")
            << "windows-1252.sked" << true
            << QStringList{QString::fromUtf8("Café € break|0|/snd/café.wav|00:00:10|00:01:00|1*|00:00:01"),
                           QString::fromUtf8("Thé €|0|/snd/tea.wav|00:00:10|00:01:00|1*|00:00:01")};
        QTest::newRow("odd values")
            << "odd-values.sked" << true
            << QStringList{"Cut short|1|/snd/cut.wav|00:00:|||",
                           "Share|0|\\\\server\\snd\\gong.wav|00:00:10|00:01:00|5|00:01:00*",
                           "Bell|2|/prog/bell.wav|00:00:10|00:01:00|50*|00:00:40"};
    }

    void loadsFiles()
    {
        QFETCH(QString, file);
        QFETCH(bool, complete);
        QFETCH(QStringList, rows);
        const ScheduleFile::LoadResult result =
            ScheduleFile::Load(QStringLiteral(PARLOWEN_TEST_DATA_DIR "/") + file, ProgramDir);
        QCOMPARE(describe(result.rows), rows);
        QCOMPARE(result.complete, complete);
    }

    void missingFileIsCreatedEmpty()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("new.sked");
        const ScheduleFile::LoadResult result = ScheduleFile::Load(path, ProgramDir);
        QVERIFY(result.complete);
        QVERIFY(result.rows.isEmpty());
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
    }

    void unreadablePathIsIncomplete_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("folder that does not exist") << "missing/a.sked";
        QTest::newRow("a folder") << "folder";
    }

    void unreadablePathIsIncomplete()
    {
        QFETCH(QString, relativePath);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const ScheduleFile::LoadResult result =
            ScheduleFile::Load(dir.filePath(relativePath), ProgramDir);
        QVERIFY(!result.complete);
        QVERIFY(result.rows.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("missing")));
    }

    void resolvesWavePaths_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("path");
        QTest::newRow("relative, not here") << "bell.wav" << "/prog/bell.wav";
        QTest::newRow("relative in a subfolder") << "samples/a.wav" << "/prog/samples/a.wav";
        QTest::newRow("relative, exists here") << "here.wav" << "here.wav";
        QTest::newRow("relative, in the first folder") << "mine.wav" << "<first>mine.wav";
        QTest::newRow("absolute") << "/snd/a.wav" << "/snd/a.wav";
        QTest::newRow("network path") << "\\\\srv\\a.wav" << "\\\\srv\\a.wav";
        QTest::newRow("backslash second") << "C\\a.wav" << "C\\a.wav";
        QTest::newRow("drive letter") << "C:\\a.wav" << "/prog/C:\\a.wav";
        QTest::newRow("one character") << "a" << "/prog/a";
        QTest::newRow("empty") << "" << "/prog/";
    }

    void resolvesWavePaths()
    {
        QFETCH(QString, field);
        QFETCH(QString, path);
        QTemporaryDir first;
        const QString firstDir = first.path() + u'/';
        for (const QString &name : {QStringLiteral("here.wav"), firstDir + "mine.wav"}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(ScheduleFile::ResolveWavePath(field, {firstDir, QStringLiteral("/prog/")}),
                 QString(path).replace(QStringLiteral("<first>"), firstDir));
    }

    void writesTheLayoutByteForByte()
    {
        EventTable table;
        fill(table, {"Tea|0|/snd/tea.wav|00:12:30|01:00:00|3*|00:00:12",
                     "Thé vert|1|/snd/thé.wav|00:00:00|00:30:00|4|00:02:00*",
                     "Odd|2|/snd/odd.wav|||0*|"});
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(ScheduleFile::Write(table, buffer));
        QCOMPARE(buffer.data(),
                 QByteArray("KQ10000\tOdd\t0\t/snd/odd.wav\t\t\t0*\t\r\n"
                            "KQ10000\tTh\xc3\xa9 vert\t1\t/snd/th\xc3\xa9.wav\t00:00:00\t00:30:00\t4\t00:02:00*\r\n"
                            "KQ10000\tTea\t0\t/snd/tea.wav\t00:12:30\t01:00:00\t3*\t00:00:12\r\n"));
    }

    void savesAndLoadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("round.sked");
        EventTable table;
        fill(table, ThreeRows);
        fill(table, {"Thé|2|/snd/thé.wav|00:00:01|00:01:00|1|00:00:05*"});

        const ScheduleFile::SaveResult saved = ScheduleFile::Save(table, path);
        QVERIFY2(saved.saved, qPrintable(saved.error));
        const ScheduleFile::LoadResult loaded = ScheduleFile::Load(path, ProgramDir);
        QVERIFY(loaded.complete);
        // Image index 2 goes out as "0" and so comes back enabled.
        QCOMPARE(describe(loaded.rows),
                 QStringList{"Thé|0|/snd/thé.wav|00:00:01|00:01:00|1|00:00:05*"} + ThreeRows);
    }

    // Fields as long as a field holds are written and read back whole,
    // counted in UTF-8 bytes; one more byte anywhere and nothing is written.
    void fieldsUpToTheLimitRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("full.sked");
        EventTable table;
        // 127 two-byte characters, a 254-byte path, a 254-digit count.
        EventRow row = makeRow("x|0|x|00:00:01|00:01:00|1*|00:00:02");
        row.cells[EventTable::EventName] = QString(127, u'\u00e9');
        row.cells[EventTable::WaveFile] = u'/' + QString(249, u'w') + ".wav";
        row.cells[EventTable::Repetition] = QString(253, u'9') + u'*';
        table.insertAtTop(QList<EventRow>{row, makeRow(ThreeRows[0])});
        const ScheduleFile::SaveResult saved = ScheduleFile::Save(table, path);
        QVERIFY2(saved.saved, qPrintable(saved.error));
        const ScheduleFile::LoadResult loaded = ScheduleFile::Load(path, ProgramDir);
        QVERIFY(loaded.complete);
        QCOMPARE(loaded.rows, (QList<EventRow>{row, makeRow(ThreeRows[0])}));
    }

    void unstorableFieldWritesNothing_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString tea = QStringLiteral("The field \"%1\" of the event \"Tea\" ");
        const QString tooLong = QStringLiteral("is %1 bytes long; a schedule file holds at most 254 bytes in a field.");
        const QString separator = QStringLiteral("holds a TAB or a line break, which a schedule file cannot store.");
        QTest::newRow("255-byte wave path")
            << int(EventTable::WaveFile) << u'/' + QString(250, u'w') + ".wav"
            << tea.arg("Wave file") + tooLong.arg(255);
        QTest::newRow("wave path of 128 two-byte characters")
            << int(EventTable::WaveFile) << QString(128, u'\u00e9')
            << tea.arg("Wave file") + tooLong.arg(256);
        QTest::newRow("long count") << int(EventTable::Repetition) << QString(300, u'9')
                                    << tea.arg("Repetition") + tooLong.arg(300);
        QTest::newRow("long name, shown in part")
            << int(EventTable::EventName) << QString(255, u'N')
            << QStringLiteral("The field \"Event Name\" of the event \"%1...\" ").arg(QString(40, u'N'))
                   + tooLong.arg(255);
        QTest::newRow("TAB in a name") << int(EventTable::EventName) << "Tea\tbreak"
                                       << QStringLiteral("The field \"Event Name\" of the event \"Tea\tbreak\" ") + separator;
        QTest::newRow("line break in a path") << int(EventTable::WaveFile) << "/snd/a\nb.wav"
                                              << tea.arg("Wave file") + separator;
    }

    void unstorableFieldWritesNothing()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath("kept.sked");
        const QByteArray old = contents(QStringLiteral(PARLOWEN_TEST_DATA_DIR "/crlf.sked"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        EventTable table;
        fill(table, ThreeRows);
        fill(table, {"Tea|0|/snd/tea.wav|00:12:30|01:00:00|3*|00:00:12"});
        table.setText(0, column, text);
        bool asked = false;
        const ScheduleFile::SaveResult result = ScheduleFile::Save(table, path, {}, [&] {
            asked = true;
            return QString();
        });
        QVERIFY(!result.saved);
        QCOMPARE(result.error, message);
        QVERIFY(!asked);
        QCOMPARE(contents(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.sked"});
    }

    // The last step before the new file replaces the old one may still stop
    // it; the old file then stays as it was.
    void beforeReplaceCanStopTheSave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("kept.sked");
        const QByteArray old = contents(QStringLiteral(PARLOWEN_TEST_DATA_DIR "/crlf.sked"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        EventTable table;
        fill(table, {"Tea|0|/snd/tea.wav|00:12:30|01:00:00|3*|00:00:12"});
        QByteArray seenThen;
        const ScheduleFile::SaveResult result = ScheduleFile::Save(table, path, {}, [&] {
            seenThen = contents(path);
            return QStringLiteral("not now");
        });
        QVERIFY(!result.saved);
        QCOMPARE(result.error, QStringLiteral("not now"));
        QCOMPARE(seenThen, old);
        QCOMPARE(contents(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.sked"});
    }

    void saveToAnUnwritablePathFails_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("folder that does not exist") << "missing/a.sked";
        QTest::newRow("a folder") << "folder";
    }

    void saveToAnUnwritablePathFails()
    {
        QFETCH(QString, relativePath);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        EventTable table;
        fill(table, ThreeRows);
        const ScheduleFile::SaveResult result = ScheduleFile::Save(table, dir.filePath(relativePath));
        QVERIFY(!result.saved);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"folder"});
        QVERIFY(QDir(dir.filePath("folder")).isEmpty());
    }

    void failedWriteLeavesTheOldFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("kept.sked");
        const QByteArray old = contents(QStringLiteral(PARLOWEN_TEST_DATA_DIR "/crlf.sked"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        // Enough rows that the writer hands over several pieces and the
        // fault strikes after the first has reached the file.
        EventTable table;
        QStringList rows;
        for (int i = 0; i < 3000; ++i)
            rows << QStringLiteral("Event %1|0|/snd/event.wav|00:00:10|00:01:00|1*|00:00:02").arg(i);
        fill(table, rows);

        qint64 passedOn = 0;
        const ScheduleFile::SaveResult result =
            ScheduleFile::Save(table, path, [&](QIODevice &file) {
                return std::make_unique<FailingDevice>(file, 100000, &passedOn);
            });
        QVERIFY(!result.saved);
        QCOMPARE(result.error, QStringLiteral("No space left on device"));
        QCOMPARE(contents(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.sked"});
        QCOMPARE(passedOn, 100000);
    }

    void sampleScheduleNamesItsSounds()
    {
        const QString samples = QStringLiteral(PARLOWEN_SAMPLES_DIR "/");
        const ScheduleFile::LoadResult result = ScheduleFile::Load(samples + "default.sked", {samples});
        QVERIFY(result.complete);
        QCOMPARE(result.rows.size(), 2);
        for (const EventRow &row : result.rows) {
            QVERIFY(row.cells[EventTable::WaveFile].startsWith(samples));
            const QByteArray wave = contents(row.cells[EventTable::WaveFile]);
            // RIFF WAVE, PCM, mono, 16 bits, and short.
            QCOMPARE(wave.left(4), "RIFF");
            QCOMPARE(wave.mid(8, 8), "WAVEfmt ");
            QCOMPARE(wave.mid(20, 4), QByteArray("\x01\x00\x01\x00", 4));
            QCOMPARE(wave.mid(34, 2), QByteArray("\x10\x00", 2));
            QVERIFY(wave.size() < 200 * 1024);
            // It speaks soon after Start.
            QVERIFY(row.cells[EventTable::StartIn] <= QStringLiteral("00:00:30"));
        }
    }

private:
    QTemporaryDir m_cwd;
};

PARLOWEN_TEST_MAIN(TestScheduleFile)
#include "tst_schedulefile.moc"
