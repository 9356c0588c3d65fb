#include "conversion/run/conversion_run.h"

#include "conversion/format_table.h"
#include "conversion/routes/file_converter.h"
#include "conversion/run/cancel_token.h"
#include "conversion/run/converter_factory.h"
#include "conversion/run/held_dialogs.h"
#include "conversion/run/memory_budget.h"
#include "conversion/run/output_commit.h"
#include "conversion/run/output_folder.h"
#include "conversion/run/run_folder.h"
#include "conversion/run/run_texts.h"
#include "conversion/run/shown_names.h"
#include "formats/readers.h"
#include "localization/language.h"
#include "platform/absolute_path.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/program_paths.h"
#include "platform/tick_clock.h"
#include "platform/writable_folder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace pixmorrow {

QString RunTotals::processedText() const {
    return QString::number(processedCount);
}

QString RunTotals::elapsedText() const {
    return pixmorrow::elapsedText(elapsedMilliseconds);
}

QString RunTotals::diskSpaceCaption() const {
    return inputTotal - outputTotal < 0 ? QStringLiteral("Increased Disk Space:")
                                        : QStringLiteral("Saved Disk Space:");
}

QString RunTotals::diskSpaceText() const {
    std::int64_t difference = inputTotal - outputTotal;
    std::int64_t percentage = savedPercentage(difference, inputTotal);
    if (difference < 0) {
        difference = -difference;
        percentage = -percentage;
    }
    return FormatByteSize(difference) + QStringLiteral(" (") + QString::number(percentage) +
           QStringLiteral("%)");
}

QString RunTotals::cancelledText() const {
    if (!cancelled)
        return QString();
    const QString english = QStringLiteral("Cancelled after %1 of %2 files");
    QString text = TranslateText(english);
    // A translation is trusted only with both numbers in it once each.
    if (text.count(QStringLiteral("%1")) != 1 || text.count(QStringLiteral("%2")) != 1 ||
        text.count(u'%') != 2)
        text = english;
    return text.arg(processedCount).arg(queuedCount);
}

QString perFileErrorText(const QString& message, const formats::ErrorCause& cause) {
    // libjpeg's own code decides, not the text: "JPEG error #53" is how it reads today.
    if (cause.code == formats::kNotAJpegFile) {
        return message + QStringLiteral("\r\rUnknown file format, empty/damaged file!");
    }
    return message;
}

namespace {

// One queued file on its way through a run.
struct FileJob {
    enum class End { Written, Failed, Reported, Unknown };

