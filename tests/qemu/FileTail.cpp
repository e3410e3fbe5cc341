#include "tests/qemu/FileTail.h"

#include <utility>

#include <fcntl.h>
#include <unistd.h>

TFileTail::TFileTail(std::string Path) : path(std::move(Path)) {}

std::vector<std::string> TFileTail::NewLines() {
    if (!fd)
        fd = UniqueFd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::vector<std::string> lines;
    if (!fd)
        return lines;
    char chunk[4096];
    ssize_t n = 0;
    while ((n = read(fd.Get(), chunk, sizeof chunk)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (chunk[i] != '\n') {
                partial += chunk[i];
                continue;
            }
            lines.push_back(std::move(partial));
            partial.clear();
        }
    }
    return lines;
}
