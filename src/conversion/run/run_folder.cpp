#include "conversion/run/run_folder.h"

#include "platform/error.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace pixmorrow {

namespace {

QString systemMessage() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

}  // namespace

RunFolder::RunFolder(const QString& parent, int workers) {
    QByteArray name =
        QFile::encodeName(QDir(parent).absoluteFilePath(QStringLiteral(".pixmorrow-run-XXXXXX")));
    if (::mkdtemp(name.data()) == nullptr) {
        throw Error(QStringLiteral("Cannot create a folder for intermediate files in %1: %2")
                        .arg(parent, systemMessage()));
    }
    path_ = QFile::decodeName(name);
    for (int i = 0; i < workers; ++i) {
        const QString folder = workerFolder(i);
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0) {
            const QString reason = systemMessage();
            QDir(path_).removeRecursively();
            throw Error(QStringLiteral("Cannot create folder %1: %2").arg(folder, reason));
        }
    }
}

RunFolder::~RunFolder() {
    // Links inside are removed, never followed.
    QDir(path_).removeRecursively();
}

QString RunFolder::workerFolder(int index) const {
    return path_ + QStringLiteral("/w") + QString::number(index) + u'/';
}

}  // namespace pixmorrow