    QString source;
    QString extension;
    QString folder;           // the output's, with its separator
    QString wanted;           // the output name before the free-name search
    bool makeFolder = false;  // the folder is made once the source has decoded
    std::int64_t cost = 0;
    bool costKnown = false;
    bool costing = false;
    bool started = false;
    bool done = false;
    std::unique_ptr<TemporaryOutput> temporary;
    std::vector<HeldBox> boxes;
    End end = End::Written;
    std::uint32_t milliseconds = 0;  // spent converting it
    QString errorText;
    formats::ErrorCause cause;
};

std::vector<FileJob> jobsFor(const QStringList& sources, const ConversionOptions& options) {
    const QString outputExtension = pixmorrow::outputExtension(options.type);
    std::vector<FileJob> jobs(static_cast<std::size_t>(sources.size()));
    for (qsizetype i = 0; i < sources.size(); ++i) {
        FileJob& job = jobs[static_cast<std::size_t>(i)];
        job.source = sources.at(i);
        job.extension = extensionOfPath(job.source);
        job.makeFolder = options.destination != kSameFolder;
        job.folder = job.makeFolder
                         ? structuredOutputFolder(job.source, options.scanRoots.value(i),
                                                  options.destination, options.keepFolderStructure)
                         : folderWithSeparator(job.source);
        job.wanted = job.folder + baseNameWithoutLastExtension(job.source) + outputExtension;
    }
    return jobs;
}

// Both stages of one file into a hidden name in its output folder; every way it fails is
// kept for the run's own thread to tell.
void convertJob(FileJob& job, FileConverter& converter, const ConversionOptions& options,
                const std::function<bool()>& cancelled,
                const std::function<void(FileJob&)>& beforeWriting = {}) {
    const auto start = std::chrono::steady_clock::now();
    struct Timing {
        FileJob& job;
        std::chrono::steady_clock::time_point start;
        ~Timing() {
            job.milliseconds =
                static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - start)
                                               .count());
        }
    } timing{job, start};
    try {
        converter.decodingStage(job.source, job.extension, options.grayscale);
        if (cancelled && cancelled())
            throw ReportedFailure();  // never shown: the run is over
        // Only a file that decoded makes its sub-folder: a failed one leaves no empty folder.
        if (job.makeFolder)
            createOutputFolder(job.folder);
        // The external tool picks the format by the name's extension.
        job.temporary = std::make_unique<TemporaryOutput>(job.folder, toolExtension(options.type));
        if (beforeWriting)
            beforeWriting(job);
        converter.writingStage(job.source, job.extension, job.temporary->path(), options.type,
                               options.quality, options.grayscale, options.keepMetadata);
        job.end = FileJob::End::Written;
    } catch (const ReportedFailure&) {
        job.end = FileJob::End::Reported;
    } catch (const std::exception& e) {
        job.end = FileJob::End::Failed;
        job.errorText = errorText(e);
        job.cause = errorCause(e);
    } catch (...) {
        job.end = FileJob::End::Unknown;
    }
}

// Blocks the calling thread; wakes at least every 50 ms, as a cancel token may be set where
// no wake can be called (a signal handler).
class BlockingWaiter final : public RunWaiter {
public:
    void waitUntil(const std::function<bool()>& done) override {
        for (;;) {
            std::uint64_t seen = 0;
            {
                const std::lock_guard lock(mutex_);
                seen = generation_;
            }
            if (done())
                return;
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, std::chrono::milliseconds(50),
                              [&] { return generation_ != seen; });
        }
    }
    void wake() override {
        {
            const std::lock_guard lock(mutex_);
            ++generation_;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t generation_ = 0;
};

}  // namespace

// The workers of one run and what they share. Files start in queue order as the budget
// admits them; a file's reservation is held until the run's thread has committed it, so
// workers run ahead of the file whose turn it is only within the budget.
struct ConversionRun::Pipeline {
    Pipeline(std::vector<FileJob> queued, const ConversionOptions& options,
             const RunSettings& settings, RunWaiter& waiter)
        : jobs(std::move(queued)),
          options(options),
          budget(settings.memoryBudget > 0 ? settings.memoryBudget : defaultMemoryBudget()),
          external(settings.cancel),
          waiter(waiter),
          expectedPeak(settings.expectedPeak
                           ? settings.expectedPeak
                           : std::function<std::int64_t(const QString&)>(expectedPeakBytes)) {}

    ~Pipeline() {
        stopAll();
        for (std::thread& worker : workers)
            if (worker.joinable())
                worker.join();
        // Temporaries of files that never came to be committed go with the jobs, then the
        // intermediates with the folder.
        jobs.clear();
        converters.clear();
        folder.reset();
    }

    bool cancelled() const {
        return stop.cancelled() || (external != nullptr && external->cancelled());
    }
    void stopAll() {
        stop.cancel();
        { const std::lock_guard lock(mutex); }
        changed.notify_all();
    }

