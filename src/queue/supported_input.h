#pragma once

#include <QString>
#include <QStringList>

#include "platform/text.h"

namespace pixmorrow {

// The extensions the queue accepts, dot included, in the order they are tested.
const QStringList& supportedExtensions();

// The extension of a name: from its last "." to the end when that "." comes after the last
// "/", "\" and ":"; empty otherwise. ASCII letters lowered, dot included.
QString lowerExtension(const QString& name);

// The supported-input test: true when the lower-cased extension is one of the 20 accepted.
// Looks at the name only.
bool Destekleniyormu(const QString& name);

}  // namespace pixmorrow
