#include "sim/SimImage.h"

#include "protocol/crc16c.h"

#include <random>

namespace SimImage {

std::vector<uint8_t> MakeImageFile(uint32_t Value32, uint16_t Value16, const std::vector<uint8_t>& Body) {
    std::vector<uint8_t> file{static_cast<uint8_t>(Value32),       static_cast<uint8_t>(Value32 >> 8),
                              static_cast<uint8_t>(Value32 >> 16), static_cast<uint8_t>(Value32 >> 24),
                              static_cast<uint8_t>(Value16),       static_cast<uint8_t>(Value16 >> 8)};
    file.reserve(file.size() + Body.size() + 2);
    file.insert(file.end(), Body.begin(), Body.end());
    const uint16_t crc = crc16c::Crc16(0, file.data(), static_cast<int32_t>(file.size()));
    file.push_back(static_cast<uint8_t>(crc));
    file.push_back(static_cast<uint8_t>(crc >> 8));
    return file;
}

std::vector<uint8_t> PatternBody(size_t Count, uint32_t Seed) {
    std::mt19937 random(Seed);
    std::uniform_int_distribution<int> byte(0, 0xFF);
    std::vector<uint8_t> body(Count);
    for (uint8_t& b : body)
        b = static_cast<uint8_t>(byte(random));
    return body;
}

} // namespace SimImage
