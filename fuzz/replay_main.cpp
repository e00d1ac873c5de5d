// Runs every file of the corpus folders (or the files) given through the
// target once, as libFuzzer would; a crash or a sanitizer finding ends it.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i]))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        } else {
            inputs.emplace_back(argv[i]);
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no corpus files given\n");
        return 1;
    }
    // All read first: a target may change the working folder.
    std::vector<std::string> contents;
    for (const auto& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        contents.emplace_back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    for (const std::string& bytes : contents)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    std::printf("%zu passed, 0 failed\n", inputs.size());
    return 0;
}
