#pragma once

// The entry of the benchmarks that need widgets: offscreen unless a platform is chosen, the
// application made before the first benchmark.

#include <QApplication>
#include <QByteArray>

#include <benchmark/benchmark.h>

inline int runWidgetBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
