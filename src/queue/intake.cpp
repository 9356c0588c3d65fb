#include "queue/intake.h"

#include "platform/absolute_path.h"
#include "platform/program_paths.h"
#include "queue/image_queue.h"
#include "queue/supported_input.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <set>

namespace pixmorrow {

bool isExistingFolder(const QString& path) {
    struct stat st;
    return !path.isEmpty() && ::stat(path.toLocal8Bit().constData(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

Intake::Intake(ImageQueue& queue, Hooks hooks) : queue_(queue), hooks_(std::move(hooks)) {}

void Intake::addChosenFiles(const QStringList& paths) {
    for (const QString& path : absolutePaths(paths))
        queue_.append(path);
}

void Intake::addPaths(const QStringList& paths) {
    for (const QString& path : absolutePaths(paths)) {
        if (isExistingFolder(path)) {
            AddAllFilesInDir(path);
        } else if (Destekleniyormu(path)) {
            queue_.append(path);
        }
    }
}

void Intake::AddAllFilesInDir(const QString& folder) {
    std::set<FolderId> visited;
    const QString root = absolutePath(folder);
    scan(root, root, visited);
}

void Intake::scan(const QString& folder, const QString& root, std::set<FolderId>& visited) {
    const QByteArray native = folder.toLocal8Bit();
    struct stat self;
    if (::stat(native.constData(), &self) != 0 || !S_ISDIR(self.st_mode))
        return;
    const FolderId id{static_cast<unsigned long long>(self.st_dev),
                      static_cast<unsigned long long>(self.st_ino)};
    // Once per scan, wherever the links lead: a folder of links that cross into each other
    // would otherwise be entered once for every path through them.
    if (!visited.insert(id).second)
        return;

    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native.constData()), ::closedir);
    if (!dir)
        return;
    const QString prefix = withTrailingSeparator(folder);
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        const QString child = prefix + QString::fromLocal8Bit(name);
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // A link to a folder counts as a folder, as the user sees it.
            isFolder = isExistingFolder(child);
        }
        if (isFolder) {
            if (hooks_.includeSubfolders && hooks_.includeSubfolders())
                scan(child, root, visited);
            continue;
        }
        if (!Destekleniyormu(child))
            continue;
        queue_.append(child, root);
        if (hooks_.afterFileAdded)
            hooks_.afterFileAdded();
    }
}

}  // namespace pixmorrow
