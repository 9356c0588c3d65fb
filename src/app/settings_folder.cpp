#include "app/settings_folder.h"

#include "platform/program_paths.h"
#include "platform/writable_folder.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace pixmorrow {

bool isPrivatelyOwnedFolder(const QString& folder) {
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    return info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QString chooseSettingsFolder(const QString& programFolder, const QString& company,
                             const QString& product) {
    // Settings and intermediate files in a folder others may write to could be swapped or
    // read by them; only the user's own folder will do.
    if (isPrivatelyOwnedFolder(programFolder) && isFolderWritable(programFolder)) {
        return withTrailingSeparator(programFolder);
    }
    const QString appData = roamingAppDataFolder();
    const QString companyFolder = appData + u'/' + company;
    const QString productFolder = companyFolder + u'/' + product;
    if (!appData.isEmpty()) {
        // A fresh account may not have ~/.config yet; the XDG rules say to create it.
        QDir().mkpath(appData);
        // One level each; an existing folder is fine and any other failure shows up when
        // the first save fails.
        QDir().mkdir(companyFolder);
        QDir().mkdir(productFolder);
    }
    // Without any application-data folder nothing is created (certainly not under "/"); the
    // first save then reports the failure.
    return withTrailingSeparator(productFolder);
}

}  // namespace pixmorrow
