#pragma once

#include <QIcon>
#include <QString>

namespace pixmorrow {

// Where row icons come from: the desktop's icon for a file's type. Null for a missing file.
class IconSource {
public:
    virtual ~IconSource() = default;
    virtual QIcon iconFor(const QString& path) = 0;
};

// The desktop theme's icon for the file's type (QFileIconProvider).
class DesktopIconSource final : public IconSource {
public:
    QIcon iconFor(const QString& path) override;
};

}  // namespace pixmorrow
