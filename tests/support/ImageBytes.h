#pragma once
// Firmware image files built for tests: header values, body, trailing checksum.

#include <cstdint>
#include <string>
#include <vector>

namespace ImageBytes {

std::vector<uint8_t> MakeImageFile(uint32_t Value32, uint16_t Value16, const std::vector<uint8_t>& Body);
// A body of Count bytes that is the same for the same Seed.
std::vector<uint8_t> PatternBody(size_t Count, uint32_t Seed);

// A file in the test's temporary folder, removed again when the object goes.
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

} // namespace ImageBytes
