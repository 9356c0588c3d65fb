// The entry of a fuzz target built without libFuzzer: runs LLVMFuzzerTestOneInput on every
// file named, and on every regular file of every folder named (in name order), so that any
// build, with any compiler, replays the seeds and the kept crash inputs. Exits non-zero when
// an input cannot be read or nothing was given; a fault in the target ends the process.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    // Named before it runs, so a crash shows which input it was.
    std::fprintf(stderr, "%s\n", file.c_str());
    // A copy of exactly the input's size, so reading past it shows under the sanitizer.
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path given(argv[i]);
        std::error_code error;
        if (!std::filesystem::is_directory(given, error)) {
            files.push_back(given);
            continue;
        }
        std::vector<std::filesystem::path> inFolder;
        for (const auto& entry : std::filesystem::directory_iterator(given, error))
            if (entry.is_regular_file(error))
                inFolder.push_back(entry.path());
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    if (files.empty()) {
        std::fprintf(stderr, "no inputs\n");
        return 2;
    }
    for (const auto& file : files)
        if (!replay(file))
            return 1;
    std::fprintf(stderr, "replayed %zu inputs\n", files.size());
    return 0;
}
