// The JPEG XR decoding helper, shipped in the program folder: reads one file from its
// standard input (a file the program hands over), decodes it, and answers on its standard
// output with a JxrHelperReply, then the pixels or the error text. jxrlib ends the process on
// some damaged files; then it is this helper that dies, not the program.
#include "conversion/formats/jxr_codec.h"
#include "formats/file_io.h"
#include "platform/posix_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <exception>
#include <string>

namespace {

using pixmorrow::JxrHelperReply;
namespace posix = pixmorrow::posix;

// Keeps the error text short whatever the library said.
constexpr std::size_t kMaxMessage = 4096;

}  // namespace

int main() {
    // Only the reply goes to the program: what the library prints goes nowhere.
    const posix::FileDescriptor reply(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3));
    const posix::FileDescriptor nowhere(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    if (!reply.valid() || !nowhere.valid() || ::dup2(nowhere.get(), STDOUT_FILENO) < 0 ||
        ::dup2(nowhere.get(), STDERR_FILENO) < 0)
        return 1;

    JxrHelperReply header;
    pixmorrow::formats::DecodedImage image;
    std::string message;
    try {
        // Standard input is a regular (memory) file, so it reads like any other file.
        const std::vector<std::uint8_t> file = pixmorrow::formats::readWholeFile("/dev/stdin");
        image = pixmorrow::decodeJxrInProcess(file);
        header.ok = 1;
        header.width = image.width;
        header.height = image.height;
        header.hasAlpha = image.hasAlpha ? 1 : 0;
    } catch (const pixmorrow::formats::DecodeError& e) {
        message = std::string(e.what()).substr(0, kMaxMessage);
        header.messageLength = static_cast<std::uint32_t>(message.size());
        header.errorKind = static_cast<std::uint32_t>(e.kind());
        header.codeSource = static_cast<std::uint32_t>(e.code().source);
        header.codeValue = e.code().value;
    } catch (const std::exception& e) {
        message = std::string(e.what()).substr(0, kMaxMessage);
        header.messageLength = static_cast<std::uint32_t>(message.size());
    }
    const bool sent =
        posix::writeAll(reply.get(), &header, sizeof header) == 0 &&
        (header.ok ? posix::writeAll(reply.get(), image.bgra.data(), image.bgra.size())
                   : posix::writeAll(reply.get(), message.data(), message.size())) == 0;
    return sent ? 0 : 1;
}
