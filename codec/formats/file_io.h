#pragma once

#include "formats/decoded_image.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace pixmorrow::formats {

// Thrown by writeFileNoReplace when something already has the target name.
class FileExistsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes data into a new file `path`: a temporary file in the same folder, flushed to disk,
// then renamed without replacing anything. An existing `path` gives FileExistsError
// ("Cannot write <path>: File exists"); any other failure std::runtime_error
// ("Cannot write <path>: <reason>"). Nothing is left behind on failure.
void writeFileNoReplace(const std::string& path, Bytes data);

// Default cap of readWholeFile.
inline constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 30;

// The whole content of a regular file, refusing files over maxBytes; a named pipe, device or
// socket is refused at once, never waited on. Throws std::runtime_error: "Cannot read
// <path>: <reason>", "<path> is not a regular file", "File is too large: <path>".
std::vector<std::uint8_t> readWholeFile(const std::string& path,
                                        std::uint64_t maxBytes = kMaxFileBytes);

}  // namespace pixmorrow::formats
