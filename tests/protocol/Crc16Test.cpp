#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "protocol/crc16c.h"

namespace {

const uint8_t* Bytes(std::string_view text) {
    return reinterpret_cast<const uint8_t*>(text.data());
}
int32_t Size(std::string_view text) {
    return static_cast<int32_t>(text.size());
}

struct CheckValue {
    std::vector<uint8_t> Data;
    uint16_t Crc;
};

class Crc16CheckValue : public testing::TestWithParam<CheckValue> {};

TEST_P(Crc16CheckValue, FromSeedZero) {
    const auto& row = GetParam();
    EXPECT_EQ(crc16c::Crc16(0, row.Data.data(), static_cast<int32_t>(row.Data.size())), row.Crc);
}

INSTANTIATE_TEST_SUITE_P(Published, Crc16CheckValue,
                         testing::Values(CheckValue{{'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0xBB3D},
                                         CheckValue{{'a', 'b', 'c'}, 0x9738}, CheckValue{{0x41}, 0x30C0},
                                         CheckValue{{0x00, 0x85}, 0xA3C1}, CheckValue{{0x01, 0x01}, 0x50C0},
                                         CheckValue{{0x01, 0x0F, 0x01, 0x01}, 0xAFF1},
                                         CheckValue{{0x10, 0xFF}, 0x804D},
                                         // One byte selects a table entry: entry 1 and entry 128.
                                         CheckValue{{0x01}, 0xC0C1}, CheckValue{{0x80}, 0xA001}));

TEST(Crc16, PiecesChainThroughTheSeed) {
    const std::string_view all = "123456789";
    for (std::size_t cut = 0; cut <= all.size(); ++cut) {
        const auto head = all.substr(0, cut), tail = all.substr(cut);
        EXPECT_EQ(crc16c::Crc16(crc16c::Crc16(0, Bytes(head), Size(head)), Bytes(tail), Size(tail)), 0xBB3D)
            << "cut after " << cut;
    }
}

TEST(Crc16, NothingToReadYieldsTheSeed) {
    const uint8_t byte = 0x41;
    EXPECT_EQ(crc16c::Crc16(0, &byte, 0), 0x0000);
    EXPECT_EQ(crc16c::Crc16(0x1234, &byte, 0), 0x1234);
    EXPECT_EQ(crc16c::Crc16(0x1234, &byte, -1), 0x1234);
    EXPECT_EQ(crc16c::Crc16(0x1234, &byte, INT32_MIN), 0x1234);
    EXPECT_EQ(crc16c::Crc16(0x1234, nullptr, 5), 0x1234);
}

} // namespace
