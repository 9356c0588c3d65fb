// The queue view at scale (offscreen): a million queued entries scrolled from top to bottom,
// and a 20,000-file folder tree scanned with the per-file view update, against the bare scan
// and `find DIR -type f | wc -l`.
#include "app/app_form.h"
#include "qt_bench_main.h"
#include "queue/icon_source.h"
#include "queue/intake.h"
#include "queue/queue_model.h"
#include "support/fake_clock.h"
#include "support/recording_dialogs.h"
#include "support/recording_file_dialogs.h"
#include "support/recording_shell.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace pixmorrow;

struct Services {
    testing::RecordingDialogs dialogs;
    testing::RecordingFileDialogs fileDialogs;
    testing::RecordingShell shell;
    testing::FakeClock clock;
    DesktopIconSource icons;
    AppServices app{dialogs,          fileDialogs, shell, clock, QStringLiteral("/nonexistent"),
                    QDir::tempPath(), {},          &icons};
};

// The main window over those services, `queued` made-up photos in its queue, shown at
// 800 x 600.
struct ShownWindow {
    explicit ShownWindow(int queued = 0) {
        for (int i = 0; i < queued; ++i)
            form.imageQueue().append(QStringLiteral("/home/user/Pictures/IMG_%1.jpg").arg(i));
        form.resize(800, 600);
        form.show();
    }
    Services services;
    TAppForm form{services.app};
};

void BM_ScrollMillionRows(benchmark::State& state) {
    ShownWindow window(1'000'000);
    TAppForm& form = window.form;
    QElapsedTimer t;
    t.start();
    form.updateQueueView();
    state.counters["fill_ms"] = static_cast<double>(t.elapsed());
    QScrollBar* bar = form.ListView1->verticalScrollBar();
    int pages = 0;
    for (auto _ : state) {
        bar->setValue(0);
        while (bar->value() < bar->maximum()) {
            bar->setValue(bar->value() + bar->pageStep() * 500);  // a drag of the thumb
            form.ListView1->viewport()->repaint();
            ++pages;
        }
    }
    state.counters["repaints"] = benchmark::Counter(pages, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ScrollMillionRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PageThroughMillionRows(benchmark::State& state) {
    ShownWindow window(1'000'000);
    TAppForm& form = window.form;
    form.updateQueueView();
    QScrollBar* bar = form.ListView1->verticalScrollBar();
    for (auto _ : state) {
        // One page repaint at a random place: the cost of a scroll step anywhere in the queue.
        bar->setValue(static_cast<int>(std::rand() % (bar->maximum() + 1)));
        form.ListView1->viewport()->repaint();
    }
}
BENCHMARK(BM_PageThroughMillionRows)->Unit(benchmark::kMicrosecond);

QString makeTree(QTemporaryDir& dir, int folders, int filesPerFolder) {
    for (int d = 0; d < folders; ++d) {
        const QString folder = dir.filePath(QStringLiteral("set%1/sub%2").arg(d % 10).arg(d));
        QDir().mkpath(folder);
        for (int f = 0; f < filesPerFolder; ++f) {
            QFile file(folder + QStringLiteral("/photo_%1.jpg").arg(f));
            (void)file.open(QIODevice::WriteOnly);
        }
    }
    return dir.path();
}

void BM_ScanTwentyThousandBare(benchmark::State& state) {
    QTemporaryDir dir;
    const QString root = makeTree(dir, 200, 100);
    for (auto _ : state) {
        ImageQueue q;
        Intake intake(q, {[] { return true; }, nullptr});
        intake.AddAllFilesInDir(root);
        benchmark::DoNotOptimize(q.size());
    }
}
BENCHMARK(BM_ScanTwentyThousandBare)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ScanTwentyThousandWithViewUpdates(benchmark::State& state) {
    QTemporaryDir dir;
    const QString root = makeTree(dir, 200, 100);
    ShownWindow window;
    TAppForm& form = window.form;
    for (auto _ : state) {
        form.ButtonClearClick();
        form.intake().AddMyFolder(root);
        benchmark::DoNotOptimize(form.imageQueue().size());
    }
}
BENCHMARK(BM_ScanTwentyThousandWithViewUpdates)->Unit(benchmark::kMillisecond)->Iterations(3);

// The parts of the per-file view update, one at a time, on a 2,000-file tree.
void BM_ScanPart(benchmark::State& state) {
    QTemporaryDir dir;
    const QString root = makeTree(dir, 20, 100);
    ShownWindow window;
    TAppForm& form = window.form;
    const int part = static_cast<int>(state.range(0));
    for (auto _ : state) {
        form.ButtonClearClick();
        Intake intake(form.imageQueue(), {[] { return true; },
                                          [&] {
                                              if (part == 0)
                                                  form.queueModel()->syncRowCount();
                                              if (part == 1)
                                                  form.KacItemVarGuncelle();
                                              if (part == 2)
                                                  QCoreApplication::processEvents();
                                              if (part == 3) {
                                                  form.queueModel()->syncRowCount();
                                                  QCoreApplication::processEvents();
                                              }
                                              if (part == 4) {
                                                  form.KacItemVarGuncelle();
                                                  QCoreApplication::processEvents();
                                              }
                                          }});
        intake.AddAllFilesInDir(root);
        form.updateQueueView();
    }
    static const char* names[] = {"row count", "caption", "event pass", "row count + event pass",
                                  "caption + event pass"};
    state.SetLabel(names[part]);
}
BENCHMARK(BM_ScanPart)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

void BM_FindTwentyThousand(benchmark::State& state) {
    QTemporaryDir dir;
    const QString root = makeTree(dir, 200, 100);
    const QByteArray command = "find '" + root.toLocal8Bit() + "' -type f | wc -l > /dev/null";
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::system(command.constData()));
    }
}
BENCHMARK(BM_FindTwentyThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
