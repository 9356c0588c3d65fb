#include "conversion/output_commit.h"

#include "conversion/run_texts.h"
#include "platform/error.h"

#include <QRandomGenerator>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pixmorrow {

namespace {

QString systemMessage(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool linkThenUnlink(const QByteArray& from, const QByteArray& to) {
    if (::link(from.constData(), to.constData()) != 0) {
        if (errno == EEXIST)
            return false;
        throw Error(QStringLiteral("Cannot create file ") + QString::fromLocal8Bit(to) +
                    QStringLiteral(": ") + systemMessage(errno));
    }
    ::unlink(from.constData());
    return true;
}

}  // namespace

bool renameWithoutReplacing(const QString& from, const QString& to) {
    const QByteArray source = from.toLocal8Bit();
    const QByteArray target = to.toLocal8Bit();
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0) {
        return true;
    }
    const int error = errno;
    if (error == EEXIST)
        return false;
    // File systems without the flag still refuse an existing target for a hard link.
    if (error == EINVAL || error == ENOSYS || error == ENOTSUP) {
        return linkThenUnlink(source, target);
    }
    throw Error(QStringLiteral("Cannot create file ") + to + QStringLiteral(": ") +
                systemMessage(error));
}

TemporaryOutput::TemporaryOutput(const QString& outputFolder, const QString& extension) {
    do {
        const QString tag = QString::number(QRandomGenerator::global()->generate64(), 36);
        path_ = outputFolder + QStringLiteral(".pixmorrow-") + tag + extension;
    } while (entryExists(path_));
}

TemporaryOutput::~TemporaryOutput() {
    if (!committed_)
        ::unlink(path_.toLocal8Bit().constData());
}

QString TemporaryOutput::commit(const QString& wanted) {
    const std::int64_t size = GetFileSizeBytes(path_);
    if (size <= 0)
        return QString();
    QString target = wanted;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (renameWithoutReplacing(path_, target)) {
            committed_ = true;
            return target;
        }
        target = MakeUniqueFileName(wanted);
    }
    throw Error(QStringLiteral("Cannot create file ") + wanted);
}

}  // namespace pixmorrow
