// Runs a harness over files instead of under libFuzzer: every regular file
// named on the command line, found (recursively) in a folder named there, or
// matching a pattern "folder/*.ext" there (a pattern that matches nothing is
// skipped), is read and handed to LLVMFuzzerTestOneInput once, in sorted
// order. Prints how many inputs ran; a fault stops the program as it would
// stop the fuzzer.
#include <fnmatch.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path arg = argv[i];
        if (arg.filename().string().find('*') != std::string::npos) {
            std::error_code missing;
            for (const auto& entry : std::filesystem::directory_iterator(arg.parent_path(), missing))
                if (entry.is_regular_file() &&
                    fnmatch(arg.filename().c_str(), entry.path().filename().c_str(), 0) == 0)
                    files.push_back(entry.path());
        } else if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else if (std::filesystem::is_regular_file(arg)) {
            files.push_back(arg);
        } else {
            std::fprintf(stderr, "replay: no such file or folder: %s\n", argv[i]);
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replay: %zu inputs ran cleanly\n", files.size());
    return files.empty() ? 1 : 0;
}
