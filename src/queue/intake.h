#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <set>

namespace pixmorrow {

class ImageQueue;

// The intake roads' logic: which paths enter the queue, and the folder scan. Windows call it;
// it knows nothing of widgets. The scan calls `afterFileAdded` after every file it appends
// (the view update with its event-loop pass), so anything may happen to the queue between
// two additions: the scan keeps no index or reference into it and appends to it as it is.
// Every path enters the queue absolute, against the working folder of the moment.
class Intake {
public:
    struct Hooks {
        // Read at every subfolder the scan meets: the Include Subfolders check mark.
        std::function<bool()> includeSubfolders;
        // After each file the scan appends.
        std::function<void()> afterFileAdded;
    };

    Intake(ImageQueue& queue, Hooks hooks);

    // Add Files: every chosen path, without any test.
    void addChosenFiles(const QStringList& paths);

    // Drop and command line: an existing folder (links followed) is scanned at its place,
    // any other path is appended when the supported-input test accepts it.
    void addPaths(const QStringList& paths);

    // The folder scan: depth first, hidden entries included, in the order the file system
    // lists them; a folder that cannot be listed is skipped silently. A folder the scan has
    // already entered (through a link back into it, or one crossing over) is not entered
    // again. Each file found remembers the folder the scan started at.
    void AddAllFilesInDir(const QString& folder);
    void AddMyFolder(const QString& folder) { AddAllFilesInDir(folder); }

private:
    struct FolderId {
        unsigned long long device;
        unsigned long long inode;
        auto operator<=>(const FolderId&) const = default;
    };
    void scan(const QString& folder, const QString& root, std::set<FolderId>& visited);

    ImageQueue& queue_;
    Hooks hooks_;
};

// True when `path` names an existing folder, links followed.
bool isExistingFolder(const QString& path);

}  // namespace pixmorrow
