#include "protocol/crc16c.h"

#include <array>
#include <span>

namespace crc16c {

namespace {

constexpr uint16_t kReflectedPolynomial = 0xA001; // 0x8005 bit-reversed: CRC-16/ARC

constexpr std::array<uint16_t, 256> MakeTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < table.size(); ++i) {
        uint16_t value = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1) ? static_cast<uint16_t>((value >> 1) ^ kReflectedPolynomial)
                                : static_cast<uint16_t>(value >> 1);
        }
        table[i] = value;
    }
    return table;
}

constexpr std::array<uint16_t, 256> kTable = MakeTable();
static_assert(kTable[1] == 0xC0C1 && kTable[2] == 0xC181 && kTable[3] == 0x0140 && kTable[128] == 0xA001);

} // namespace

uint16_t Crc16(uint16_t Seed, const uint8_t* Data, int32_t Length) {
    if (Data == nullptr || Length <= 0) {
        return Seed;
    }
    uint16_t crc = Seed;
    for (uint8_t b : std::span(Data, static_cast<size_t>(Length))) {
        crc = static_cast<uint16_t>((crc >> 8) ^ kTable[(crc ^ b) & 0xFF]);
    }
    return crc;
}

} // namespace crc16c
