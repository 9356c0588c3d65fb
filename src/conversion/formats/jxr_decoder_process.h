#pragma once

#include "formats/decoded_image.h"

#include <QString>

#include <chrono>

namespace pixmorrow {

// The JPEG XR decoding helper's file name in the program folder.
inline const QString kJxrHelperName = QStringLiteral("pixmorrow-jxr-decode");

// Long enough for the largest picture the readers accept; a helper stuck in damaged data is
// stopped after it.
inline constexpr std::chrono::milliseconds kJxrDecodeTimeLimit = std::chrono::minutes(2);

// Decodes a JPEG XR file (decodeJxrInProcess) in the helper program `helper`, started through
// the command runner, so that jxrlib failing hard on damaged data ends only the helper. Throws
// formats::DecodeError: the decoder's own text, "WMP: cannot start the decoder", or "WMP: the
// decoder failed on damaged data" when the helper crashed, answered short or ran out of time.
formats::DecodedImage decodeJxr(formats::Bytes data, const QString& helper,
                                std::chrono::milliseconds timeLimit = kJxrDecodeTimeLimit);

}  // namespace pixmorrow
