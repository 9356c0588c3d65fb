#pragma once

#include "formats/decode_error.h"
#include "formats/resize_plan.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace pixmorrow {

class CancelToken;
class ConverterFactory;
class Dialogs;
class FileConverter;
class ShownNames;
class TickClock;

// What the options page hands to a run.
struct ConversionOptions {
    QString type = QStringLiteral("WEBP");  // one of outputTypes()
    int quality = 100;
    bool grayscale = false;
    QString destination;  // a folder, or kSameFolderAsOriginal
    // Whether outputs take the sources' EXIF and XMP; colour profiles travel either way.
    bool keepMetadata = false;
    // Every output resized on the way, when set.
    std::optional<formats::ResizeRequest> resize;
    // Outputs of files a folder scan added go under the destination at their place inside
    // the scanned folder, sub-folders made as needed (a destination folder only).
    bool keepFolderStructure = false;
    // The scanned folder of each source, in the sources' order; empty (or missing) for a
    // source added by itself.
    QStringList scanRoots;
};

inline const QString kSameFolder = QStringLiteral("Same Folder as Original");

// How one file of a run ended, told after its messages were shown and its output committed.
struct FileResult {
    QString source;
    QStringList outputs;  // the names written; empty when the file failed
    std::int64_t inputBytes = 0;
    std::int64_t outputBytes = 0;
    std::uint32_t milliseconds = 0;
    // Still being converted when the run was cancelled: nothing of it was kept. Such a file
    // is told after the run's last committed one and is not in the totals.
    bool interrupted = false;
};

// The window side of a run: status text, progress, focus and page changes.
class RunReporter {
public:
    virtual ~RunReporter() = default;
    virtual void statusText(const QString& text) = 0;
    // File `index` (from 1) of `count` is being converted; (0, 0) when the run is over.
    virtual void progress(std::int64_t index, std::int64_t count) = 0;
    virtual void focusDestination() = 0;
    virtual void showQueuePage() = 0;
    // After each file, for a caller that reports files one by one; after a cancel, once
    // more for each file that was in flight (`interrupted`).
    virtual void fileFinished(const FileResult&) {}
    // Asked before each file (and while the run waits for one): true ends the run there, as
    // a cancel does, the files done so far kept and counted as the processed ones.
    virtual bool stopRequested() { return false; }
};

// The sums of a completed run and the texts the result window shows for them.
struct RunTotals {
    std::int64_t processedCount = 0;
    std::int64_t inputTotal = 0;
    std::int64_t outputTotal = 0;
    std::uint32_t elapsedMilliseconds = 0;
    std::int64_t convertedCount = 0;  // files that produced an output
    // Cancelled before the end: the other numbers are those of the files that finished,
    // `queuedCount` the files queued.
    bool cancelled = false;
    std::int64_t queuedCount = 0;

    QString processedText() const;
    QString elapsedText() const;
    QString diskSpaceCaption() const;  // "Saved Disk Space:" or "Increased Disk Space:"
    QString diskSpaceText() const;     // "1.43 MB (75%)"
    // "Cancelled after 3 of 10 files", translated; empty for a run that was not cancelled.
    QString cancelledText() const;
};

// How the run's own thread waits for the file whose turn it is, while workers convert.
class RunWaiter {
public:
    virtual ~RunWaiter() = default;
    // Returns once `done` holds; `done` is asked again after every wake() at least.
    virtual void waitUntil(const std::function<bool()>& done) = 0;
    // Called on any thread when something `done` looks at may have changed.
    virtual void wake() = 0;
};

// A run's workers and limits.
struct RunSettings {
    // Holds the run's private folder of intermediate files; ends in "/".
    QString settingsFolder;
    // Files converted at once; 0: one per core.
    int workers = 0;
    // Bytes the files in flight may reserve together; 0: a quarter of the physical memory.
    std::int64_t memoryBudget = 0;
    // When given, cancels the run: no further file starts, running tools are stopped.
    const CancelToken* cancel = nullptr;
    // When given, how the run's thread waits (a window keeps its event loop going); by
    // default it blocks.
    RunWaiter* waiter = nullptr;
    // The bytes a file reserves; by default from its header's width and height.
    std::function<std::int64_t(const QString&)> expectedPeak;
};

// The text of the per-file error box for an error's own text and cause: libjpeg's "Not a
// JPEG file" (its code 53, formats::kNotAJpegFile) adds "Unknown file format,
// empty/damaged file!" after two CRs.
QString perFileErrorText(const QString& message, const formats::ErrorCause& cause);

// One press of Process: the preconditions, then every queued file through a converter, each
// output moved into a free name without replacing anything. Returns the totals, or nothing
// when a precondition stopped the run (its warning already shown).
//
// With a converter factory, workers convert files at once, each whole file (both stages and
// any tool call) into a hidden name; the run's own thread takes them strictly in queue order:
// it shows the boxes that file raised, then picks its name and commits it. So names, boxes,
// totals and bytes are those of a run that converts one file at a time.
class ConversionRun {
public:
    // One file at a time on the calling thread, through `converter`, whose boxes show at
    // once. `names`, when given, is where the converter's own messages look up the names to
    // show for the run's hidden outputs (ConversionEngine::shownNames()).
    ConversionRun(Dialogs& dialogs, RunReporter& reporter, TickClock& clock,
                  FileConverter& converter, ShownNames* names = nullptr);
    // Workers, each with a converter of `factory`'s.
    ConversionRun(Dialogs& dialogs, RunReporter& reporter, TickClock& clock,
                  ConverterFactory& factory, RunSettings settings);
    // Waits for workers still busy with a file after a cancel.
    ~ConversionRun();
    ConversionRun(const ConversionRun&) = delete;
    ConversionRun& operator=(const ConversionRun&) = delete;

    std::optional<RunTotals> run(const QStringList& sources, const ConversionOptions& options);

    struct Pipeline;

private:
    bool destinationUsable(const QString& destination);
    void runInline(const QStringList& sources, const ConversionOptions& options, RunTotals& totals);
    void runWorkers(const QStringList& sources, const ConversionOptions& options,
                    RunTotals& totals);

    Dialogs& dialogs_;
    RunReporter& reporter_;
    TickClock& clock_;
    FileConverter* converter_ = nullptr;
    ShownNames* names_ = nullptr;
    ConverterFactory* factory_ = nullptr;
    RunSettings settings_;
    std::unique_ptr<Pipeline> pipeline_;
};

}  // namespace pixmorrow
