// Converts the files given with the program's own conversion engine, as the Process command
// would, without a window: for timing whole runs against other converters.
//   pixmorrow_convert [--type WEBP] [--quality 80] [--gray] [--keep-metadata] [--dest FOLDER]
//                     [--jobs N] [--program-folder FOLDER] FILE...
// --jobs 0 (the default) converts with one worker per core. --program-folder runs another
// layout of the program folder than the build's (the external tool without its helper
// process, say).
#include "conversion/routes/codec_library.h"
#include "conversion/routes/engine_factory.h"
#include "conversion/run/conversion_run.h"
#include "platform/dialogs.h"
#include "platform/tick_clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace pixmorrow;

// Message boxes become lines on standard error.
class PrintingDialogs final : public Dialogs {
public:
    void showMessage(const QString& text, const QString& title, MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title),
                     qPrintable(QString(text).replace(u'\r', u' ')));
        ++messages;
    }
    int MessageDlgWithCaptions(const QString&, DialogKind, DialogButtons, const QStringList&,
                               const QString&) override {
        return ResultNo;
    }
    void beep() override {}
    int messages = 0;
};

class QuietReporter final : public RunReporter {
public:
    void statusText(const QString&) override {}
    void progress(std::int64_t, std::int64_t) override {}
    void focusDestination() override {}
    void showQueuePage() override {}
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ConversionOptions options;
    options.quality = 80;
    options.destination = kSameFolder;
    int jobs = 0;
    QStringList files;
    QString programFolder = QStringLiteral(PIXMORROW_BENCH_PROGRAM_DIR);
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--type") && i + 1 < arguments.size()) {
            options.type = arguments[++i];
        } else if (a == QLatin1String("--quality") && i + 1 < arguments.size()) {
            options.quality = arguments[++i].toInt();
        } else if (a == QLatin1String("--gray")) {
            options.grayscale = true;
        } else if (a == QLatin1String("--keep-metadata")) {
            options.keepMetadata = true;
        } else if (a == QLatin1String("--jobs") && i + 1 < arguments.size()) {
            jobs = arguments[++i].toInt();
        } else if (a == QLatin1String("--dest") && i + 1 < arguments.size()) {
            options.destination = arguments[++i];
        } else if (a == QLatin1String("--program-folder") && i + 1 < arguments.size()) {
            programFolder = arguments[++i];
        } else {
            files << a;
        }
    }
    PrintingDialogs dialogs;
    if (!loadCodecLibraryAtStart(dialogs, programFolder))
        return 2;

    QTemporaryDir settings;
    QuietReporter reporter;
    SteadyTickClock clock;
    EngineFactory factory(programFolder);
    RunSettings runSettings;
    runSettings.settingsFolder = settings.path() + u'/';
    runSettings.workers = jobs;
    ConversionRun run(dialogs, reporter, clock, factory, runSettings);
    const auto totals = run.run(files, options);
    if (!totals)
        return 2;
    std::printf("%lld files, %lld converted, %s, in %s, out %s: %s %s\n",
                static_cast<long long>(totals->processedCount),
                static_cast<long long>(totals->convertedCount), qPrintable(totals->elapsedText()),
                qPrintable(QString::number(totals->inputTotal)),
                qPrintable(QString::number(totals->outputTotal)),
                qPrintable(totals->diskSpaceCaption()), qPrintable(totals->diskSpaceText()));
    return dialogs.messages == 0 ? 0 : 1;
}
