// One second of the schedule over large tables: how much of the tick period
// the count-down costs per row, beside the bare text work that each row
// needs anyway (parse "Start in", format it back).

#include "countdown.h"
#include "eventtable.h"
#include "playbackengine.h"
#include "qtbenchmarkmain.h"
#include "scheduletick.h"
#include "timetext.h"

#include <QDateTime>

#include <benchmark/benchmark.h>

namespace {

// Far from zero, so that no row fires however long the benchmark runs.
QString startText(int row)
{
    return FormatTimeText(90 + row % 9, row % 60, row % 60);
}

void setPerRowCounters(benchmark::State &state, int rows)
{
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["time_per_row"] = benchmark::Counter(
        double(state.iterations()) * rows, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Tick(benchmark::State &state)
{
    const int rows = int(state.range(0));
    EventTable table;
    QList<EventRow> events;
    events.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        EventRow r;
        r.cells = {QStringLiteral("Event %1").arg(i), QStringLiteral("/sounds/event.wav"),
                   startText(i), QStringLiteral("01:00:00"), QStringLiteral("3*"), QString()};
        events.append(r);
    }
    table.insertAtTop(events);
    PlaybackEngine engine(&table);
    const PlayWindow window{true, QDateTime::currentDateTime().addDays(-1),
                            QDateTime::currentDateTime().addDays(1)};

    for (auto _ : state)
        ScheduleTick(table, engine, window, QDateTime::currentDateTime(), u"2");
    setPerRowCounters(state, rows);
    if (engine.isBusy())
        state.SkipWithError("a row fired");
}

// The baseline: parse and format the same texts, with nothing around it.
void BM_ParseAndFormat(benchmark::State &state)
{
    const int rows = int(state.range(0));
    QStringList texts;
    texts.reserve(rows);
    for (int i = 0; i < rows; ++i)
        texts.append(startText(i));

    for (auto _ : state) {
        for (QString &text : texts) {
            TimeParts t = ParseTimeText(text);
            CountDownOneSecond(t);
            text = FormatTimeText(t);
        }
        benchmark::DoNotOptimize(texts.data());
    }
    setPerRowCounters(state, rows);
}

} // namespace

BENCHMARK(BM_Tick)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseAndFormat)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

PARLOWEN_QT_BENCHMARK_MAIN()
