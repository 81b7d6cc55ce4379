#include "reader/split_result.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "reader/result_codes.h"

namespace kestrova {
namespace {

constexpr std::int32_t kUntouched = 0x7EADBEEF;

struct Filed {
    std::int32_t statusWord = kUntouched;
    std::int32_t error = kUntouched;
};

Filed File(std::int32_t result) {
    Filed filed;
    EXPECT_EQ(SplitResult(result, filed.statusWord, filed.error), result);
    return filed;
}

TEST(SplitResult, CardStatusWordsGoToTheStatusWordField) {
    for (std::int32_t statusWord : {0x6001, 0x6A82, 0x9302, 0xFFFF, 0x6FFFE}) {
        Filed filed = File(statusWord);
        EXPECT_EQ(filed.statusWord, statusWord) << std::hex << statusWord;
        EXPECT_EQ(filed.error, kUntouched) << std::hex << statusWord;
    }
}

TEST(SplitResult, OwnAndServiceCodesGoToTheErrorField) {
    for (std::int32_t code :
         {0, -1, 0x1003, 0x2001, 0x6000, 0x6FFFF, 0x3001405, static_cast<std::int32_t>(0x8010000CU),
          kResultNoStatusWord, kResultReaderNameTooLong, kResultNoFreeSlot}) {
        Filed filed = File(code);
        EXPECT_EQ(filed.error, code) << std::hex << code;
        EXPECT_EQ(filed.statusWord, kUntouched) << std::hex << code;
    }
}

TEST(SplitResult, CodesBetweenTheTwoRangesAreFiledNowhere) {
    for (std::int32_t code : {0x2002, 0x3001, 0x5FFF}) {
        Filed filed = File(code);
        EXPECT_EQ(filed.statusWord, kUntouched) << std::hex << code;
        EXPECT_EQ(filed.error, kUntouched) << std::hex << code;
    }
}

}  // namespace
}  // namespace kestrova
