#pragma once

#include <QString>

namespace pixmorrow {

class ImageQueue;

// Entering the Options page: true when the first queued file is a ".webp" file and the
// chosen output type is "WEBP", so the type should switch to "PNG". Only the first file counts.
bool shouldSwitchWebpToPng(const ImageQueue& queue, const QString& outputType);

// The online-help path for a product name: "/help/" + slug + "/", the slug being the name
// with A to Z lowered and every blank replaced by "-".
QString onlineHelpPath(const QString& productName);

// "Images [" + count + "]", without thousands separators.
QString countCaption(std::size_t count);

}  // namespace pixmorrow
