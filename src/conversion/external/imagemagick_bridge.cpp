#include "conversion/external/imagemagick_bridge.h"

#include "conversion/external/helper_protocol.h"
#include "conversion/external/tool_fence.h"
#include "conversion/external/tool_helper.h"
#include "conversion/run/output_commit.h"
#include "localization/language.h"
#include "platform/dialogs.h"
#include "queue/supported_input.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include <utility>

#include <unistd.h>

namespace pixmorrow {

namespace {

QString quoted(const QString& path) {
    return QLatin1Char('"') + path + QLatin1Char('"');
}

bool isAnimatedSource(const QString& InputFile) {
    const QString extension = lowerExtension(InputFile);
    return extension == QLatin1String(".apng") ||
           (extension == QLatin1String(".png") && IsAnimatedPng(InputFile));
}

bool hasContent(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.size() > 0;
}

void repaintOnly() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// The launcher is a shell script, which exits with 128 + N when the tool it ran died of
// signal N.
ToolOutcome runLauncher(const ToolRun& run) {
    ToolOutcome outcome = runTool(run);
    if (outcome.end == ToolEnd::Exited && outcome.code > 128 && outcome.code < 128 + 65)
        outcome = {ToolEnd::Killed, outcome.code - 128};
    return outcome;
}

// What a tool that crashed or was stopped leaves is never a whole picture: its output and
// the frame files it may have begun.
void removePartialOutput(const QString& OutputFile) {
    ::unlink(QFile::encodeName(OutputFile).constData());
    for (int n = 0;; ++n) {
        const QByteArray frame = QFile::encodeName(frameFileName(OutputFile, n));
        if (::unlink(frame.constData()) != 0)
            break;
    }
}

// The command line's pieces for a source already known to be animated or not, so that a
// conversion looks into the file once.
QString sourceArgumentOf(const QString& InputFile, bool animated) {
    if (animated)
        return QStringLiteral("APNG:") + quoted(InputFile);
    if (lowerExtension(InputFile) == QLatin1String(".psd"))
        return quoted(InputFile) + QStringLiteral(" -flatten");
    return quoted(InputFile);
}

QStringList sourceArgumentsOf(const QString& InputFile, bool animated) {
    const QString source = tool_fence::inputArgument(InputFile, animated);
    if (lowerExtension(InputFile) == QLatin1String(".psd"))
        return {source, QStringLiteral("-flatten")};
    return {source};
}

QString generalCommandLineOf(const QString& InputFile, bool animated, const QString& OutputFile,
                             bool grayscale) {
    QString line =
        grayscale ? QStringLiteral("magick.exe -colorspace Gray ") : QStringLiteral("magick.exe ");
    line += sourceArgumentOf(InputFile, animated);
    line += lowerExtension(OutputFile) == QLatin1String(".apng")
                ? QStringLiteral(" -coalesce APNG:")
                : QStringLiteral(" -coalesce ");
    line += quoted(OutputFile);
    return line;
}

QStringList generalArgumentsOf(const QString& InputFile, bool animated, const QString& OutputFile,
                               bool grayscale) {
    QStringList arguments;
    if (grayscale)
        arguments << QStringLiteral("-colorspace") << QStringLiteral("Gray");
    arguments << sourceArgumentsOf(InputFile, animated) << QStringLiteral("-coalesce")
              << tool_fence::outputArgument(OutputFile);
    return arguments;
}

}  // namespace

ImageMagickBridge::ImageMagickBridge(QString programFolder, Dialogs& dialogs, CommandLog& log,
                                     std::chrono::milliseconds timeLimit)
    : keepUiAlive(repaintOnly),
      programFolder_(std::move(programFolder)),
      dialogs_(dialogs),
      log_(log),
      timeLimit_(timeLimit) {}

ImageMagickBridge::~ImageMagickBridge() = default;
ImageMagickBridge::ImageMagickBridge(ImageMagickBridge&&) noexcept = default;

QString ImageMagickBridge::toolPath() const {
    return programFolder_ + QStringLiteral("/imagemagick/magick");
}

QString ImageMagickBridge::helperPath() const {
    return programFolder_ + QStringLiteral("/imagemagick/") +
           QLatin1String(helper_protocol::kProgramName);
}

QString ImageMagickBridge::workingFolder() const {
    return programFolder_ + QStringLiteral("/imagemagick");
}

QString ImageMagickBridge::sourceArgument(const QString& InputFile) {
    return sourceArgumentOf(InputFile, isAnimatedSource(InputFile));
}

QStringList ImageMagickBridge::sourceArguments(const QString& InputFile) {
    return sourceArgumentsOf(InputFile, isAnimatedSource(InputFile));
}

QString ImageMagickBridge::generalCommandLine(const QString& InputFile, const QString& OutputFile,
                                              bool grayscale) {
    return generalCommandLineOf(InputFile, isAnimatedSource(InputFile), OutputFile, grayscale);
}

QStringList ImageMagickBridge::generalArguments(const QString& InputFile, const QString& OutputFile,
                                                bool grayscale) {
    return generalArgumentsOf(InputFile, isAnimatedSource(InputFile), OutputFile, grayscale);
}

QString ImageMagickBridge::qualityCommandLine(const QString& InputFile, const QString& OutputFile,
                                              int AQuality, bool grayscale, const IconSizes& icon) {
    QString line = QStringLiteral("magick.exe ") + quoted(InputFile);
    line += grayscale ? QStringLiteral(" -colorspace Gray ") : QStringLiteral(" ");
    // None of these arguments needs quoting, in a shell or in the command interpreter.
    for (const QString& argument : iconArguments(icon))
        line += argument + QLatin1Char(' ');
    line += QStringLiteral("-quality ") + QString::number(AQuality) + QLatin1Char(' ');
    line += quoted(OutputFile);
    return line;
}

QStringList ImageMagickBridge::qualityArguments(const QString& InputFile, const QString& OutputFile,
                                                int AQuality, bool grayscale,
                                                const IconSizes& icon) {
    QStringList arguments{tool_fence::inputArgument(InputFile)};
    if (grayscale)
        arguments << QStringLiteral("-colorspace") << QStringLiteral("Gray");
    arguments << iconArguments(icon);
    arguments << QStringLiteral("-quality") << QString::number(AQuality)
              << tool_fence::outputArgument(OutputFile);
    return arguments;
}

QStringList ImageMagickBridge::iconArguments(const IconSizes& icon) {
    if (icon.empty())
        return {};
    const auto square = [](int side) {
        return QString::number(side) + QLatin1Char('x') + QString::number(side);
    };
    // Fitted with the aspect ratio kept, centred, the rest transparent. Lanczos for every
    // picture: the tool picks a softer filter for pictures with transparency, which
    // "-flatten" gives to all.
    QStringList arguments{QStringLiteral("-background"), QStringLiteral("none"),
                          QStringLiteral("-gravity"),    QStringLiteral("center"),
                          QStringLiteral("-filter"),     QStringLiteral("Lanczos")};
    const QString open = QStringLiteral("(");
    const QString close = QStringLiteral(")");
    const QString clone = QStringLiteral("-clone");
    const QString resize = QStringLiteral("-resize");
    const QString extent = QStringLiteral("-extent");
    // "-flatten" puts the first image on its own canvas, which is what the program decoded
    // (a GIF frame may cover only part of it).
    if (icon.replaceSource) {
        // Only the first image counts; it is shrunk once to the largest square and the
        // smaller ones are made from that, which is as sharp and several times faster than
        // shrinking a large photo for each.
        const QString largest = square(icon.squares.front());
        arguments << QStringLiteral("-delete") << QStringLiteral("1--1")
                  << QStringLiteral("-flatten") << resize << largest;
        arguments << open << clone << QStringLiteral("0") << extent << largest << close;
        for (std::size_t i = 1; i < icon.squares.size(); ++i) {
            const QString side = square(icon.squares[i]);
            arguments << open << clone << QStringLiteral("0") << resize << side << extent << side
                      << close;
        }
        arguments << QStringLiteral("-delete") << QStringLiteral("0");
    } else {
        for (const int squareSide : icon.squares) {
            const QString side = square(squareSide);
            arguments << open << clone << QStringLiteral("0") << QStringLiteral("-flatten")
                      << resize << side << extent << side << close;
        }
    }
    // The tool stores a 256 px image as PNG inside the icon only when it is not marked with
    // another compression (a JPEG source is).
    arguments << QStringLiteral("-compress") << QStringLiteral("Zip");
    return arguments;
}

void ImageMagickBridge::setPrivateFolderParent(const QString& folder) {
    privateFolderParent_ = folder;
}

void ImageMagickBridge::terminateHelper() {
    if (helper_)
        helper_->terminate();
}

long ImageMagickBridge::helperProcess() const {
    return helper_ ? static_cast<long>(helper_->pid()) : 0;
}

QStringList ImageMagickBridge::profileArguments(const QString& InputFile,
                                                const QString& OutputFile) {
    return {tool_fence::inputArgument(InputFile) + QStringLiteral("[0]"),
            tool_fence::profileOutputArgument(OutputFile)};
}

void ImageMagickBridge::extractProfile(const QString& InputFile, const QString& OutputFile) {
    const QString tool = toolPath();
    if (!QFileInfo::exists(tool))
        return;
    run(QStringLiteral("magick.exe ") + quoted(InputFile + QStringLiteral("[0]")) +
            QLatin1Char(' ') + quoted(OutputFile),
        profileArguments(InputFile, OutputFile), tool, OutputFile);
}

void ImageMagickBridge::run(const QString& commandLine, const QStringList& arguments,
                            const QString& tool, const QString& OutputFile) {
    log_.clear();
    log_.addLine(commandLine);
    // The tool's own temporary files (a video's frames, a decoder's output) stay in a folder
    // only this user can enter, gone when the conversion is over.
    const tool_fence::PrivateFolder scratch(privateFolderParent_.isEmpty() ? QDir::tempPath()
                                                                           : privateFolderParent_);
    const QStringList entries =
        QStringList{QStringLiteral("MAGICK_TMPDIR=") + scratch.path()} + environment;
    ToolOutcome outcome;
    const QString helper = helperPath();
    if (QFileInfo(helper).isExecutable()) {
        if (!helper_)
            helper_ = std::make_unique<ToolHelper>(helper);
        // The helper takes the tool's arguments without the program.
        outcome = RunCommandCaptured(
            commandLine, arguments, workingFolder(), log_, timeLimit_, keepUiAlive, entries,
            [this](const ToolRun& job) { return helper_->run(job); }, cancelled);
    } else {
        outcome =
            RunCommandCaptured(commandLine, QStringList{tool} + arguments, workingFolder(), log_,
                               timeLimit_, keepUiAlive, entries, runLauncher, cancelled);
    }
    if (outcome.end == ToolEnd::Killed || outcome.end == ToolEnd::TimedOut ||
        outcome.end == ToolEnd::Cancelled)
        removePartialOutput(OutputFile);
}

void ImageMagickBridge::reportFailure(const QString& OutputFile) {
    if (hasContent(OutputFile))
        return;
    QString message;
    for (const QString& line : log_.lines()) {
        // ASCII lowering only, as the tool prints in English.
        QString lowered = line;
        for (QChar& c : lowered)
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = QChar(c.unicode() + 32);
        if (lowered.contains(QLatin1String("error")) || lowered.contains(QLatin1String("failed")))
            message += line + QStringLiteral("\r\n");
    }
    if (!message.isEmpty())
        dialogs_.showMessage(message, TranslateText(QStringLiteral("ERROR")), MessageIcon::Error);
}

void ImageMagickBridge::ImageMagickIleDonustur(const QString& InputFile, const QString& OutputFile,
                                               bool grayscale) {
    const QString tool = toolPath();
    if (!QFileInfo::exists(tool))
        return;
    const bool animated = isAnimatedSource(InputFile);
    run(generalCommandLineOf(InputFile, animated, OutputFile, grayscale),
        generalArgumentsOf(InputFile, animated, OutputFile, grayscale), tool, OutputFile);
    reportFailure(OutputFile);
}

void ImageMagickBridge::ImageMagickIleAVIFDonustur(const QString& InputFile,
                                                   const QString& OutputFile, int AQuality,
                                                   bool grayscale, const IconSizes& icon) {
    const QString tool = toolPath();
    if (!QFileInfo::exists(tool))
        return;
    run(qualityCommandLine(InputFile, OutputFile, AQuality, grayscale, icon),
        qualityArguments(InputFile, OutputFile, AQuality, grayscale, icon), tool, OutputFile);
    reportFailure(OutputFile);
}

}  // namespace pixmorrow
