#pragma once

#include <QString>

namespace pixmorrow::testing {

// The build's program folder (the executable, Languages/, imagemagick/ ...).
inline QString builtProgramFolder() {
    return QStringLiteral(PIXMORROW_TEST_PROGRAM_DIR);
}
// The built executable, which carries the real version resource.
inline QString builtExecutable() {
    return builtProgramFolder() + QStringLiteral("/pixmorrow");
}
// The source tree's tests/ folder, for fixtures kept there.
inline QString testSourceFolder() {
    return QStringLiteral(PIXMORROW_TEST_SOURCE_DIR);
}

}  // namespace pixmorrow::testing
