#include "conversion/routes/engine_factory.h"

#include "conversion/external/command_runner.h"
#include "conversion/routes/conversion_engine.h"
#include "conversion/routes/file_converter.h"

namespace pixmorrow {

namespace {

// A worker's converter with the objects it owns.
class WorkerEngine final : public FileConverter {
public:
    WorkerEngine(const QString& programFolder, const WorkerSetup& setup,
                 const std::function<void(const QString&)>& showLog)
        : engine_({programFolder, setup.intermediateFolder, setup.dialogs, log_}) {
        log_.onChange = showLog;
        ImageMagickBridge& bridge = engine_.bridge();
        // A worker has no windows to repaint.
        bridge.keepUiAlive = {};
        bridge.cancelled = setup.cancelled;
        if (setup.singleThreadedTool) {
            // The other workers keep the other cores busy already.
            bridge.environment = {QStringLiteral("MAGICK_THREAD_LIMIT=1"),
                                  QStringLiteral("OMP_NUM_THREADS=1")};
        }
    }

    void decodingStage(const QString& source, const QString& extension, bool grayscale) override {
        engine_.converter().decodingStage(source, extension, grayscale);
    }
    void writingStage(const QString& source, const QString& extension, const QString& output,
                      const QString& type, int quality, bool grayscale,
                      bool keepMetadata) override {
        engine_.converter().writingStage(source, extension, output, type, quality, grayscale,
                                         keepMetadata);
    }

private:
    CommandLog log_;
    ConversionEngine engine_;
};

}  // namespace

std::unique_ptr<FileConverter> EngineFactory::makeConverter(const WorkerSetup& setup) {
    return std::make_unique<WorkerEngine>(programFolder_, setup, showLog);
}

}  // namespace pixmorrow
