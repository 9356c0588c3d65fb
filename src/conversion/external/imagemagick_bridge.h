#pragma once

#include "conversion/external/command_runner.h"
#include "conversion/formats/animated_png.h"
#include "conversion/formats/icon_sizes.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

namespace pixmorrow {

class Dialogs;
class ToolHelper;

// The external converter in the program folder's "imagemagick" folder. Command lines are
// logged in their text form; the tool itself is run with an argument vector, so no file
// name is ever read by a shell, and every path in it goes through tool_fence. With the
// helper program beside the launcher, every conversion is a job for this bridge's own helper
// process, which stays between them; without it, each starts the launcher.
class ImageMagickBridge {
public:
    ImageMagickBridge(QString programFolder, Dialogs& dialogs, CommandLog& log,
                      std::chrono::milliseconds timeLimit = std::chrono::minutes(10));
    ~ImageMagickBridge();
    ImageMagickBridge(ImageMagickBridge&&) noexcept;

    // Looked up on every call: the tool may come and go while the program runs.
    QString toolPath() const;
    QString helperPath() const;
    QString workingFolder() const;

    // The source as it stands in a command line ("APNG:" for animated PNGs, "-flatten" after
    // a PSD).
    static QString sourceArgument(const QString& InputFile);
    static QString generalCommandLine(const QString& InputFile, const QString& OutputFile,
                                      bool grayscale);
    // With icon sizes, their arguments stand between the source (and grayscale) and the
    // quality.
    static QString qualityCommandLine(const QString& InputFile, const QString& OutputFile,
                                      int AQuality, bool grayscale, const IconSizes& icon = {});

    // The same command lines as the tool's argument vectors (without the program), each path
    // absolute and behind the decoder or encoder its extension promises. They throw Error for
    // a path the tool must not be given.
    static QStringList sourceArguments(const QString& InputFile);
    static QStringList generalArguments(const QString& InputFile, const QString& OutputFile,
                                        bool grayscale);
    static QStringList qualityArguments(const QString& InputFile, const QString& OutputFile,
                                        int AQuality, bool grayscale, const IconSizes& icon = {});
    // The tool's arguments that make the icon's squares from its first image; none when
    // there are no squares to make.
    static QStringList iconArguments(const IconSizes& icon);

    // General conversion; a missing or empty output shows the tool's error lines.
    void ImageMagickIleDonustur(const QString& InputFile, const QString& OutputFile,
                                bool grayscale);
    // Conversion with a quality (GIF and ICO outputs, the latter with its icon sizes);
    // reports failures the same way.
    void ImageMagickIleAVIFDonustur(const QString& InputFile, const QString& OutputFile,
                                    int AQuality, bool grayscale, const IconSizes& icon = {});

    // The source's colour profile (of its first image) written as an ICC file; nothing, and
    // no message, when it has none.
    static QStringList profileArguments(const QString& InputFile, const QString& OutputFile);
    void extractProfile(const QString& InputFile, const QString& OutputFile);

    // Called while the tool runs; by default repaints the windows without taking user input.
    // Empty on a worker thread, which has no windows.
    std::function<void()> keepUiAlive;
    // Asked while the tool runs: once true the tool is stopped (ToolRun::cancelled).
    std::function<bool()> cancelled;
    // "NAME=value" entries the tool gets on top of the program's environment (a thread limit
    // when several tools run at once).
    QStringList environment;

    // Where each conversion's private folder for the tool's temporary files is made; empty
    // (the default): the system's temporary folder.
    void setPrivateFolderParent(const QString& folder);

    // From any thread: stops the helper process now, in the middle of a conversion too
    // (which then fails); the next conversion starts a new one.
    void terminateHelper();
    // The helper process's id; 0 when none runs.
    long helperProcess() const;

private:
    // Runs the tool; a crashed or stopped tool's partial output is removed.
    void run(const QString& commandLine, const QStringList& arguments, const QString& tool,
             const QString& OutputFile);
    // Shows the log's "error"/"failed" lines when `OutputFile` is missing or empty.
    void reportFailure(const QString& OutputFile);

    QString programFolder_;
    Dialogs& dialogs_;
    CommandLog& log_;
    std::chrono::milliseconds timeLimit_;
    QString privateFolderParent_;
    std::unique_ptr<ToolHelper> helper_;
};

}  // namespace pixmorrow
