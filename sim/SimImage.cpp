#include "sim/SimImage.h"

#include "protocol/crc16c.h"

#include <algorithm>
#include <random>

namespace SimImage {

std::vector<uint8_t> MakeImage(uint32_t bodySize, uint16_t value16, uint32_t seed) {
    std::vector<uint8_t> file{static_cast<uint8_t>(bodySize),       static_cast<uint8_t>(bodySize >> 8),
                              static_cast<uint8_t>(bodySize >> 16), static_cast<uint8_t>(bodySize >> 24),
                              static_cast<uint8_t>(value16),        static_cast<uint8_t>(value16 >> 8)};
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 0xFF);
    std::generate_n(std::back_inserter(file), bodySize, [&] { return static_cast<uint8_t>(byte(random)); });
    const uint16_t crc = crc16c::Crc16(0, file.data(), static_cast<int32_t>(file.size()));
    file.push_back(static_cast<uint8_t>(crc));
    file.push_back(static_cast<uint8_t>(crc >> 8));
    return file;
}

} // namespace SimImage
