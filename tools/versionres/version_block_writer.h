#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pixmorrow::versionres {

// What a version resource says about a program.
struct VersionDescription {
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    // (language, code page) pairs; the first one names the string table.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
    // Name and value (UTF-8) of each string, in order.
    std::vector<std::pair<std::string, std::string>> strings;
};

// A VS_VERSIONINFO block in the Windows layout: UTF-16LE keys, 32-bit alignment,
// VS_FIXEDFILEINFO, \StringFileInfo\<translation>\..., \VarFileInfo\Translation.
std::vector<std::uint8_t> buildVersionInfo(const VersionDescription& description);

// Reads a description from "key=value" lines: FileVersion, ProductVersion ("2.0.0.0"),
// Translation ("0409 04E4", may repeat), and String.<Name>=<value>. Throws on bad lines.
VersionDescription parseDescription(const std::string& text);

}  // namespace pixmorrow::versionres