    void start(ConverterFactory& factory, const QString& settingsFolder, int count) {
        folder = std::make_unique<RunFolder>(settingsFolder, count);
        held.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            held[static_cast<std::size_t>(i)] = std::make_unique<HeldDialogs>();
            WorkerSetup setup{folder->workerFolder(i), *held[static_cast<std::size_t>(i)],
                              [this] { return cancelled(); }, count > 1};
            converters.push_back(factory.makeConverter(setup));
            converters.back()->setResize(options.resize);
        }
        for (int i = 0; i < count; ++i)
            workers.emplace_back([this, i] { work(static_cast<std::size_t>(i)); });
    }

    // The next file this worker may start, or none when the run has no more for it.
    FileJob* take() {
        std::unique_lock lock(mutex);
        for (;;) {
            if (cancelled() || next >= jobs.size())
                return nullptr;
            FileJob& job = jobs[next];
            if (!job.costKnown) {
                if (!job.costing) {
                    // The header is read outside the lock, by one worker.
                    job.costing = true;
                    lock.unlock();
                    const std::int64_t cost = std::max<std::int64_t>(1, expectedPeak(job.source));
                    lock.lock();
                    job.cost = cost;
                    job.costKnown = true;
                    changed.notify_all();
                    continue;
                }
            } else if (budget.admits(job.cost)) {
                budget.reserve(job.cost);
                job.started = true;
                ++next;
                return &job;
            }
            changed.wait(lock);
        }
    }

    void work(std::size_t index) {
        FileConverter& converter = *converters[index];
        HeldDialogs& dialogs = *held[index];
        while (FileJob* job = take()) {
            dialogs.holdInto(&job->boxes);
            convertJob(*job, converter, options, [this] { return cancelled(); });
            dialogs.holdInto(nullptr);
            {
                const std::lock_guard lock(mutex);
                if (cancelled())
                    job->temporary.reset();  // nobody commits it now
                job->done = true;
            }
            waiter.wake();
        }
        {
            const std::lock_guard lock(mutex);
            ++workersDone;
        }
        waiter.wake();
    }

    // Waits until file `index` is converted; false when the run was cancelled (or `stop`
    // asked for, on the waiting thread) first.
    bool waitFor(std::size_t index, const std::function<bool()>& stopAsked) {
        waiter.waitUntil([this, index, &stopAsked] {
            if (stopAsked())
                stopAll();
            const std::lock_guard lock(mutex);
            return jobs[index].done || cancelled();
        });
        const std::lock_guard lock(mutex);
        return jobs[index].done && !cancelled();
    }

    // After the file's commit: its reservation is free for the next files.
    void committed(FileJob& job) {
        {
            const std::lock_guard lock(mutex);
            budget.release(job.cost);
            job.temporary.reset();
        }
        changed.notify_all();
    }

    // After a cancel: the files converted but not committed lose their hidden outputs now;
    // a worker still in a file removes its own when the file ends. Waits a little for the
    // workers, so that in the usual case nothing is left when the run returns.
    void windDown() {
        stopAll();
        {
            const std::lock_guard lock(mutex);
            for (FileJob& job : jobs)
                if (job.done)
                    job.temporary.reset();
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
        waiter.waitUntil([this, until] {
            const std::lock_guard lock(mutex);
            return workersDone == workers.size() || std::chrono::steady_clock::now() >= until;
        });
    }

    // The files from `first` on that had started when the run was cancelled, in queue order.
    std::vector<FileResult> inFlight(std::size_t first) {
        std::vector<FileResult> results;
        const std::lock_guard lock(mutex);
        for (std::size_t i = first; i < jobs.size() && jobs[i].started; ++i) {
            FileResult result;
            result.source = jobs[i].source;
            // A worker still in the file writes its time when it leaves it.
            result.milliseconds = jobs[i].done ? jobs[i].milliseconds : 0;
            result.interrupted = true;
            results.push_back(result);
        }
        return results;
    }

    std::vector<FileJob> jobs;
    const ConversionOptions options;
    MemoryBudget budget;
    const CancelToken* external;
    CancelToken stop;
    RunWaiter& waiter;
    std::function<std::int64_t(const QString&)> expectedPeak;

    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;
    std::size_t workersDone = 0;

    std::unique_ptr<RunFolder> folder;
    std::vector<std::unique_ptr<HeldDialogs>> held;
    std::vector<std::unique_ptr<FileConverter>> converters;
    std::vector<std::thread> workers;
};

