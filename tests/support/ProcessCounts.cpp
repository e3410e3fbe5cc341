#include "tests/support/ProcessCounts.h"

#include <filesystem>
#include <iterator>

namespace ProcessCounts {
namespace {

int Entries(const char* Folder) {
    const std::filesystem::directory_iterator entries(Folder);
    return static_cast<int>(std::distance(begin(entries), end(entries)));
}

} // namespace

int OpenDescriptors() {
    return Entries("/proc/self/fd");
}

int Threads() {
    return Entries("/proc/self/task");
}

} // namespace ProcessCounts
