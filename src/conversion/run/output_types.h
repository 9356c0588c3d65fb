#pragma once

#include <QString>
#include <QStringList>

namespace pixmorrow {

// The output types in the order offered: "WEBP" (the default), "PNG", ... "WMP".
const QStringList& outputTypes();

// A type's output extension: "." + its name in lower case (".webp").
QString outputExtension(const QString& type);

// Whether the quality field matters for a type (WEBP, JPG, JPEG, JFIF).
bool usesQuality(const QString& type);

}  // namespace pixmorrow
