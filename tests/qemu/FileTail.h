#pragma once
// Follows a file that another program appends to, line by line.

#include <string>
#include <vector>

class TFileTail {
public:
    explicit TFileTail(std::string Path);
    ~TFileTail();
    TFileTail(const TFileTail&) = delete;
    TFileTail& operator=(const TFileTail&) = delete;

    // The whole lines added since the last call; none while the file does not exist yet.
    std::vector<std::string> NewLines();

private:
    std::string path;
    int fd = -1;
    std::string partial;
};
