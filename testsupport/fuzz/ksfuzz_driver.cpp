// Replays a fuzz target's corpus in the test build: every file of the
// folders (or the files) named on the command line goes once through
// LLVMFuzzerTestOneInput, in name order. A crash is a test failure; so is
// an empty corpus (the regression test would prove nothing).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p = argv[i];
        std::error_code ec;
        if (std::filesystem::is_directory(p, ec)) {
            for (const auto& e : std::filesystem::directory_iterator(p, ec))
                if (e.is_regular_file())
                    inputs.push_back(e.path());
        } else if (std::filesystem::is_regular_file(p, ec)) {
            inputs.push_back(p);
        } else {
            std::fprintf(stderr, "%s: no such corpus: %s\n", argv[0], argv[i]);
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "%s: the corpus is empty\n", argv[0]);
        return 1;
    }
    for (const auto& p : inputs) {
        std::ifstream in(p, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::fprintf(stderr, "running %s (%zu bytes)\n", p.filename().c_str(), bytes.size());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
