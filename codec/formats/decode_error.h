#pragma once

#include <stdexcept>
#include <string>

namespace pixmorrow::formats {

// What went wrong with a picture, for code that acts on it; the text says it to the user.
enum class ErrorKind {
    None = 0,         // not a decoder's failure, or one whose kind was not passed on
    Truncated = 1,    // the data ends before the picture does
    TooLarge = 2,     // over the size limits, or the memory a library would need for it
    Unsupported = 3,  // not this format, or a variant of it that is not read
    Corrupt = 4,      // the data breaks the format's rules
    Library = 5,      // a library failed without saying more than its own code or text
};

// Whose numbering a library's code is in.
enum class CodeSource {
    None = 0,
    Libjpeg = 1,  // msg_code (J_MESSAGE_CODE): 53 is "Not a JPEG file"
    Zlib = 2,     // inflate's return value (Z_DATA_ERROR ...)
    Libpng = 3,   // libpng has no error numbers; never set with a value today
    Libwebp = 4,  // VP8StatusCode
    Libtiff = 5,  // libtiff has no error numbers; never set with a value today
    Jxrlib = 6,   // ERR (WMP_err...)
    Librsvg = 7,  // the GError code in RSVG_ERROR
};

// A library's own code for a failure; source None when there is none.
struct LibraryCode {
    CodeSource source = CodeSource::None;
    int value = 0;

    bool operator==(const LibraryCode&) const = default;
};

// Kind and code of a failure, as they travel with its text.
struct ErrorCause {
    ErrorKind kind = ErrorKind::None;
    LibraryCode code;

    bool operator==(const ErrorCause&) const = default;
};

// Every format reader fails with this; what() is the text the user sees.
class DecodeError : public std::runtime_error {
public:
    DecodeError(const std::string& text, ErrorKind kind, LibraryCode code = {})
        : std::runtime_error(text), cause_{kind, code} {}
    DecodeError(const std::string& text, ErrorCause cause)
        : std::runtime_error(text), cause_(cause) {}
    // A text relayed from elsewhere without its kind (ErrorKind::None).
    explicit DecodeError(const std::string& text) : std::runtime_error(text) {}

    const ErrorCause& cause() const noexcept { return cause_; }
    ErrorKind kind() const noexcept { return cause_.kind; }
    const LibraryCode& code() const noexcept { return cause_.code; }

private:
    ErrorCause cause_;
};

}  // namespace pixmorrow::formats
