#pragma once

// main() of a benchmark whose subject needs Qt's application object (queued
// calls, the event loop, per-thread Qt state), made before any benchmark runs.

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#define PARLOWEN_QT_BENCHMARK_MAIN()                                           \
    int main(int argc, char **argv)                                            \
    {                                                                          \
        QCoreApplication app(argc, argv);                                      \
        benchmark::Initialize(&argc, argv);                                    \
        if (benchmark::ReportUnrecognizedArguments(argc, argv))                \
            return 1;                                                          \
        benchmark::RunSpecifiedBenchmarks();                                   \
        benchmark::Shutdown();                                                 \
        return 0;                                                              \
    }
