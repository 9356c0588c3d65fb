#include "version_block_writer.h"

#include <sstream>
#include <stdexcept>

namespace pixmorrow::versionres {

namespace {

class Writer {
public:
    std::vector<std::uint8_t> bytes;

    void word(std::uint16_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void dword(std::uint32_t v) {
        word(static_cast<std::uint16_t>(v & 0xFFFF));
        word(static_cast<std::uint16_t>(v >> 16));
    }
    void align() {
        while (bytes.size() % 4 != 0)
            bytes.push_back(0);
    }
    void setWord(std::size_t at, std::uint16_t v) {
        bytes[at] = static_cast<std::uint8_t>(v & 0xFF);
        bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    // Writes a UTF-16LE zero-terminated string; returns its length in 16-bit units with the zero.
    std::size_t text(const std::u16string& s) {
        for (char16_t c : s)
            word(static_cast<std::uint16_t>(c));
        word(0);
        return s.size() + 1;
    }
    // Starts a block header; returns its offset for finish().
    std::size_t begin(const std::u16string& key, std::uint16_t valueLength, std::uint16_t type) {
        align();
        std::size_t at = bytes.size();
        word(0);
        word(valueLength);
        word(type);
        text(key);
        align();
        return at;
    }
    void finish(std::size_t at) {
        std::size_t length = bytes.size() - at;
        if (length > 0xFFFF)
            throw std::runtime_error("version resource block too large");
        setWord(at, static_cast<std::uint16_t>(length));
    }
};

std::u16string utf16(const std::string& utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp;
        std::size_t n;
        if (c < 0x80) {
            cp = c;
            n = 1;
        } else if ((c >> 5) == 0x6) {
            cp = c & 0x1F;
            n = 2;
        } else if ((c >> 4) == 0xE) {
            cp = c & 0x0F;
            n = 3;
        } else if ((c >> 3) == 0x1E) {
            cp = c & 0x07;
            n = 4;
        } else
            throw std::runtime_error("invalid UTF-8 in version description");
        if (i + n > utf8.size())
            throw std::runtime_error("invalid UTF-8 in version description");
        for (std::size_t k = 1; k < n; ++k) {
            unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
            if ((cc >> 6) != 0x2)
                throw std::runtime_error("invalid UTF-8 in version description");
            cp = (cp << 6) | (cc & 0x3F);
        }
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::u16string hex4(std::uint16_t v) {
    static const char digits[] = "0123456789ABCDEF";
    std::u16string s;
    for (int shift = 12; shift >= 0; shift -= 4)
        s.push_back(static_cast<char16_t>(digits[(v >> shift) & 0xF]));
    return s;
}

std::uint32_t high(const std::array<std::uint16_t, 4>& v) {
    return (std::uint32_t{v[0]} << 16) | v[1];
}
std::uint32_t low(const std::array<std::uint16_t, 4>& v) {
    return (std::uint32_t{v[2]} << 16) | v[3];
}

std::array<std::uint16_t, 4> parseVersion(const std::string& text) {
    std::array<std::uint16_t, 4> v{};
    std::istringstream in(text);
    std::string part;
    int i = 0;
    while (std::getline(in, part, '.')) {
        if (i >= 4)
            throw std::runtime_error("version has more than four numbers: " + text);
        unsigned long n = std::stoul(part);
        if (n > 0xFFFF)
            throw std::runtime_error("version number out of range: " + text);
        v[i++] = static_cast<std::uint16_t>(n);
    }
    return v;
}

std::string trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

}  // namespace

std::vector<std::uint8_t> buildVersionInfo(const VersionDescription& d) {
    Writer w;
    std::size_t root = w.begin(u"VS_VERSION_INFO", 52, 0);
    w.dword(0xFEEF04BD);  // signature
    w.dword(0x00010000);  // structure version
    w.dword(high(d.fileVersion));
    w.dword(low(d.fileVersion));
    w.dword(high(d.productVersion));
    w.dword(low(d.productVersion));
    w.dword(0x3F);        // file flags mask
    w.dword(0);           // file flags
    w.dword(0x00040004);  // VOS_NT_WINDOWS32
    w.dword(1);           // VFT_APP
    w.dword(0);           // subtype
    w.dword(0);           // date, most significant
    w.dword(0);           // date, least significant

    if (!d.translations.empty()) {
        std::size_t sfi = w.begin(u"StringFileInfo", 0, 1);
        const auto& first = d.translations.front();
        std::size_t table = w.begin(hex4(first.first) + hex4(first.second), 0, 1);
        for (const auto& [name, value] : d.strings) {
            std::u16string v = utf16(value);
            std::size_t s = w.begin(utf16(name), static_cast<std::uint16_t>(v.size() + 1), 1);
            w.text(v);
            w.finish(s);
        }
        w.finish(table);
        w.finish(sfi);

        std::size_t vfi = w.begin(u"VarFileInfo", 0, 1);
        std::size_t var =
            w.begin(u"Translation", static_cast<std::uint16_t>(4 * d.translations.size()), 0);
        for (const auto& [language, codePage] : d.translations) {
            w.word(language);
            w.word(codePage);
        }
        w.finish(var);
        w.finish(vfi);
    }
    w.finish(root);
    return w.bytes;
}

VersionDescription parseDescription(const std::string& text) {
    VersionDescription d;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        auto eq = line.find('=');
        if (eq == std::string::npos)
            throw std::runtime_error("line without '=': " + line);
        std::string key = trim(line.substr(0, eq));
        std::string value = trim(line.substr(eq + 1));
        if (key == "FileVersion") {
            d.fileVersion = parseVersion(value);
        } else if (key == "ProductVersion") {
            d.productVersion = parseVersion(value);
        } else if (key == "Translation") {
            std::istringstream pair(value);
            std::string language, codePage;
            pair >> language >> codePage;
            d.translations.emplace_back(
                static_cast<std::uint16_t>(std::stoul(language, nullptr, 16)),
                static_cast<std::uint16_t>(std::stoul(codePage, nullptr, 16)));
        } else if (key.rfind("String.", 0) == 0) {
            d.strings.emplace_back(key.substr(7), value);
        } else {
            throw std::runtime_error("unknown key in version description: " + key);
        }
    }
    return d;
}

}  // namespace pixmorrow::versionres
