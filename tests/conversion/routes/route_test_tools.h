#pragma once

// What the tests of whole runs share: a run reporter that ignores everything, and the
// reference tools that read the outputs back.

#include "conversion/run/conversion_run.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <vector>

namespace pixmorrow::testing {

struct NullReporter final : RunReporter {
    void statusText(const QString&) override {}
    void progress(std::int64_t, std::int64_t) override {}
    void focusDestination() override {}
    void showQueuePage() override {}
};

// Runs a program to its end (two minutes at most); its standard output.
inline QString runProgram(const QString& program, const QStringList& arguments,
                          int* exitCode = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    process.waitForFinished(120000);
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The largest chroma (HCL, 0 to 1) of each frame of a file, read by the reference tool.
// Lossy encoders leave a little colour noise on gray pixels, so gray means "nearly no
// chroma".
inline std::vector<double> saturations(const QString& path) {
    const QString text = runProgram(
        QStringLiteral("convert"),
        {path, QStringLiteral("-alpha"), QStringLiteral("off"), QStringLiteral("-colorspace"),
         QStringLiteral("HCL"), QStringLiteral("-channel"), QStringLiteral("G"),
         QStringLiteral("-separate"), QStringLiteral("-format"), QStringLiteral("%[fx:maxima]\n"),
         QStringLiteral("info:")});
    std::vector<double> values;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts))
        values.push_back(line.toDouble());
    return values;
}

}  // namespace pixmorrow::testing
