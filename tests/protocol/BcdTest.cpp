#include <gtest/gtest.h>

#include <vector>

#include "protocol/PackedDecimal.h"

namespace {

struct BcdRow {
    std::vector<uint8_t> Bytes;
    int64_t Value;
    std::string Text;
};

class Bcd : public testing::TestWithParam<BcdRow> {};

TEST_P(Bcd, ValueAndText) {
    const auto& row = GetParam();
    const int count = static_cast<int>(row.Bytes.size());
    EXPECT_EQ(PackedDecimal::BcdToInt(row.Bytes.data(), count), row.Value);
    EXPECT_EQ(PackedDecimal::BcdToText(row.Bytes.data(), count), row.Text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Bcd,
    testing::Values(BcdRow{{0x00, 0x12, 0x34, 0x56, 0x78}, 12345678, "0012345678"},
                    BcdRow{{0x00, 0x00, 0x00, 0x00, 0x01}, 1, "0000000001"}, BcdRow{{0x99}, 99, "99"},
                    BcdRow{{0x0A}, 10, "0:"}, BcdRow{{0xAB}, 10 * 10 + 11, ":;"},
                    BcdRow{{0x12, 0x34, 0x56, 0x78, 0x90}, 1234567890, "1234567890"},
                    // Ten digits and twelve digits pass the 32-bit range.
                    BcdRow{{0x99, 0x99, 0x99, 0x99, 0x99}, 9999999999, "9999999999"},
                    BcdRow{{0x98, 0x76, 0x54, 0x32, 0x10, 0x99}, 987654321099, "987654321099"},
                    // Nibbles above 9 count with their face value.
                    BcdRow{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 1666666666665, "????????????"},
                    BcdRow{{}, 0, ""}));

TEST(Bcd, NullOrNegativeCountReadsNothing) {
    EXPECT_EQ(PackedDecimal::BcdToInt(nullptr, 5), 0);
    EXPECT_EQ(PackedDecimal::BcdToText(nullptr, 5), "");
    const uint8_t byte = 0x12;
    EXPECT_EQ(PackedDecimal::BcdToInt(&byte, -1), 0);
    EXPECT_EQ(PackedDecimal::BcdToText(&byte, -1), "");
}

} // namespace
