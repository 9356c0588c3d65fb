// One tick of the about window's animation (offscreen): the drop logic alone, and the whole
// tick of the window, which paints the changed cells into its background and asks for
// their repaint. A tick runs every 50 ms; both must stay far below that.
#include "about/about_box.h"
#include "about/matrix_rain.h"
#include "qt_bench_main.h"
#include "support/fake_clock.h"
#include "support/recording_dialogs.h"
#include "support/recording_shell.h"

#include <QApplication>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

using namespace pixmorrow;

class NullSurface final : public RainSurface {
public:
    void clearSurface() override {}
    void eraseCell(int, int) override { ++cells; }
    void drawCell(int, int, QChar, QRgb) override { ++cells; }
    long cells = 0;
};

// The drop logic for a window of the given width: 446 is the about window, 8 * 2500
// columns fill the 5000-drop table.
void BM_RainStepLogic(benchmark::State& state) {
    SystemRainRandom random;
    NullSurface surface;
    MatrixRain rain(random, surface);
    rain.StartRain(static_cast<int>(state.range(0)), 374);
    for (auto _ : state)
        rain.RainStep();
    state.counters["drops"] = static_cast<double>(rain.drops().size());
}
BENCHMARK(BM_RainStepLogic)->Arg(446)->Arg(8 * 2500)->Unit(benchmark::kMicrosecond);

// A whole tick of the shown window, the repaint it causes included.
void BM_AboutBoxTick(benchmark::State& state) {
    testing::RecordingDialogs dialogs;
    testing::RecordingShell shell;
    testing::FakeClock clock;
    TAboutBox box(dialogs, shell, clock, QString());
    box.tmTimer->stop();
    box.show();
    QApplication::processEvents();
    for (auto _ : state) {
        box.tmTimerTimer();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_AboutBoxTick)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
