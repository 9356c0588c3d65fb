#include "conversion/run/output_commit.h"

#include "conversion/run/run_texts.h"
#include "platform/error.h"
#include "platform/posix_io.h"

#include <QRandomGenerator>

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pixmorrow {

namespace {

QString systemMessage(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

bool renameWithoutReplacing(const QString& from, const QString& to) {
    const int error =
        posix::moveNoReplace(from.toLocal8Bit().toStdString(), to.toLocal8Bit().toStdString());
    if (error == 0)
        return true;
    if (error == EEXIST)
        return false;
    throw Error(QStringLiteral("Cannot create file ") + to + QStringLiteral(": ") +
                systemMessage(error));
}

TemporaryOutput::TemporaryOutput(const QString& outputFolder, const QString& extension) {
    do {
        const QString tag = QString::number(QRandomGenerator::global()->generate64(), 36);
        path_ = outputFolder + QStringLiteral(".pixmorrow-") + tag + extension;
    } while (entryExists(path_));
}

// The name the external tool gives frame `n` of a file: "-n" before the extension.
QString frameFileName(const QString& name, int n) {
    const qsizetype slash = name.lastIndexOf(u'/');
    const qsizetype dot = name.lastIndexOf(u'.');
    const qsizetype cut = dot > slash ? dot : name.size();
    return name.left(cut) + u'-' + QString::number(n) + name.mid(cut);
}

TemporaryOutput::~TemporaryOutput() {
    if (committed_)
        return;
    ::unlink(path_.toLocal8Bit().constData());
    for (int n = 0; entryExists(frameFileName(path_, n)); ++n) {
        ::unlink(frameFileName(path_, n).toLocal8Bit().constData());
    }
}

namespace {

QString moveIntoFreeName(const QString& from, const QString& first, const QString& series) {
    QString target = first;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (renameWithoutReplacing(from, target))
            return target;
        target = MakeUniqueFileName(series);
    }
    throw Error(QStringLiteral("Cannot create file ") + series);
}

}  // namespace

QStringList TemporaryOutput::commit(const QString& output, const QString& wanted) {
    QStringList written;
    if (GetFileSizeBytes(path_) > 0) {
        written << moveIntoFreeName(path_, output, wanted);
        committed_ = true;
        return written;
    }
    ::unlink(path_.toLocal8Bit().constData());
    for (int n = 0; entryExists(frameFileName(path_, n)); ++n) {
        const QString part = frameFileName(path_, n);
        if (GetFileSizeBytes(part) <= 0) {
            ::unlink(part.toLocal8Bit().constData());
            continue;
        }
        const QString series = frameFileName(wanted, n);
        written << moveIntoFreeName(part, MakeUniqueFileName(series), series);
    }
    return written;
}

}  // namespace pixmorrow
