#pragma once

#include "formats/resize_plan.h"

#include <QString>

#include <optional>

namespace pixmorrow {

// One file's conversion in the two stages the run calls: the decoding stage brings the
// source into the work bitmap, the writing stage writes `output` in the chosen type, with
// the source's colour profile where the type holds one and its EXIF and XMP when
// `keepMetadata`. Both fail by throwing; the run reports the error and goes on with the
// next file.
class FileConverter {
public:
    virtual ~FileConverter() = default;

    // How the files that follow are resized on the way (none: not at all). Called once a run.
    virtual void setResize(const std::optional<formats::ResizeRequest>& resize) { (void)resize; }

    virtual void decodingStage(const QString& source, const QString& extension, bool grayscale) = 0;
    virtual void writingStage(const QString& source, const QString& extension,
                              const QString& output, const QString& type, int quality,
                              bool grayscale, bool keepMetadata) = 0;
};

// Thrown by a stage that has already shown the user its own message for this file: the
// file fails, and the run shows no second box for it.
class ReportedFailure : public std::exception {
public:
    const char* what() const noexcept override { return "reported"; }
};

}  // namespace pixmorrow
