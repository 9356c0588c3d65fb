#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace pixmorrow {

class Dialogs;
class FileConverter;

// What one worker of a run gives the converter it gets.
struct WorkerSetup {
    // A folder of this worker's own for its intermediate files and the external tool's
    // temporary files; ends in "/". Removed with the run.
    QString intermediateFolder;
    // Boxes raised while a file is converted on the worker: held and shown on the run's own
    // thread when that file's turn comes.
    Dialogs& dialogs;
    // True once the run is cancelled; a running external tool is then stopped. Asked from
    // the worker's thread.
    std::function<bool()> cancelled;
    // Several workers at once: each external tool keeps to one thread of its own.
    bool singleThreadedTool = false;
};

// Makes the converter of each worker of a run: one conversion at a time each, never shared.
class ConverterFactory {
public:
    virtual ~ConverterFactory() = default;
    // Called on the run's own thread before the worker starts.
    virtual std::unique_ptr<FileConverter> makeConverter(const WorkerSetup& setup) = 0;
};

}  // namespace pixmorrow
