// Pictures for the codec tests, made at test time with ImageMagick and the WebP tools.
#pragma once

#include "conversion/routes/codec_library.h"
#include "platform/error.h"
#include "support/test_paths.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace pixmorrow::testing {

struct Rgba {
    std::uint8_t r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

// Runs a tool and fails the test when it does not succeed.
inline void runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    ASSERT_TRUE(process.waitForFinished(120000)) << program.toStdString();
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(process.exitCode(), 0)
        << program.toStdString() << " " << arguments.join(' ').toStdString() << ": "
        << process.readAllStandardError().toStdString();
}

inline QString toolOutput(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// A PAM file (RGB_ALPHA, 8 bits) of the given pixels, rows top-down.
inline void writePam(const QString& path, int width, int height, const std::vector<Rgba>& pixels) {
    QByteArray bytes =
        QStringLiteral("P7\nWIDTH %1\nHEIGHT %2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n")
            .arg(width)
            .arg(height)
            .toLatin1();
    for (const Rgba& p : pixels)
        bytes.append(reinterpret_cast<const char*>(&p), 4);
    writeBytes(path, bytes);
}

// A test fixture with the codec library loaded from the build's program folder and a
// scratch folder.
class CodecTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CodecLibrary::loadAtStart(builtProgramFolder()); }

    const CodecLibrary& codec() const { return CodecLibrary::instance(); }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Straight RGBA pixels of an image, through the library's reader.
    std::vector<Rgba> pixelsOf(const CodecLibrary::Image& image) const {
        formats::DecodedImage d = image.toDecodedImage();
        std::vector<Rgba> out(std::size_t{d.width} * d.height);
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = {d.bgra[i * 4 + 2], d.bgra[i * 4 + 1], d.bgra[i * 4], d.bgra[i * 4 + 3]};
        return out;
    }

    // Premultiplied B, G, R, A of one pixel as the image holds it.
    std::vector<std::uint8_t> premultipliedAt(const CodecLibrary::Image& image, int x,
                                              int y) const {
        const auto* p = static_cast<const std::uint8_t*>(image.peekPixels()) +
                        (std::size_t(y) * image.width() + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    QTemporaryDir dir_;
};

inline std::ostream& operator<<(std::ostream& os, const Rgba& p) {
    return os << "(" << int(p.r) << "," << int(p.g) << "," << int(p.b) << "," << int(p.a) << ")";
}

}  // namespace pixmorrow::testing
