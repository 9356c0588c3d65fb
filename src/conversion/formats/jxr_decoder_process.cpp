#include "conversion/formats/jxr_decoder_process.h"

#include "conversion/external/command_runner.h"
#include "conversion/formats/jxr_codec.h"
#include "formats/readers.h"
#include "platform/posix_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace pixmorrow {

namespace {

// The helper's reply, taken in as the pieces arrive.
class ReplyReader {
public:
    void take(const char* data, std::size_t size) {
        const std::size_t forHeader = std::min(size, sizeof header_ - headerFilled_);
        std::memcpy(reinterpret_cast<char*>(&header_) + headerFilled_, data, forHeader);
        headerFilled_ += forHeader;
        if (forHeader > 0 && headerFilled_ == sizeof header_)
            startBody();
        data += forHeader;
        size -= forHeader;
        if (body_ == nullptr)
            return;
        const std::size_t forBody = std::min(size, bodySize_ - bodyFilled_);
        std::memcpy(body_ + bodyFilled_, data, forBody);
        bodyFilled_ += forBody;
    }

    bool complete() const { return body_ != nullptr && bodyFilled_ == bodySize_; }
    bool ok() const { return header_.ok != 0; }
    formats::DecodedImage& image() { return image_; }
    const std::string& message() const { return message_; }
    // The failure's kind and code as the helper sent them; values outside the known ones
    // (a garbled reply) mean nothing.
    formats::ErrorCause cause() const {
        using formats::CodeSource;
        using formats::ErrorKind;
        formats::ErrorCause cause;
        if (header_.errorKind <= static_cast<std::uint32_t>(ErrorKind::Library))
            cause.kind = static_cast<ErrorKind>(header_.errorKind);
        if (header_.codeSource <= static_cast<std::uint32_t>(CodeSource::Librsvg))
            cause.code = {static_cast<CodeSource>(header_.codeSource), header_.codeValue};
        return cause;
    }

private:
    void startBody() {
        if (header_.magic != JxrHelperReply::kMagic)
            return;  // not the helper speaking: never complete
        if (header_.ok) {
            image_ = formats::allocateImage(header_.width, header_.height, "WMP");
            image_.hasAlpha = header_.hasAlpha != 0;
            body_ = reinterpret_cast<char*>(image_.bgra.data());
            bodySize_ = image_.bgra.size();
        } else {
            message_.resize(std::min<std::uint32_t>(header_.messageLength, 4096));
            body_ = message_.data();
            bodySize_ = message_.size();
        }
    }

    JxrHelperReply header_;
    std::size_t headerFilled_ = 0;
    formats::DecodedImage image_;
    std::string message_;
    char* body_ = nullptr;
    std::size_t bodySize_ = 0;
    std::size_t bodyFilled_ = 0;
};

// A memory file holding `data`, read from its start: the helper's standard input.
posix::FileDescriptor memoryFileWith(formats::Bytes data) {
    posix::FileDescriptor file(::memfd_create("pixmorrow-wmp", MFD_CLOEXEC));
    // Kept clear of 0 to 2, so that handing it on as standard input always makes a copy.
    if (file.valid() && file.get() <= STDERR_FILENO)
        file.reset(::fcntl(file.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
    if (!file.valid() || posix::writeAll(file.get(), data.data(), data.size()) != 0 ||
        ::lseek(file.get(), 0, SEEK_SET) != 0)
        return posix::FileDescriptor();
    return file;
}

[[noreturn]] void fail(const char* what, formats::ErrorKind kind) {
    throw formats::DecodeError(std::string("WMP: ") + what, kind);
}

}  // namespace

formats::DecodedImage decodeJxr(formats::Bytes data, const QString& helper,
                                std::chrono::milliseconds timeLimit) {
    const posix::FileDescriptor input = memoryFileWith(data);
    if (!input.valid())
        fail("cannot start the decoder", formats::ErrorKind::Library);
    ReplyReader reply;
    ToolRun run;
    run.arguments = QStringList{helper};
    run.timeLimit = timeLimit;
    run.standardInput = input.get();
    run.pieceSize = 64 * 1024;
    run.onOutput = [&reply](const char* piece, std::size_t size) { reply.take(piece, size); };
    const ToolOutcome outcome = runTool(run);
    if (outcome.end == ToolEnd::NoPipe || outcome.end == ToolEnd::NotStarted)
        fail("cannot start the decoder", formats::ErrorKind::Library);
    if (outcome.end != ToolEnd::Exited || outcome.code != 0 || !reply.complete())
        fail("the decoder failed on damaged data", formats::ErrorKind::Corrupt);
    if (!reply.ok())
        throw formats::DecodeError(reply.message(), reply.cause());
    return std::move(reply.image());
}

}  // namespace pixmorrow
