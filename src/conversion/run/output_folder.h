#pragma once

#include <QString>

namespace pixmorrow {

// The folder a source's output goes into, with a trailing separator. With the folder
// structure kept and a `scanRoot` (the folder whose scan added the source), the source's
// place inside that folder is repeated under `destination`; otherwise `destination` itself.
// A source that is not inside its scan root (a link leading out) goes to the top.
QString structuredOutputFolder(const QString& source, const QString& scanRoot,
                               const QString& destination, bool keepStructure);

// Makes `folder` and the folders above it that are missing; throws Error "Cannot create
// folder <path>: <reason>" when it cannot.
void createOutputFolder(const QString& folder);

}  // namespace pixmorrow
