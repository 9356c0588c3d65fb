#include "online/scramble.h"

#include <QByteArray>

#include <cstdint>

namespace pixmorrow {

namespace {

constexpr std::uint16_t kScrambleStart = 0x6A3D;
constexpr std::uint32_t kScrambleMultiplier = 0x9E37;
constexpr std::uint32_t kScrambleAddend = 0x1F2B;

std::uint16_t nextKey(std::uint8_t c, std::uint16_t key) {
    return static_cast<std::uint16_t>((c + key) * kScrambleMultiplier + kScrambleAddend);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

QString ScrambleText(const QString& text) {
    static const char kDigits[] = "0123456789ABCDEF";
    const QByteArray bytes = text.toUtf8();
    QString out;
    out.reserve(bytes.size() * 2);
    std::uint16_t key = kScrambleStart;
    for (const char ch : bytes) {
        const auto b = static_cast<std::uint8_t>(ch);
        const auto c = static_cast<std::uint8_t>(b ^ (key >> 8));
        key = nextKey(c, key);
        out += QLatin1Char(kDigits[c >> 4]);
        out += QLatin1Char(kDigits[c & 0x0F]);
    }
    return out;
}

QString UnscrambleText(const QString& scrambled) {
    const QString upper = scrambled.toUpper();
    QByteArray bytes;
    bytes.reserve(upper.size() / 2);
    std::uint16_t key = kScrambleStart;
    for (qsizetype i = 0; i + 1 < upper.size(); i += 2) {
        const QChar high = upper[i];
        const QChar low = upper[i + 1];
        const int h = high.unicode() < 128 ? hexValue(static_cast<char>(high.unicode())) : -1;
        const int l = low.unicode() < 128 ? hexValue(static_cast<char>(low.unicode())) : -1;
        if (h < 0 || l < 0)
            return {};
        const auto c = static_cast<std::uint8_t>(h * 16 + l);
        bytes += static_cast<char>(c ^ (key >> 8));
        key = nextKey(c, key);
    }
    return QString::fromUtf8(bytes);
}

}  // namespace pixmorrow
