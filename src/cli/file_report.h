#pragma once

#include "conversion/run/conversion_run.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace pixmorrow::cli {

// One file as the command reports it: how the run ended for it and the text of what went
// wrong (the engine's message boxes, joined), empty when it converted.
struct FileReport {
    FileResult result;
    QString error;

    bool converted() const { return !result.outputs.isEmpty(); }
};

// The sums the command reports at the end.
struct BatchSummary {
    RunTotals totals;  // of the files the run took, plus those refused before it
    std::int64_t failed = 0;
    bool interrupted = false;
};

// "source -> output (in -> out bytes)", or "source: error text"; no line end.
QString fileLine(const FileReport& report);
// {"source", "output", "outputs", "status", "error", "bytes_in", "bytes_out", "ms"} on one line.
QByteArray fileJson(const FileReport& report);

// "3 processed, 2 converted, 1 failed in 1.234 seconds; Saved Disk Space: 1.2 MB (75%)".
QString summaryLine(const BatchSummary& summary);
// {"summary": true, "processed", "converted", "failed", "bytes_in", "bytes_out",
//  "elapsed_ms", "elapsed", "disk_space", "interrupted"} on one line.
QByteArray summaryJson(const BatchSummary& summary);

}  // namespace pixmorrow::cli
