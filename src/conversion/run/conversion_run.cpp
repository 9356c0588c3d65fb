#include "conversion/run/conversion_run.h"

#include "conversion/format_table.h"
#include "conversion/routes/file_converter.h"
#include "conversion/run/output_commit.h"
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

QString perFileErrorText(const QString& message, const formats::ErrorCause& cause) {
    // libjpeg's own code decides, not the text: "JPEG error #53" is how it reads today.
    if (cause.code == formats::kNotAJpegFile) {
        return message + QStringLiteral("\r\rUnknown file format, empty/damaged file!");
    }
    return message;
}

ConversionRun::ConversionRun(Dialogs& dialogs, RunReporter& reporter, TickClock& clock,
                             FileConverter& converter, ShownNames* names)
    : dialogs_(dialogs), reporter_(reporter), clock_(clock), converter_(converter), names_(names) {}

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
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (reporter_.stopRequested())
            break;
        reporter_.progress(i + 1, sources.size());
        const FileResult result = convertOne(sources.at(i), options);
        ++totals.processedCount;
        totals.inputTotal += result.inputBytes;
        totals.outputTotal += result.outputBytes;
        if (!result.outputs.isEmpty())
            ++totals.convertedCount;
        reporter_.fileFinished(result);
    }
    reporter_.progress(0, 0);
    // Unsigned arithmetic keeps a wrap of the tick counter harmless.
    totals.elapsedMilliseconds = clock_.tickCount() - startTick;
    return totals;
}

FileResult ConversionRun::convertOne(const QString& source, const ConversionOptions& options) {
    reporter_.statusText(QStringLiteral("Converting ") + source + QStringLiteral("..."));
    const std::uint32_t startTick = clock_.tickCount();
    FileResult result;
    result.source = source;
    // Messages about this file name the output the user will find, never the hidden name it
    // is written under first.
    ShownNames own;
    ShownNames& names = names_ != nullptr ? *names_ : own;
    names.clear();
    NamingDialogs dialogs(dialogs_, names);
    try {
        const QString extension = extensionOfPath(source);
        const std::int64_t inputSize = GetFileSizeBytes(source);
        if (inputSize != -1)
            result.inputBytes = inputSize;
        const QString folder = options.destination == kSameFolder
                                   ? folderWithSeparator(source)
                                   : withTrailingSeparator(options.destination);

        converter_.decodingStage(source, extension, options.grayscale);

        const QString outputExtension = pixmorrow::outputExtension(options.type);
        const QString wanted = folder + baseNameWithoutLastExtension(source) + outputExtension;
        const QString output = MakeUniqueFileName(wanted);
        // The external tool picks the format by the name's extension.
        TemporaryOutput temporary(folder, toolExtension(options.type));
        names.show(temporary.path(), output);
        converter_.writingStage(source, extension, temporary.path(), options.type, options.quality,
                                options.grayscale, options.keepMetadata);
        result.outputs = temporary.commit(output, wanted);
        for (const QString& name : result.outputs) {
            const std::int64_t outputSize = GetFileSizeBytes(name);
            if (outputSize != -1)
                result.outputBytes += outputSize;
        }
    } catch (const ReportedFailure&) {
        // Its message is already on screen.
    } catch (const std::exception& e) {
        dialogs.showMessage(perFileErrorText(errorText(e), errorCause(e)), QStringLiteral("ERROR"),
                            MessageIcon::Error);
    } catch (...) {
        dialogs.showMessage(QStringLiteral("Unknown error"), QStringLiteral("ERROR"),
                            MessageIcon::Error);
    }
    names.clear();
    reporter_.statusText(QString());
    result.milliseconds = clock_.tickCount() - startTick;
    return result;
}

}  // namespace pixmorrow
