#pragma once

#include "formats/resize_plan.h"

#include <QString>
#include <QStringList>

namespace pixmorrow {

// The Options page's resize controls as plain values: the mode list's entries (in
// ResizeMode's order), what the fields show for a request and the request they make.
struct ResizeFields {
    int modeIndex = 0;
    int first = 1920;   // pixels, or the percentage
    int second = 1080;  // the box's height; shown for "Fit in box" only
    int firstMaximum = int(formats::kMaxResizePixels);
    bool secondShown = false;
    QString unit;  // "px" or "%", untranslated
};

// "Longest side", "Width", "Height", "Fit in box", "Percent", untranslated.
QStringList resizeModeNames();

ResizeFields fieldsFor(const formats::ResizeRequest& request);

// The request of the fields; values outside their range are brought into it.
formats::ResizeRequest requestFor(int modeIndex, int first, int second, bool enlarge);

// The first field's value after the mode changes from `previous` to `next`: a size in
// pixels stays when the unit does, a change between pixels and percent starts again from
// that unit's default (1920 pixels, 50%).
int firstValueAfterModeChange(formats::ResizeMode previous, formats::ResizeMode next, int value);

// Whether "Keep folder structure" applies to a destination: only a folder has one, not
// "Same Folder as Original" (nor an empty field).
bool keepStructureApplies(const QString& destination, const QString& sameFolderText);

}  // namespace pixmorrow
