// pixmorrow-magick-helper: the external tool's command-line converter kept running, so that
// a run of many small files does not start a launcher and a new tool process for each. It
// reads one job after another on its standard input (helper_protocol.h), runs each exactly
// as the command-line tool runs its arguments, with the launcher's own set-up (this folder's
// policy.xml and delegates.xml, its helpers on PATH), mends the output as the launcher does,
// and answers with the exit status on its standard output. The tool's messages go to its
// standard error as they would from the command line.
//
// The tool's time limit (policy.xml) counts from the first picture the process handles, so
// the helper ends itself once a twentieth of it has passed, or after many jobs; every job
// then starts with at least 95% of the limit left, and the program starts a new helper.

#include "conversion/external/helper_protocol.h"
#include "platform/posix_io.h"

#include <magick/MagickCore.h>
#include <wand/MagickWand.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef PIXMORROW_HELPER_TEST_HOOKS
#include <thread>
#endif

namespace {

namespace protocol = pixmorrow::helper_protocol;
namespace posix = pixmorrow::posix;

#define PIXMORROW_STRINGIFY2(x) #x
#define PIXMORROW_STRINGIFY(x) PIXMORROW_STRINGIFY2(x)
// The tool's messages begin with the name of the program that writes them; they read as
// those of the command-line converter the launcher runs.
constexpr const char* kClientName = "convert-im6.q" PIXMORROW_STRINGIFY(MAGICKCORE_QUANTUM_DEPTH);

constexpr unsigned kMaxJobsPerHelper = 500;

void say(const std::string& text) {
    const std::string line = std::string(protocol::kProgramName) + ": error: " + text + "\n";
    posix::writeAll(STDERR_FILENO, line.data(), line.size());
}

std::string ownFolder() {
    std::vector<char> path(4096);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return ".";
    std::string self(path.data(), static_cast<std::size_t>(length));
    const std::size_t slash = self.rfind('/');
    return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

// As the launcher: this folder's configuration is read before the system's, and the
// delegates find the helpers that live here.
void setUpEnvironment(const std::string& here) {
    ::setenv("MAGICK_CONFIGURE_PATH", here.c_str(), 1);
    const char* path = std::getenv("PATH");
    const std::string joined = here + ":" + (path != nullptr ? path : "/usr/bin:/bin");
    ::setenv("PATH", joined.c_str(), 1);
}

void applyEnvironment(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        const std::string name = entry.substr(0, equals);
        const std::string value = entry.substr(equals + 1);
        ::setenv(name.c_str(), value.c_str(), 1);
        // The tool reads its thread limit once, at its start.
        if (name == "MAGICK_THREAD_LIMIT") {
            char* end = nullptr;
            const unsigned long threads = std::strtoul(value.c_str(), &end, 10);
            if (end != value.c_str() && *end == '\0' && threads > 0)
                SetMagickResourceLimit(ThreadResource, threads);
        }
    }
}

// The output file as the launcher finds it: the last argument, without a "FORMAT:" prefix,
// every doubled "%" single again.
std::string outputPath(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return {};
    std::string output = arguments.back();
    if (!output.empty() && output.front() != '/') {
        const std::size_t colon = output.find(':');
        bool prefix = colon != std::string::npos && colon > 0;
        for (std::size_t i = 0; prefix && i < colon; ++i) {
            const unsigned char c = static_cast<unsigned char>(output[i]);
            prefix = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        }
        if (prefix)
            output.erase(0, colon + 1);
    }
    std::string single;
    for (std::size_t i = 0; i < output.size(); ++i) {
        single.push_back(output[i]);
        if (output[i] == '%' && i + 1 < output.size() && output[i + 1] == '%')
            ++i;
    }
    return single;
}

bool endsWithNoCase(const std::string& text, const char* suffix) {
    const std::size_t length = std::strlen(suffix);
    if (text.size() < length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[text.size() - length + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

// What the launcher does after a successful conversion to WebP or APNG.
void mendOutput(const std::string& output) {
    const bool webp = endsWithNoCase(output, ".webp");
    if (!webp && !endsWithNoCase(output, ".apng"))
        return;
    struct stat info;
    if (::lstat(output.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    if (!webp) {
        // The video writer copies its result with owner-only rights; the file gets the
        // rights any new file of this user gets.
        ::chmod(output.c_str(), 0666 & ~posix::processUmask());
        return;
    }
    // The tool appends a stray single-frame RIFF after an animated WebP, which strict
    // readers refuse; the file is cut at the length its header gives.
    posix::FileDescriptor file(::open(output.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid())
        return;
    unsigned char header[12];
    std::size_t done = 0;
    if (posix::readAll(file.get(), header, sizeof header, done) != 0 || done != sizeof header)
        return;
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WEBP", 4) != 0)
        return;
    const std::uint64_t riff = std::uint64_t{protocol::readLittleEndian32(header + 4)} + 8;
    if (static_cast<std::uint64_t>(info.st_size) > riff)
        (void)::ftruncate(file.get(), static_cast<off_t>(riff));
}

#ifdef PIXMORROW_HELPER_TEST_HOOKS
// Test builds only: a job naming one of these markers crashes or hangs like a broken coder.
void testHooks(const std::vector<std::string>& arguments) {
    const auto named = [&arguments](const char* marker) {
        for (const std::string& argument : arguments) {
            if (argument.find(marker) != std::string::npos)
                return true;
        }
        return false;
    };
    const bool crash = named("helper-test-crash");
    const bool stubborn = named("helper-test-stubborn");
    if (!crash && !stubborn && !named("helper-test-hang"))
        return;
    // Half an output, as a coder that stopped in the middle would leave.
    if (FILE* partial = std::fopen(outputPath(arguments).c_str(), "wb")) {
        std::fputs("RIFF", partial);
        std::fclose(partial);
    }
    if (crash) {
        std::fputs("about to crash\n", stderr);
        std::fflush(stderr);
        // The default action, so the parent sees the signal itself even where a sanitizer
        // has put its own SEGV handler in place.
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    }
    if (stubborn)
        std::signal(SIGTERM, SIG_IGN);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}
#endif

// Runs the arguments as the command-line converter runs them: its exit status.
int convert(const std::vector<std::string>& arguments) {
    std::vector<std::string> storage;
    storage.reserve(arguments.size() + 1);
    storage.emplace_back(kClientName);
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    ExceptionInfo* exception = AcquireExceptionInfo();
    ImageInfo* info = AcquireImageInfo();
    const MagickBooleanType status =
        MagickCommandGenesis(info, ConvertImageCommand, static_cast<int>(storage.size()),
                             argv.data(), nullptr, exception);
    DestroyImageInfo(info);
    DestroyExceptionInfo(exception);
    std::fflush(stdout);
    std::fflush(stderr);
    return status != MagickFalse ? 0 : 1;
}

// Reads one job; false at the end of the input or on a malformed job (said on stderr).
bool readJob(int fd, protocol::Job& job, bool& clean) {
    clean = false;
    unsigned char count[4];
    std::size_t done = 0;
    if (posix::readAll(fd, count, sizeof count, done) != 0 || done != sizeof count) {
        clean = done == 0;
        return false;
    }
    const std::uint32_t size = protocol::readLittleEndian32(count);
    if (size > protocol::kMaxJobBytes) {
        say("a job larger than the helper takes");
        return false;
    }
    std::string payload(size, '\0');
    if (posix::readAll(fd, payload.data(), size, done) != 0 || done != size) {
        say("a job cut short");
        return false;
    }
    std::optional<protocol::Job> decoded = protocol::decodeJob(payload);
    if (!decoded) {
        say("a malformed job");
        return false;
    }
    job = std::move(*decoded);
    return true;
}

}  // namespace

int main(int, char** argv) {
    // Jobs and answers on descriptors of their own that no delegate inherits; the tool and
    // its delegates read nothing and write their messages to standard error.
    const int jobs = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 10);
    const int answers = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 10);
    if (jobs < 0 || answers < 0) {
        say("no job pipes");
        return 2;
    }
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nothing >= 0) {
        ::dup2(nothing, STDIN_FILENO);
        ::close(nothing);
    }
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    std::signal(SIGPIPE, SIG_DFL);
    posix::processUmask();

    setUpEnvironment(ownFolder());
    // No signal handlers of the tool's own: a crash ends the process by its signal, which
    // the program tells apart from a failed conversion.
    MagickCoreGenesis(argv[0], MagickFalse);
    SetClientName(kClientName);
    const MagickSizeType timeLimit = GetMagickResourceLimit(TimeResource);

    using Clock = std::chrono::steady_clock;
    Clock::time_point firstJob{};
    unsigned handled = 0;
    int exitStatus = 0;
    for (;;) {
        protocol::Job job;
        bool clean = false;
        if (!readJob(jobs, job, clean)) {
            exitStatus = clean ? 0 : 2;
            break;
        }
        if (handled++ == 0)
            firstJob = Clock::now();
        applyEnvironment(job.environment);
#ifdef PIXMORROW_HELPER_TEST_HOOKS
        testHooks(job.arguments);
#endif
        protocol::Answer answer;
        answer.status = convert(job.arguments);
        if (answer.status == 0)
            mendOutput(outputPath(job.arguments));
        const auto age =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - firstJob);
        const bool limited = timeLimit != MagickResourceInfinity && timeLimit > 0;
        if (handled >= kMaxJobsPerHelper ||
            (limited && static_cast<MagickSizeType>(age.count()) >= timeLimit * 1000 / 20))
            answer.flags |= protocol::kRetiring;
        const std::string bytes = protocol::encodeAnswer(answer);
        if (posix::writeAll(answers, bytes.data(), bytes.size()) != 0 ||
            (answer.flags & protocol::kRetiring) != 0)
            break;
    }
    MagickCoreTerminus();
    return exitStatus;
}
