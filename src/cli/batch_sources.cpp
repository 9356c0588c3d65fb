#include "cli/batch_sources.h"

#include "conversion/run/run_texts.h"
#include "localization/language.h"
#include "platform/absolute_path.h"
#include "queue/image_queue.h"
#include "queue/intake.h"
#include "queue/supported_input.h"

namespace pixmorrow::cli {

BatchSources collectSources(const QStringList& paths, bool recursive) {
    BatchSources sources;
    ImageQueue queue;
    Intake intake(queue, {[recursive] { return recursive; }, {}});
    const auto refuse = [&sources](const QString& path, const char* why) {
        FileReport report;
        report.result.source = path;
        report.error = TranslateText(QString::fromLatin1(why));
        sources.refused.push_back(report);
    };
    for (const QString& path : absolutePaths(paths)) {
        if (isExistingFolder(path)) {
            intake.AddAllFilesInDir(path);
        } else if (!entryExists(path)) {
            refuse(path, "File not found!");
        } else if (!Destekleniyormu(path)) {
            refuse(path, "Unsupported file type");
        } else {
            queue.append(path);
        }
    }
    for (const TMyRecord& record : queue.items()) {
        sources.queue << record.FName;
        sources.scanRoots << record.scanRoot;
    }
    return sources;
}

}  // namespace pixmorrow::cli
