#include "platform/writable_folder.h"

#include "platform/program_paths.h"

#include <fcntl.h>
#include <unistd.h>

namespace pixmorrow {

bool isFolderWritable(const QString& folder) {
    const QByteArray name =
        (withTrailingSeparator(folder) + QStringLiteral("chk.tmp")).toLocal8Bit();
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(name.constData());
    return true;
}

}  // namespace pixmorrow
