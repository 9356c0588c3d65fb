#pragma once

#include "conversion/run/converter_factory.h"

#include <QString>

#include <functional>

namespace pixmorrow {

// The real conversion objects, one set per worker: its own external tool bridge and log,
// backend and work bitmap, and intermediate files in the worker's own folder.
class EngineFactory final : public ConverterFactory {
public:
    // `programFolder` holds imagemagick/, the codec library and the JPEG XR helper.
    explicit EngineFactory(QString programFolder) : programFolder_(std::move(programFolder)) {}

    std::unique_ptr<FileConverter> makeConverter(const WorkerSetup& setup) override;

    // Given each worker's tool log, its whole text, after every change; called on that
    // worker's thread. The window's hidden log follows the commands and the tool's messages.
    std::function<void(const QString&)> showLog;

private:
    QString programFolder_;
};

}  // namespace pixmorrow
