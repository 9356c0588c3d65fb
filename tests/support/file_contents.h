#pragma once

// A file's whole contents written and read back, for tests that lay out files of their own.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace pixmorrow::testing {

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// Empty when the file cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

}  // namespace pixmorrow::testing
