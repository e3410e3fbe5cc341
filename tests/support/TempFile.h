#pragma once
// A file in the test's temporary folder, removed again when the object goes.

#include <cstdint>
#include <string>
#include <vector>

namespace TempFile {

class TTempFile {
public:
    TTempFile(const std::string& Name, const std::vector<uint8_t>& Bytes);
    ~TTempFile();
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    const std::string& Path() const { return path; }

private:
    std::string path;
};

} // namespace TempFile
