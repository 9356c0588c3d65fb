#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace pixmorrow {

// A parsed VS_VERSIONINFO block, queried like VerQueryValue. The bytes are untrusted:
// parse() checks every length against its parent block and refuses what does not fit.
class VersionBlock {
public:
    // Nothing when the bytes are not a well-formed block.
    static std::optional<VersionBlock> parse(const QByteArray& bytes);

    // The value bytes at a path such as "\", "\VarFileInfo\Translation" or
    // "\StringFileInfo\040904E4\CompanyName"; keys match without regard to case.
    std::optional<QByteArray> value(const QString& path) const;

    // A string value (UTF-16LE up to its first zero).
    std::optional<QString> text(const QString& path) const;

private:
    struct Node {
        QString key;
        std::uint16_t type = 0;
        QByteArray value;
        std::vector<Node> children;
    };
    static bool parseNode(const QByteArray& bytes, qsizetype offset, qsizetype limit, int depth,
                          Node& out, qsizetype& end);

    Node root_;
};

}  // namespace pixmorrow
