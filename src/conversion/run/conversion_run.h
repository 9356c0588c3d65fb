#pragma once

#include "formats/decode_error.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace pixmorrow {

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
};

inline const QString kSameFolder = QStringLiteral("Same Folder as Original");

// How one file of a run ended, told after its messages were shown and its output committed.
struct FileResult {
    QString source;
    QStringList outputs;  // the names written; empty when the file failed
    std::int64_t inputBytes = 0;
    std::int64_t outputBytes = 0;
    std::uint32_t milliseconds = 0;
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
    // After each file, for a caller that reports files one by one.
    virtual void fileFinished(const FileResult&) {}
    // Asked before each file: true ends the run there, the files done so far kept and
    // counted as the processed ones.
    virtual bool stopRequested() { return false; }
};

// The sums of a completed run and the texts the result window shows for them.
struct RunTotals {
    std::int64_t processedCount = 0;
    std::int64_t inputTotal = 0;
    std::int64_t outputTotal = 0;
    std::uint32_t elapsedMilliseconds = 0;
    std::int64_t convertedCount = 0;  // files that produced an output

    QString processedText() const;
    QString elapsedText() const;
    QString diskSpaceCaption() const;  // "Saved Disk Space:" or "Increased Disk Space:"
    QString diskSpaceText() const;     // "1.43 MB (75%)"
};

// The text of the per-file error box for an error's own text and cause: libjpeg's "Not a
// JPEG file" (its code 53, formats::kNotAJpegFile) adds "Unknown file format,
// empty/damaged file!" after two CRs.
QString perFileErrorText(const QString& message, const formats::ErrorCause& cause);

// One press of Process: the preconditions, then every queued file in order through the
// converter, each output moved into a free name without replacing anything. Returns the
// totals, or nothing when a precondition stopped the run (its warning already shown).
class ConversionRun {
public:
    // `names`, when given, is where the converter's own messages look up the names to show
    // for the run's hidden outputs (ConversionEngine::shownNames()).
    ConversionRun(Dialogs& dialogs, RunReporter& reporter, TickClock& clock,
                  FileConverter& converter, ShownNames* names = nullptr);

    std::optional<RunTotals> run(const QStringList& sources, const ConversionOptions& options);

private:
    bool destinationUsable(const QString& destination);
    FileResult convertOne(const QString& source, const ConversionOptions& options);

    Dialogs& dialogs_;
    RunReporter& reporter_;
    TickClock& clock_;
    FileConverter& converter_;
    ShownNames* names_;
};

}  // namespace pixmorrow
