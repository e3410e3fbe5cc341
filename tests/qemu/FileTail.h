#pragma once
// Follows a file that another program appends to, line by line.

#include <string>
#include <vector>

#include "serial/UniqueFd.h"

class TFileTail {
public:
    explicit TFileTail(std::string Path);

    // The whole lines added since the last call; none while the file does not exist yet.
    std::vector<std::string> NewLines();

private:
    std::string path;
    UniqueFd fd;
    std::string partial;
};
