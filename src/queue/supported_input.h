#pragma once

#include <QString>

#include "conversion/format_table.h"
#include "platform/text.h"

namespace pixmorrow {

// The extension of a name: from its last "." to the end when that "." comes after the last
// "/", "\" and ":"; empty otherwise. ASCII letters lowered, dot included.
QString lowerExtension(const QString& name);

// The supported-input test: true when the lower-cased extension is one the format table
// accepts (supportedExtensions()). Looks at the name only.
bool Destekleniyormu(const QString& name);

}  // namespace pixmorrow
