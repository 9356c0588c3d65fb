#include "queue/supported_input.h"

#include "conversion/format_table.h"

#include <algorithm>

namespace pixmorrow {

QString lowerExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const qsizetype boundary =
        std::max({name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'), name.lastIndexOf(u':')});
    if (dot < boundary)
        return {};
    return asciiLower(name.mid(dot));
}

bool Destekleniyormu(const QString& name) {
    return inputKind(lowerExtension(name)).accepted;
}

}  // namespace pixmorrow
