#include "conversion/external/helper_protocol.h"

namespace pixmorrow::helper_protocol {

namespace {

void put32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void putStrings(std::string& out, const std::vector<std::string>& strings) {
    put32(out, static_cast<std::uint32_t>(strings.size()));
    for (const std::string& s : strings) {
        put32(out, static_cast<std::uint32_t>(s.size()));
        out += s;
    }
}

// Reads from `payload` at `at`, never past its end.
class Reader {
public:
    explicit Reader(const std::string& payload) : payload_(payload) {}

    bool take32(std::uint32_t& value) {
        if (payload_.size() - at_ < 4)
            return false;
        value = readLittleEndian32(reinterpret_cast<const unsigned char*>(payload_.data() + at_));
        at_ += 4;
        return true;
    }
    bool takeStrings(std::vector<std::string>& strings) {
        std::uint32_t count = 0;
        if (!take32(count) || count > kMaxStrings)
            return false;
        strings.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint32_t size = 0;
            if (!take32(size) || payload_.size() - at_ < size)
                return false;
            strings.emplace_back(payload_, at_, size);
            at_ += size;
        }
        return true;
    }
    bool atEnd() const { return at_ == payload_.size(); }

private:
    const std::string& payload_;
    std::size_t at_ = 0;
};

}  // namespace

std::uint32_t readLittleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::string encodeJob(const Job& job) {
    std::string payload;
    putStrings(payload, job.environment);
    putStrings(payload, job.arguments);
    std::string frame;
    put32(frame, static_cast<std::uint32_t>(payload.size()));
    return frame + payload;
}

std::optional<Job> decodeJob(const std::string& payload) {
    Reader reader(payload);
    Job job;
    if (!reader.takeStrings(job.environment) || !reader.takeStrings(job.arguments) ||
        !reader.atEnd())
        return std::nullopt;
    return job;
}

std::string encodeAnswer(const Answer& answer) {
    std::string bytes;
    put32(bytes, static_cast<std::uint32_t>(answer.status));
    put32(bytes, answer.flags);
    return bytes;
}

Answer decodeAnswer(const unsigned char (&bytes)[kAnswerBytes]) {
    return {static_cast<std::int32_t>(readLittleEndian32(bytes)), readLittleEndian32(bytes + 4)};
}

}  // namespace pixmorrow::helper_protocol
