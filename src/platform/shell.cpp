#include "platform/shell.h"

namespace pixmorrow {

void openPageQuietly(Shell& shell, const QString& url) {
    try {
        shell.openUrl(url);
    } catch (...) {
        // Links are handled silently.
    }
}

}  // namespace pixmorrow