namespace {

// The run's own thread's part of one file, in queue order: the boxes the file raised, its
// name, its commit and its bytes; a failure shows its box naming the user's file.
FileResult finishJob(FileJob& job, Dialogs& dialogs, ShownNames& names) {
    FileResult result;
    result.source = job.source;
    result.milliseconds = job.milliseconds;
    NamingDialogs shown(dialogs, names);
    try {
        const std::int64_t inputSize = GetFileSizeBytes(job.source);
        if (inputSize != -1)
            result.inputBytes = inputSize;
        // The name is chosen now, in queue order, so that the boxes can name it.
        const QString output = MakeUniqueFileName(job.wanted);
        if (job.temporary)
            names.show(job.temporary->path(), output);
        replayHeldBoxes(job.boxes, shown);
        switch (job.end) {
            case FileJob::End::Reported:
                // Its message is already on screen.
                return result;
            case FileJob::End::Failed:
                shown.showMessage(perFileErrorText(job.errorText, job.cause),
                                  QStringLiteral("ERROR"), MessageIcon::Error);
                return result;
            case FileJob::End::Unknown:
                shown.showMessage(QStringLiteral("Unknown error"), QStringLiteral("ERROR"),
                                  MessageIcon::Error);
                return result;
            case FileJob::End::Written:
                break;
        }
        result.outputs = job.temporary->commit(output, job.wanted);
        for (const QString& name : result.outputs) {
            const std::int64_t outputSize = GetFileSizeBytes(name);
            if (outputSize != -1)
                result.outputBytes += outputSize;
        }
    } catch (const std::exception& e) {
        shown.showMessage(perFileErrorText(errorText(e), errorCause(e)), QStringLiteral("ERROR"),
                          MessageIcon::Error);
    } catch (...) {
        shown.showMessage(QStringLiteral("Unknown error"), QStringLiteral("ERROR"),
                          MessageIcon::Error);
    }
    return result;
}

// Adds a finished file to the sums of the run.
void addToTotals(const FileResult& result, RunTotals& totals) {
    ++totals.processedCount;
    totals.inputTotal += result.inputBytes;
    totals.outputTotal += result.outputBytes;
    if (!result.outputs.isEmpty())
        ++totals.convertedCount;
}

}  // namespace

ConversionRun::ConversionRun(Dialogs& dialogs, RunReporter& reporter, TickClock& clock,
                             FileConverter& converter, ShownNames* names)
    : dialogs_(dialogs),
      reporter_(reporter),
      clock_(clock),
      converter_(&converter),
      names_(names) {}

ConversionRun::ConversionRun(Dialogs& dialogs, RunReporter& reporter, TickClock& clock,
                             ConverterFactory& factory, RunSettings settings)
    : dialogs_(dialogs),
      reporter_(reporter),
      clock_(clock),
      factory_(&factory),
      settings_(std::move(settings)) {}

ConversionRun::~ConversionRun() = default;

bool ConversionRun::destinationUsable(const QString& destination) {
    const auto warn = [this](const char* text) {
        dialogs_.showMessage(TranslateText(QString::fromLatin1(text)),
                             TranslateText(QStringLiteral("WARNING")), MessageIcon::Warning);
        reporter_.focusDestination();
        return false;
    };
    if (destination.isEmpty())
        throw Error(QStringLiteral("Unable to create directory"));
    if (!QFileInfo(destination).isDir()) {
        // A failure shows in the check below.
        QDir().mkpath(destination);
    }
    if (!QFileInfo(destination).isDir())
        return warn("Directory does not exist!");
    if (!isFolderWritable(destination))
        return warn("Unable to write to directory!");
    return true;
}

