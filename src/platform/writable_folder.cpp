#include "platform/writable_folder.h"

#include "platform/program_paths.h"

#include <stdlib.h>
#include <unistd.h>

#include <fcntl.h>

namespace pixmorrow {

bool isFolderWritable(const QString& folder) {
    // mkostemp picks a free random name and creates it with O_EXCL: a fixed name would make
    // two runs probing one folder at once fail each other, and a leftover file fail them all.
    QByteArray name = (withTrailingSeparator(folder) + QStringLiteral(".chk-XXXXXX")).toLocal8Bit();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(name.constData());
    return true;
}

}  // namespace pixmorrow
