#include "conversion/run/output_folder.h"

#include "platform/error.h"
#include "platform/program_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace pixmorrow {

QString structuredOutputFolder(const QString& source, const QString& scanRoot,
                               const QString& destination, bool keepStructure) {
    const QString top = withTrailingSeparator(destination);
    if (!keepStructure || scanRoot.isEmpty())
        return top;
    const QString relative =
        QDir(QDir::cleanPath(scanRoot)).relativeFilePath(QFileInfo(source).absolutePath());
    if (relative.isEmpty() || relative == QLatin1String(".") || QDir::isAbsolutePath(relative) ||
        relative == QLatin1String("..") || relative.startsWith(QLatin1String("../")))
        return top;
    return withTrailingSeparator(top + relative);
}

void createOutputFolder(const QString& folder) {
    std::error_code error;
    const std::filesystem::path path(QFile::encodeName(folder).toStdString());
    std::filesystem::create_directories(path, error);
    // create_directories says nothing when the path exists as something else than a folder.
    if (!error && !std::filesystem::is_directory(path, error) && !error)
        error = std::make_error_code(std::errc::not_a_directory);
    if (error) {
        throw Error(QStringLiteral("Cannot create folder ") +
                    QDir::toNativeSeparators(QDir::cleanPath(folder)) + QStringLiteral(": ") +
                    QString::fromLocal8Bit(error.message().c_str()));
    }
}

}  // namespace pixmorrow
