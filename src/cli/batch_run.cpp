#include "cli/batch_run.h"

#include "cli/batch_sources.h"
#include "cli/collected_messages.h"
#include "cli/file_report.h"
#include "cli/interrupt_flag.h"
#include "cli/progress_bar.h"
#include "conversion/routes/codec_library.h"
#include "conversion/routes/engine_factory.h"
#include "localization/language.h"
#include "platform/program_paths.h"
#include "platform/tick_clock.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>
#include <utility>

namespace pixmorrow::cli {

namespace {

void writeLine(std::FILE* stream, const QByteArray& line) {
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stream);
    std::fputc('\n', stream);
    // Line by line, so that a pipe or a job runner sees each file as it ends.
    std::fflush(stream);
}

// Prints each file as it ends and keeps the progress line under the output.
class BatchReporter final : public RunReporter {
public:
    BatchReporter(const CliOptions& options, CollectedMessages& messages, TickClock& clock)
        : options_(options), messages_(messages), clock_(clock), bar_(!options.quiet) {}

    void statusText(const QString&) override {}
    void progress(std::int64_t index, std::int64_t count) override {
        if (count == 0) {
            bar_.clear();
            return;
        }
        total_ = count;
        // Later files are drawn as the one before them ends.
        if (index == 1)
            bar_.show(0, count, clock_.tickCount() - start_);
    }
    void focusDestination() override {}
    void showQueuePage() override {}
    void fileFinished(const FileResult& result) override {
        FileReport report{result, messages_.take()};
        if (result.interrupted) {
            // In flight when the run was stopped: whatever the tool said about being stopped
            // would only mislead.
            report.error = TranslateText(QStringLiteral("Interrupted"));
            ++interrupted_;
        }
        if (!report.converted() && report.error.isEmpty())
            report.error = TranslateText(QStringLiteral("No output was written"));
        ++done_;
        print(report);
        bar_.show(done_, total_, clock_.tickCount() - start_);
    }
    bool stopRequested() override { return interrupted(); }

    void start() { start_ = clock_.tickCount(); }
    void print(const FileReport& report) {
        if (!report.converted())
            ++failed_;
        if (options_.quiet && report.converted())
            return;
        bar_.clear();
        writeLine(stdout, options_.json ? fileJson(report) : fileLine(report).toLocal8Bit());
    }
    std::int64_t failed() const { return failed_; }
    // Files told as stopped mid-way; the run's totals do not count them.
    std::int64_t interruptedFiles() const { return interrupted_; }

private:
    const CliOptions& options_;
    CollectedMessages& messages_;
    TickClock& clock_;
    TerminalProgress bar_;
    std::uint32_t start_ = 0;
    std::int64_t total_ = 0;
    std::int64_t done_ = 0;
    std::int64_t failed_ = 0;
    std::int64_t interrupted_ = 0;
};

// The one call into the engine: the whole queue through one run on workers, as Process
// does. An interrupt cancels it as the window's Cancel does: no further file starts, a
// running external tool is stopped, and what was not committed is removed.
std::optional<RunTotals> convertQueue(const BatchSources& sources, const CliOptions& options,
                                      Dialogs& dialogs, BatchReporter& reporter, TickClock& clock,
                                      const QString& intermediates) {
    EngineFactory factory(programFolder());
    RunSettings settings;
    settings.settingsFolder = withTrailingSeparator(intermediates);
    settings.workers = options.jobs;
    ConversionRun run(dialogs, reporter, clock, factory, settings);
    ConversionOptions conversion = options.conversion;
    conversion.scanRoots = sources.scanRoots;
    return run.run(sources.queue, conversion);
}

}  // namespace

int runBatch(const CliOptions& options) {
    const BatchSources sources = collectSources(options.paths, options.recursive);
    CollectedMessages messages;
    SteadyTickClock clock;
    BatchReporter reporter(options, messages, clock);
    reporter.start();
    for (const FileReport& refused : sources.refused)
        reporter.print(refused);

    BatchSummary summary;
    if (!sources.queue.isEmpty()) {
        const QString folder = programFolder();
        if (!loadCodecLibraryAtStart(messages, folder)) {
            writeLine(stderr, ("pixmorrow-convert: " + messages.take()).toLocal8Bit());
            return kNothingConverted;
        }
        // Intermediate files in a folder of this run's own: two runs at once, or a run beside
        // the window, never share one.
        QTemporaryDir intermediates(QDir::tempPath() + QStringLiteral("/pixmorrow-convert-XXXXXX"));
        if (!intermediates.isValid()) {
            writeLine(stderr, ("pixmorrow-convert: " + intermediates.errorString()).toLocal8Bit());
            return kNothingConverted;
        }
        const std::optional<RunTotals> totals =
            convertQueue(sources, options, messages, reporter, clock, intermediates.path());
        if (!totals) {
            // The destination was refused before any file started.
            QString why = messages.take();
            if (options.conversion.destination != kSameFolder)
                why = options.conversion.destination + QStringLiteral(": ") + why;
            writeLine(stderr, ("pixmorrow-convert: " + why).toLocal8Bit());
            return kNothingConverted;
        }
        summary.totals = *totals;
    }
    summary.totals.processedCount +=
        static_cast<std::int64_t>(sources.refused.size()) + reporter.interruptedFiles();
    summary.failed = reporter.failed();
    summary.interrupted = interrupted();
    if (options.json) {
        writeLine(stdout, summaryJson(summary));
    } else if (!options.quiet) {
        writeLine(stderr, summaryLine(summary).toLocal8Bit());
    }
    if (summary.interrupted)
        return kInterrupted;
    return summary.failed > 0 ? kSomeFailed : kAllConverted;
}

}  // namespace pixmorrow::cli
