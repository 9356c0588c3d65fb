#include "conversion/run/output_file.h"

#include "formats/file_io.h"
#include "platform/error.h"

#include <QFile>

namespace pixmorrow {

void writeOutputFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
    try {
        formats::writeFileNoReplace(QFile::encodeName(path).toStdString(), bytes);
    } catch (const std::exception& e) {
        throw Error(QString::fromLocal8Bit(e.what()));
    }
}

std::vector<std::uint8_t> readInputFile(const QString& path) {
    try {
        return formats::readWholeFile(QFile::encodeName(path).toStdString());
    } catch (const std::exception& e) {
        throw Error(QString::fromLocal8Bit(e.what()));
    }
}

}  // namespace pixmorrow
