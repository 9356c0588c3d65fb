#include "app/resize_choice.h"

#include <algorithm>

namespace pixmorrow {

namespace {

using formats::ResizeMode;

constexpr int kDefaultPixels = 1920;
constexpr int kDefaultPercent = 50;

ResizeMode modeAt(int index) {
    return ResizeMode(std::clamp(index, 0, int(ResizeMode::Percent)));
}

}  // namespace

QStringList resizeModeNames() {
    return {QStringLiteral("Longest side"), QStringLiteral("Width"), QStringLiteral("Height"),
            QStringLiteral("Fit in box"), QStringLiteral("Percent")};
}

ResizeFields fieldsFor(const formats::ResizeRequest& request) {
    ResizeFields fields;
    fields.modeIndex = int(request.mode);
    const bool percent = request.mode == ResizeMode::Percent;
    fields.firstMaximum = int(percent ? formats::kMaxResizePercent : formats::kMaxResizePixels);
    fields.first = std::clamp(int(request.value), 1, fields.firstMaximum);
    fields.second = std::clamp(int(request.boxHeight), 1, int(formats::kMaxResizePixels));
    fields.secondShown = request.mode == ResizeMode::FitInBox;
    fields.unit = percent ? QStringLiteral("%") : QStringLiteral("px");
    return fields;
}

formats::ResizeRequest requestFor(int modeIndex, int first, int second, bool enlarge) {
    formats::ResizeRequest request;
    request.mode = modeAt(modeIndex);
    const int most = int(request.mode == ResizeMode::Percent ? formats::kMaxResizePercent
                                                             : formats::kMaxResizePixels);
    request.value = std::uint32_t(std::clamp(first, 1, most));
    request.boxHeight = std::uint32_t(std::clamp(second, 1, int(formats::kMaxResizePixels)));
    request.enlarge = enlarge;
    return request;
}

int firstValueAfterModeChange(ResizeMode previous, ResizeMode next, int value) {
    const bool wasPercent = previous == ResizeMode::Percent;
    const bool isPercent = next == ResizeMode::Percent;
    if (wasPercent == isPercent)
        return value;
    return isPercent ? kDefaultPercent : kDefaultPixels;
}

bool keepStructureApplies(const QString& destination, const QString& sameFolderText) {
    return !destination.trimmed().isEmpty() && destination != sameFolderText;
}

}  // namespace pixmorrow
