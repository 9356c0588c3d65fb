#include "app/settings_folder.h"

#include "platform/program_paths.h"
#include "platform/writable_folder.h"

#include <QDir>

namespace pixmorrow {

QString chooseSettingsFolder(const QString& programFolder, const QString& company,
                             const QString& product) {
    if (isFolderWritable(programFolder)) {
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
