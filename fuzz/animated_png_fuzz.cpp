// Feeds arbitrary bytes, as a file, to the animated-PNG test.
#include "conversion/formats/animated_png.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path =
        QDir::tempPath() +
        QStringLiteral("/fuzz_animated_png_%1.png").arg(QCoreApplication::applicationPid());
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    (void)pixmorrow::IsAnimatedPng(path);
    return 0;
}
