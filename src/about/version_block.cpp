#include "about/version_block.h"

#include <QStringList>

namespace pixmorrow {

namespace {

constexpr int kMaxDepth = 8;

std::uint16_t word(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

qsizetype aligned(qsizetype offset) {
    return (offset + 3) & ~qsizetype{3};
}

}  // namespace

bool VersionBlock::parseNode(const QByteArray& b, qsizetype offset, qsizetype limit, int depth,
                             Node& out, qsizetype& end) {
    if (depth > kMaxDepth || offset < 0 || limit - offset < 6)
        return false;
    const qsizetype length = word(b, offset);
    const std::uint16_t valueLength = word(b, offset + 2);
    out.type = word(b, offset + 4);
    if (length < 6 || length > limit - offset)
        return false;
    const qsizetype blockEnd = offset + length;

    qsizetype at = offset + 6;
    QString key;
    for (;;) {
        if (blockEnd - at < 2)
            return false;  // key not terminated inside the block
        std::uint16_t c = word(b, at);
        at += 2;
        if (c == 0)
            break;
        key.append(QChar(c));
    }
    out.key = key;
    at = aligned(at);

    // Text values count 16-bit units, binary values bytes.
    const qsizetype valueBytes = out.type == 1 ? qsizetype{valueLength} * 2 : valueLength;
    if (valueBytes > 0) {
        if (at > blockEnd || valueBytes > blockEnd - at)
            return false;
        out.value = b.mid(at, valueBytes);
        at = aligned(at + valueBytes);
    }
    while (at < blockEnd) {
        if (blockEnd - at < 6)
            break;  // trailing padding
        Node child;
        qsizetype childEnd = 0;
        if (!parseNode(b, at, blockEnd, depth + 1, child, childEnd))
            return false;
        out.children.push_back(std::move(child));
        at = aligned(childEnd);
    }
    end = blockEnd;
    return true;
}

std::optional<VersionBlock> VersionBlock::parse(const QByteArray& bytes) {
    VersionBlock block;
    qsizetype end = 0;
    if (!parseNode(bytes, 0, bytes.size(), 0, block.root_, end))
        return std::nullopt;
    if (block.root_.key != QStringLiteral("VS_VERSION_INFO"))
        return std::nullopt;
    return block;
}

std::optional<QByteArray> VersionBlock::value(const QString& path) const {
    const Node* node = &root_;
    for (const QString& part : path.split(u'\\', Qt::SkipEmptyParts)) {
        const Node* next = nullptr;
        for (const Node& child : node->children) {
            if (child.key.compare(part, Qt::CaseInsensitive) == 0) {
                next = &child;
                break;
            }
        }
        if (next == nullptr)
            return std::nullopt;
        node = next;
    }
    return node->value;
}

std::optional<QString> VersionBlock::text(const QString& path) const {
    auto bytes = value(path);
    if (!bytes)
        return std::nullopt;
    QString s;
    for (qsizetype i = 0; i + 1 < bytes->size(); i += 2) {
        std::uint16_t c = word(*bytes, i);
        if (c == 0)
            break;
        s.append(QChar(c));
    }
    return s;
}

}  // namespace pixmorrow
