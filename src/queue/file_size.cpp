#include "queue/file_size.h"

#include <sys/stat.h>

namespace pixmorrow {

std::int64_t GetFileSizeBytes(const QString& path) {
    struct stat st;
    if (path.isEmpty() || ::stat(path.toLocal8Bit().constData(), &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

}  // namespace pixmorrow
