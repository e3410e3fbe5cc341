// The command set's tables: every order names known parameters once, and the expectation each
// command sets on its answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>

#include "protocol/CommandSet.h"

namespace {

using CommandSet::TValue;

TEST(CommandSetTest, CodesIdsAndNamesAreEachUsedOnce) {
    std::set<uint8_t> codes, ids;
    std::set<std::string> names;
    for (const CommandSet::TCommand& command : CommandSet::kCommands) {
        EXPECT_TRUE(codes.insert(command.Code).second) << command.Name;
        EXPECT_TRUE(names.insert(command.Name).second) << command.Name;
    }
    for (const CommandSet::TParameter& parameter : CommandSet::kParameters) {
        EXPECT_TRUE(ids.insert(parameter.Id).second) << parameter.Name;
        EXPECT_TRUE(names.insert(parameter.Name).second) << parameter.Name;
    }
}

TEST(CommandSetTest, ReadTakesEveryParameterAndWriteEveryWritableOne) {
    std::multiset<uint8_t> all, writable;
    for (const CommandSet::TParameter& parameter : CommandSet::kParameters) {
        all.insert(parameter.Id);
        if (parameter.Value != TValue::Text)
            writable.insert(parameter.Id);
    }
    EXPECT_EQ(std::multiset<uint8_t>(CommandSet::kReadOrder.begin(), CommandSet::kReadOrder.end()), all);
    EXPECT_EQ(std::multiset<uint8_t>(CommandSet::kWriteOrder.begin(), CommandSet::kWriteOrder.end()),
              writable);
    // Side 1's address goes last but one: the answers after it come from the new address.
    EXPECT_EQ(CommandSet::kWriteOrder.end()[-2], CommandSet::kAddr1);
}

struct ExpectRow {
    const char* Name;
    int32_t Address;
    uint8_t Code;
    std::optional<uint8_t> Parameter;
    CommandFrame::Expected Want;
};

void PrintTo(const ExpectRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

class ExpectTest : public testing::TestWithParam<ExpectRow> {};

TEST_P(ExpectTest, AnswerHeaderOfEachCommand) {
    const ExpectRow& row = GetParam();
    const CommandFrame::Expected want = CommandSet::Expect(row.Address, row.Code, row.Parameter);
    EXPECT_EQ(want.Address, row.Want.Address);
    EXPECT_EQ(want.AnyAddress, row.Want.AnyAddress);
    EXPECT_EQ(want.Command, row.Want.Command);
    EXPECT_EQ(want.Length, row.Want.Length);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ExpectTest,
    testing::Values(ExpectRow{"GetState", 1, 0x01, std::nullopt, {1, false, 0x01, 3}},
                    ExpectRow{"Auth", 1, 0x02, std::nullopt, {1, false, 0x02, 1}},
                    ExpectRow{"GetAmount", 3, 0x04, std::nullopt, {3, false, 0x04, std::nullopt}},
                    ExpectRow{"GetParam", 1, 0x0F, 101, {1, false, 0x0F, std::nullopt}},
                    ExpectRow{"SetParamOfASetting", 1, 0x10, 3, {1, false, 0x10, 1}},
                    // The controller may answer from its new address already.
                    ExpectRow{"SetParamOfSide1", 1, 0x10, 1, {1, true, 0x10, 1}},
                    ExpectRow{"SetParamOfSide2", 7, 0x10, 2, {7, true, 0x10, 1}},
                    ExpectRow{"EnterUpdateMode", 1, 0xA5, std::nullopt, {1, false, 0xA5, 1}},
                    // Every controller answers the address query at address 0.
                    ExpectRow{"GetAddresses", 9, 0x85, std::nullopt, {0, false, 0x85, 2}},
                    ExpectRow{"UnknownCode", 1, 0x77, std::nullopt, {1, false, 0x77, std::nullopt}}),
    [](const testing::TestParamInfo<ExpectRow>& Info) { return std::string(Info.param.Name); });

TEST(CommandSetTest, NamesAsTheTraceShowsThem) {
    EXPECT_STREQ(CommandSet::FindCommand(0x0F)->Name, "GetParam");
    EXPECT_STREQ(CommandSet::FindParameter(5)->Name, "NoMaster");
    EXPECT_EQ(CommandSet::FindParameter(CommandSet::kSerialNo)->Value, TValue::Text);
    EXPECT_EQ(CommandSet::FindCommand(0x77), nullptr);
    EXPECT_EQ(CommandSet::FindParameter(0), nullptr);
}

} // namespace