std::optional<RunTotals> ConversionRun::run(const QStringList& sources,
                                            const ConversionOptions& given) {
    // A destination typed as a relative name is taken against the working folder now, the
    // same for every file and for the external tool, which runs in a folder of its own.
    ConversionOptions options = given;
    if (options.destination != kSameFolder)
        options.destination = absolutePath(options.destination);
    if (sources.isEmpty()) {
        dialogs_.showMessage(TranslateText(QStringLiteral("No image files have been added!")),
                             TranslateText(QStringLiteral("WARNING")), MessageIcon::Warning);
        reporter_.showQueuePage();
        return std::nullopt;
    }
    if (options.destination != kSameFolder && !destinationUsable(options.destination)) {
        return std::nullopt;
    }

    const std::uint32_t startTick = clock_.tickCount();
    RunTotals totals;
    totals.queuedCount = sources.size();
    if (factory_ != nullptr)
        runWorkers(sources, options, totals);
    else
        runInline(sources, options, totals);
    reporter_.progress(0, 0);
    // Unsigned arithmetic keeps a wrap of the tick counter harmless.
    totals.elapsedMilliseconds = clock_.tickCount() - startTick;
    return totals;
}

void ConversionRun::runInline(const QStringList& sources, const ConversionOptions& options,
                              RunTotals& totals) {
    std::vector<FileJob> jobs = jobsFor(sources, options);
    converter_->setResize(options.resize);
    const CancelToken* cancel = settings_.cancel;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if ((cancel != nullptr && cancel->cancelled()) || reporter_.stopRequested()) {
            totals.cancelled = true;
            return;
        }
        FileJob& job = jobs[i];
        reporter_.progress(static_cast<std::int64_t>(i) + 1, sources.size());
        reporter_.statusText(QStringLiteral("Converting ") + job.source + QStringLiteral("..."));
        // Messages about this file name the output the user will find, never the hidden
        // name it is written under first.
        ShownNames own;
        ShownNames& names = names_ != nullptr ? *names_ : own;
        names.clear();
        convertJob(job, *converter_, options, {}, [&names](FileJob& written) {
            names.show(written.temporary->path(), MakeUniqueFileName(written.wanted));
        });
        names.clear();
        const FileResult result = finishJob(job, dialogs_, names);
        job.temporary.reset();
        names.clear();
        reporter_.statusText(QString());
        addToTotals(result, totals);
        reporter_.fileFinished(result);
    }
}

void ConversionRun::runWorkers(const QStringList& sources, const ConversionOptions& options,
                               RunTotals& totals) {
    BlockingWaiter blocking;
    RunWaiter& waiter = settings_.waiter != nullptr ? *settings_.waiter : blocking;
    // A previous run's workers are done by now; their folder goes.
    pipeline_.reset();
    pipeline_ = std::make_unique<Pipeline>(jobsFor(sources, options), options, settings_, waiter);
    Pipeline& pipeline = *pipeline_;
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int count = static_cast<int>(
        std::min<qsizetype>(settings_.workers > 0 ? settings_.workers : cores, sources.size()));
    pipeline.start(*factory_, settings_.settingsFolder, count);

    std::size_t finished = 0;
    for (; finished < pipeline.jobs.size(); ++finished) {
        if (reporter_.stopRequested())
            pipeline.stopAll();
        if (pipeline.cancelled())
            break;
        FileJob& job = pipeline.jobs[finished];
        reporter_.progress(static_cast<std::int64_t>(finished) + 1, sources.size());
        // The earliest file not finished yet: the one the run waits for.
        reporter_.statusText(QStringLiteral("Converting ") + job.source + QStringLiteral("..."));
        if (!pipeline.waitFor(finished, [this] { return reporter_.stopRequested(); })) {
            reporter_.statusText(QString());
            break;
        }
        ShownNames names;
        const FileResult result = finishJob(job, dialogs_, names);
        pipeline.committed(job);
        reporter_.statusText(QString());
        addToTotals(result, totals);
        reporter_.fileFinished(result);
    }
    if (finished < pipeline.jobs.size()) {
        totals.cancelled = true;
        pipeline.windDown();
        for (const FileResult& result : pipeline.inFlight(finished))
            reporter_.fileFinished(result);
    } else {
        pipeline.stopAll();
    }
    if (!totals.cancelled) {
        // Every file is committed: the workers have nothing left and end at once.
        pipeline_.reset();
    }
}

}  // namespace pixmorrow
