#pragma once

// What the program and the external tool's helper process say to each other over their
// pipes. No Qt here: the helper links it too.
//
// A job, program to helper: a little-endian 32-bit byte count, then that many bytes: the
// number of environment entries ("NAME=value"), the entries, the number of arguments, the
// arguments, each string as its byte count and its bytes, every count 32-bit little-endian.
// The arguments are the tool's command line without the program.
//
// The answer, helper to program: 8 bytes, the job's exit status (as the command-line tool
// would have exited) and a word of flags, both 32-bit little-endian. The tool's own messages
// go on the helper's standard error as they are written, never in the answer.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pixmorrow::helper_protocol {

// The name of the helper program, beside the command-line launcher.
inline constexpr const char* kProgramName = "pixmorrow-magick-helper";

// Bounds a job is read within, so a broken peer cannot make the helper take all memory.
inline constexpr std::uint32_t kMaxJobBytes = 16u << 20;
inline constexpr std::uint32_t kMaxStrings = 4096;

struct Job {
    std::vector<std::string> environment;
    std::vector<std::string> arguments;
    bool operator==(const Job&) const = default;
};

// Flags of an answer.
// The helper ends after this answer; the next job needs a new one.
inline constexpr std::uint32_t kRetiring = 1;

struct Answer {
    std::int32_t status = 0;
    std::uint32_t flags = 0;
    bool operator==(const Answer&) const = default;
};
inline constexpr std::size_t kAnswerBytes = 8;

// The whole frame of a job, count first.
std::string encodeJob(const Job& job);
// A job from the bytes after the count; nothing when they are not one well-formed job.
std::optional<Job> decodeJob(const std::string& payload);

std::string encodeAnswer(const Answer& answer);
Answer decodeAnswer(const unsigned char (&bytes)[kAnswerBytes]);

std::uint32_t readLittleEndian32(const unsigned char* bytes);

}  // namespace pixmorrow::helper_protocol
