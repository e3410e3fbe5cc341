#include "tests/support/ImageBytes.h"

#include <cstdio>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "protocol/crc16c.h"

namespace ImageBytes {

std::vector<uint8_t> MakeImageFile(uint32_t Value32, uint16_t Value16, const std::vector<uint8_t>& Body) {
    std::vector<uint8_t> file;
    for (int shift = 0; shift < 32; shift += 8)
        file.push_back(static_cast<uint8_t>(Value32 >> shift));
    file.push_back(static_cast<uint8_t>(Value16));
    file.push_back(static_cast<uint8_t>(Value16 >> 8));
    file.insert(file.end(), Body.begin(), Body.end());
    const uint16_t crc = crc16c::Crc16(0, file.data(), static_cast<int32_t>(file.size()));
    file.push_back(static_cast<uint8_t>(crc));
    file.push_back(static_cast<uint8_t>(crc >> 8));
    return file;
}

std::vector<uint8_t> PatternBody(size_t Count, uint32_t Seed) {
    std::mt19937 generator(Seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> body(Count);
    for (uint8_t& b : body)
        b = static_cast<uint8_t>(byte(generator));
    return body;
}

TTempFile::TTempFile(const std::string& Name, const std::vector<uint8_t>& Bytes)
    : path(testing::TempDir() + Name) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

TTempFile::~TTempFile() {
    std::remove(path.c_str());
}

} // namespace ImageBytes
