#include <gtest/gtest.h>

#include <vector>

#include "link/uDispenser.h"

namespace {

using Bytes = std::vector<uint8_t>;
using uDispenser::DecodeTransaction;
using uDispenser::TControllerState;
using uDispenser::TDecodeOutcome;

TEST(BcdToFloatTest, AccumulatesAndScales) {
    const Bytes ten{0x12, 0x34, 0x56, 0x78, 0x90};
    EXPECT_DOUBLE_EQ(uDispenser::BcdToFloat(ten.data(), 5, 0), 1234567890.0);
    EXPECT_DOUBLE_EQ(uDispenser::BcdToFloat(ten.data(), 2, 2), 12.34);
    const Bytes faceValue{0x0A};
    EXPECT_DOUBLE_EQ(uDispenser::BcdToFloat(faceValue.data(), 1, 0), 10.0);
    EXPECT_DOUBLE_EQ(uDispenser::BcdToFloat(ten.data(), 0, 0), 0.0);
}

TEST(TransPktTest, CountsDataBytesInLng) {
    uDispenser::TTransPkt pkt(0xC7);
    EXPECT_EQ(pkt.Size(), 2u);
    EXPECT_EQ(pkt.At(1), 0);
    for (int i = 0; i < 255; ++i) {
        ASSERT_TRUE(pkt.Add(static_cast<uint8_t>(i)));
    }
    EXPECT_FALSE(pkt.Add(0x00));
    EXPECT_EQ(pkt.Size(), 257u);
    EXPECT_EQ(pkt.At(0), 0xC7);
    EXPECT_EQ(pkt.At(1), 255);
    EXPECT_EQ(pkt.At(256), 254);
}

TEST(DecodeTest, StatusChangesOnlyWhenDifferent) {
    TControllerState s;
    DecodeTransaction(s, 0x01, Bytes{0x00});
    EXPECT_EQ(s.Status, 0);
    EXPECT_TRUE(s.StatusChanged);
    s.StatusChanged = false;
    DecodeTransaction(s, 0x01, Bytes{0x00});
    EXPECT_FALSE(s.StatusChanged);
    DecodeTransaction(s, 0x01, Bytes{0x07, 0x99});
    EXPECT_EQ(s.Status, 7);
    EXPECT_TRUE(s.StatusChanged);
}

TEST(DecodeTest, OutValues) {
    TControllerState s;
    DecodeTransaction(s, 0x02, Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_FALSE(s.OutValuesChanged);
    DecodeTransaction(s, 0x02, Bytes{0x00, 0x00, 0x00, 0x00, 0x12, 0x34, 0x56, 0x78});
    EXPECT_EQ(s.Value1, 0);
    EXPECT_EQ(s.Value2, 12345678);
    EXPECT_TRUE(s.OutValuesChanged);
}

TEST(DecodeTest, NozzleAndPrice) {
    TControllerState s;
    s.NozzleCount = 2;
    DecodeTransaction(s, 0x03, Bytes{0x01, 0x23, 0x45, 0x12});
    EXPECT_EQ(s.Prices[2], 12345);
    EXPECT_EQ(s.Nozzle, 2);
    EXPECT_TRUE(s.NozzleOut);
    EXPECT_TRUE(s.NozzleChanged);

    s.NozzleChanged = false;
    DecodeTransaction(s, 0x03, Bytes{0x00, 0x05, 0x00, 0x12});
    EXPECT_EQ(s.Prices[2], 500);
    EXPECT_FALSE(s.NozzleChanged);

    // Above NozzleCount and nozzle 0: no price, but number and out flag are kept.
    DecodeTransaction(s, 0x03, Bytes{0x99, 0x99, 0x99, 0x03});
    EXPECT_EQ(s.Prices[3], 0);
    EXPECT_EQ(s.Nozzle, 3);
    EXPECT_FALSE(s.NozzleOut);
    EXPECT_TRUE(s.NozzleChanged);
    DecodeTransaction(s, 0x03, Bytes{0x99, 0x99, 0x99, 0x10});
    EXPECT_EQ(s.Prices[0], 0);
    EXPECT_EQ(s.Nozzle, 0);
    EXPECT_TRUE(s.NozzleOut);
}

TEST(DecodeTest, IdentityAndTotals) {
    TControllerState s;
    DecodeTransaction(s, 0x09, Bytes{0x01, 0x23, 0x45, 0x67, 0x89});
    EXPECT_EQ(s.Identity, "0123456789");

    const Bytes totals{0xEE, 0x98, 0x76, 0x54, 0x32, 0x10, 0x00, 0x00, 0x00, 0x01, 0x02};
    DecodeTransaction(s, 0x65, totals);
    EXPECT_EQ(s.Total1, 9876543210); // beyond 32 bits
    EXPECT_EQ(s.Total2, 102);
    EXPECT_TRUE(s.TotalsChanged);
    s.TotalsChanged = false;
    DecodeTransaction(s, 0x65, totals);
    EXPECT_TRUE(s.TotalsChanged);
}

TEST(DecodeTest, ShortRecordsChangeNothing) {
    TControllerState s;
    const TControllerState before = s;
    EXPECT_EQ(DecodeTransaction(s, 0x01, Bytes{}), TDecodeOutcome::None);
    DecodeTransaction(s, 0x02, Bytes(7, 0x11));
    DecodeTransaction(s, 0x03, Bytes{0x01, 0x23, 0x45});
    DecodeTransaction(s, 0x09, Bytes(4, 0x11));
    DecodeTransaction(s, 0x65, Bytes(10, 0x11));
    EXPECT_EQ(s.Status, before.Status);
    EXPECT_EQ(s.Value1, 0);
    EXPECT_EQ(s.Nozzle, 1);
    EXPECT_EQ(s.Identity, "");
    EXPECT_EQ(s.Total1, 0);
    EXPECT_FALSE(s.StatusChanged || s.OutValuesChanged || s.NozzleChanged || s.TotalsChanged);
}

TEST(DecodeTest, UnknownTransactionIsIgnored) {
    TControllerState s;
    EXPECT_EQ(DecodeTransaction(s, 0x44, Bytes{0x01, 0x02}), TDecodeOutcome::None);
    EXPECT_EQ(s.Status, -1);
}

// Configuration record D0..D(n-1) where every byte holds its own index, so each field shows where it
// was read from: a one-byte field holds its offset, a ten-digit field the BCD text of five offsets.
Bytes IndexRecord(size_t Length) {
    Bytes d(Length);
    for (size_t i = 0; i < Length; ++i) {
        d[i] = static_cast<uint8_t>(i);
    }
    return d;
}

std::string DigitsAt(int First) {
    std::string text;
    for (int i = First; i < First + 5; ++i) {
        text += static_cast<char>('0' + (i >> 4));
        text += static_cast<char>('0' + (i & 0x0F));
    }
    return text;
}

struct CfgCase {
    size_t Length;
    int Opt1, Byte1, Digits2, Opt2, Byte3, Byte2, Byte4, Byte5, Flag1, Flag2, Digits3, Digits4;
};

class ConfigRecordTest : public testing::TestWithParam<CfgCase> {};

TEST_P(ConfigRecordTest, FieldsComeFromTheirOffsets) {
    const CfgCase& c = GetParam();
    TControllerState s;
    // Marks that show which fields a layout leaves alone.
    s.Config.Opt1 = 0xE1;
    s.Config.Opt2 = 0xE2;
    s.Config.Flag1 = true;
    s.Config.Flag2 = true;
    Bytes d = IndexRecord(c.Length);
    d[0] = 0x42;
    ASSERT_EQ(DecodeTransaction(s, 0x80, d), TDecodeOutcome::ConfigStored);
    const uDispenser::TCfgStruct& cfg = s.Config;
    EXPECT_EQ(cfg.Kind, c.Length);
    EXPECT_EQ(cfg.Lead, 0x42);
    EXPECT_EQ(cfg.Digits1, DigitsAt(1));
    EXPECT_EQ(cfg.Opt1, c.Opt1 < 0 ? 0xE1 : c.Opt1);
    EXPECT_EQ(cfg.Byte1, c.Byte1);
    EXPECT_EQ(cfg.Digits2, DigitsAt(c.Digits2));
    EXPECT_EQ(cfg.Opt2, c.Opt2 < 0 ? 0xE2 : c.Opt2);
    EXPECT_EQ(cfg.Byte3, c.Byte3);
    EXPECT_EQ(cfg.Byte2, c.Byte2);
    EXPECT_EQ(cfg.Byte4, c.Byte4);
    EXPECT_EQ(cfg.Byte5, c.Byte5);
    EXPECT_TRUE(cfg.Flag1); // left alone, or read from a non-zero index
    EXPECT_TRUE(cfg.Flag2);
    EXPECT_EQ(cfg.Digits3, DigitsAt(c.Digits3));
    EXPECT_EQ(cfg.Digits4, DigitsAt(c.Digits4));

    // Flags read from a zero byte go false; flags outside the layout stay as they were.
    if (c.Flag1 >= 0) {
        d[static_cast<size_t>(c.Flag1)] = 0;
    }
    if (c.Flag2 >= 0) {
        d[static_cast<size_t>(c.Flag2)] = 0;
    }
    DecodeTransaction(s, 0x80, d);
    EXPECT_EQ(cfg.Flag1, c.Flag1 < 0);
    EXPECT_EQ(cfg.Flag2, c.Flag2 < 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ConfigRecordTest,
                         testing::Values(CfgCase{26, -1, 6, 7, -1, 12, 13, 14, 15, -1, -1, 16, 21},
                                         CfgCase{27, -1, 6, 7, -1, 12, 13, 14, 15, 16, -1, 17, 22},
                                         CfgCase{29, 6, 7, 8, 13, 14, 15, 16, 17, 18, -1, 19, 24},
                                         CfgCase{30, 6, 7, 8, 13, 14, 15, 16, 17, 18, 19, 20, 25}),
                         [](const testing::TestParamInfo<CfgCase>& row) {
                             return "Lng" + std::to_string(row.param.Length);
                         });

TEST(ConfigRecordTest, OtherLengthsChangeNothing) {
    for (const size_t length : {0u, 1u, 25u, 28u, 31u}) {
        TControllerState s;
        s.Config.Lead = 0x77;
        EXPECT_EQ(DecodeTransaction(s, 0x80, IndexRecord(length)), TDecodeOutcome::ConfigRejected) << length;
        EXPECT_EQ(s.Config.Lead, 0x77);
        EXPECT_EQ(s.Config.Kind, 0);
        EXPECT_EQ(s.Config.Digits1, "");
    }
}

} // namespace
