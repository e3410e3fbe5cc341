#include "tests/qemu/FileTail.h"

#include <utility>

#include <fcntl.h>
#include <unistd.h>

TFileTail::TFileTail(std::string Path) : path(std::move(Path)) {}

TFileTail::~TFileTail() {
    if (fd >= 0)
        close(fd);
}

std::vector<std::string> TFileTail::NewLines() {
    if (fd < 0)
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::vector<std::string> lines;
    if (fd < 0)
        return lines;
    char chunk[4096];
    ssize_t n = 0;
    while ((n = read(fd, chunk, sizeof chunk)) > 0) {
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
