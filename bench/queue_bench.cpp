// Queue operations at the scale of a huge drop: a million paths appended, every second one
// deleted (the Delete command with half the rows selected).
#include "queue/image_queue.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using pixmorrow::ImageQueue;

std::vector<QString> paths(std::size_t n) {
    std::vector<QString> out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(QStringLiteral("/home/user/Pictures/holiday/IMG_%1.jpg").arg(i));
    return out;
}

// Fills a queue outside the timed part of a round.
void appendAll(ImageQueue& queue, const std::vector<QString>& names) {
    for (const QString& p : names)
        queue.append(p);
}

void BM_AppendMillion(benchmark::State& state) {
    const auto names = paths(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        ImageQueue q;
        for (const QString& p : names)
            q.append(p);
        benchmark::DoNotOptimize(q.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendMillion)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_DeleteEverySecond(benchmark::State& state) {
    const auto names = paths(static_cast<std::size_t>(state.range(0)));
    std::vector<std::size_t> rows;
    for (std::size_t i = 1; i < names.size(); i += 2)
        rows.push_back(i);
    for (auto _ : state) {
        state.PauseTiming();
        ImageQueue q;
        appendAll(q, names);
        state.ResumeTiming();
        q.removeRows(rows);
        benchmark::DoNotOptimize(q.size());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rows.size()));
}
BENCHMARK(BM_DeleteEverySecond)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The one-at-a-time removal, walking down from the end, for comparison at a size it can do.
void BM_DeleteEverySecondOneByOne(benchmark::State& state) {
    const auto names = paths(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        ImageQueue q;
        appendAll(q, names);
        state.ResumeTiming();
        for (std::size_t i = names.size(); i-- > 0;) {
            if (i % 2 == 1)
                q.removeAt(i);
        }
        benchmark::DoNotOptimize(q.size());
    }
}
BENCHMARK(BM_DeleteEverySecondOneByOne)->Arg(20'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
