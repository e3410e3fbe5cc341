// Runs saved inputs through a fuzz target's entry point without libFuzzer, so the seeds and the
// inputs that once broke a target are checked by every build. Arguments: files or folders of them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzTarget.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Inputs(const fs::path& Path) {
    if (!fs::is_directory(Path)) {
        return {Path};
    }
    std::vector<fs::path> files;
    std::ranges::copy_if(fs::directory_iterator(Path), std::back_inserter(files),
                         [](const fs::directory_entry& Entry) { return Entry.is_regular_file(); });
    std::ranges::sort(files);
    return files;
}

} // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        if (!fs::exists(argv[i])) {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            return 1;
        }
        for (const fs::path& file : Inputs(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
            if (!in.good() && !in.eof()) {
                std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
                return 1;
            }
            std::printf("%s\n", file.string().c_str());
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return 0;
}
