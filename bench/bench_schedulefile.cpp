// Saving and loading a schedule of 100,000 events, each beside the time it
// takes just to read the same file's bytes in one pass.
#include "eventtable.h"
#include "schedulefile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Records = 100000;

void fillTable(EventTable &table)
{
    QList<EventRow> rows;
    rows.reserve(Records);
    for (int i = 0; i < Records; ++i) {
        EventRow row;
        row.cells = {QStringLiteral("Event %1").arg(i),
                     QStringLiteral("/home/user/sounds/reminder%1.wav").arg(i % 10),
                     QStringLiteral("00:%1:%2").arg(i / 60 % 60, 2, 10, QChar(u'0')).arg(i % 60, 2, 10, QChar(u'0')),
                     QStringLiteral("01:00:00"), QStringLiteral("3*"), QStringLiteral("00:00:12")};
        row.image = i % 7 == 0 ? EventTable::DisabledImage : EventTable::EnabledImage;
        rows.append(row);
    }
    table.insertAtTop(rows);
}

struct Fixture
{
    Fixture()
    {
        fillTable(table);
        path = dir.filePath(QStringLiteral("large.sked"));
        if (!ScheduleFile::Save(table, path).saved)
            throw std::runtime_error("cannot write the benchmark's schedule");
        size = QFile(path).size();
    }
    QTemporaryDir dir;
    EventTable table;
    QString path;
    qint64 size = 0;
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_ReadFileBytes(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        QFile file(f.path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}

void BM_LoadSchedule(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        EventTable table;
        table.insertAtTop(ScheduleFile::Load(f.path, {QStringLiteral("/prog/")}).rows);
        if (table.rowCount() != Records)
            state.SkipWithError("wrong row count");
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}

void BM_SaveSchedule(benchmark::State &state)
{
    Fixture &f = fixture();
    const QString path = f.dir.filePath(QStringLiteral("saved.sked"));
    for (auto _ : state) {
        if (!ScheduleFile::Save(f.table, path).saved)
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}

} // namespace

BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSchedule)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSchedule)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
