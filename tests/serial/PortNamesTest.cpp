#include "serial/PortNames.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

struct MergeCase {
    const char* name;
    Names before;
    std::vector<Names> sources;
    Names after;
};

class PortNamesMergeTest : public testing::TestWithParam<MergeCase> {};

TEST_P(PortNamesMergeTest, AppendsOnlyNewNamesInOrder) {
    Names list = GetParam().before;
    for (const Names& source : GetParam().sources)
        PortNames::Merge(list, source);
    EXPECT_EQ(list, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortNamesMergeTest,
    testing::Values(
        MergeCase{"BothSourcesEmpty", {}, {{}, {}}, {}},
        MergeCase{"NamedByBothSourcesKeepsFirstPlace",
                  {},
                  {{"COM1", "COM3"}, {"COM2", "COM1"}},
                  {"COM1", "COM3", "COM2"}},
        MergeCase{"CaseIgnoredFirstFormKept", {}, {{"com3"}, {"COM3", "Com3"}}, {"com3"}},
        MergeCase{"DuplicateWithinOneSource",
                  {},
                  {{"/dev/ttyS0", "/dev/TTYS0", "/dev/ttyS1"}},
                  {"/dev/ttyS0", "/dev/ttyS1"}},
        MergeCase{"EmptyNameOnce", {}, {{""}, {"", "COM1"}}, {"", "COM1"}},
        MergeCase{"EntriesAlreadyThereCount", {"COM2", "zzz"}, {{"COM1", "com2"}}, {"COM2", "zzz", "COM1"}},
        MergeCase{"NeverSorted", {"b"}, {{"COM10", "COM2", "a"}}, {"b", "COM10", "COM2", "a"}},
        MergeCase{"ListDuplicatesLeftAlone", {"x", "X"}, {{"x", "y"}}, {"x", "X", "y"}},
        MergeCase{"OnlyAsciiLettersFold",
                  {},
                  {{"ttyS0"}, {"ttyS0\xC0", "ttys0\xE0"}},
                  {"ttyS0", "ttyS0\xC0", "ttys0\xE0"}},
        MergeCase{"PrefixIsNotEqual", {"COM1"}, {{"COM", "COM10"}}, {"COM1", "COM", "COM10"}}),
    [](const testing::TestParamInfo<MergeCase>& row) { return row.param.name; });

} // namespace
