#include "card/hex.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace kestrova {
namespace {

constexpr std::uint8_t kUntouched = 0x5A;

template <std::size_t N>
std::array<std::uint8_t, N> Filled(std::uint8_t value) {
    std::array<std::uint8_t, N> bytes{};
    bytes.fill(value);
    return bytes;
}

TEST(HexEncode, WritesTwoUppercaseDigitsPerByteHighNibbleFirst) {
    const std::array<std::uint8_t, 2> bytes = {0x0A, 0xFF};
    std::array<char, 5> text = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(HexEncode(2, bytes.data(), text.data()), 0);
    EXPECT_EQ(std::string(text.data(), 4), "0AFF");
    EXPECT_EQ(text[4], 'x') << "no terminator is written";
}

TEST(HexEncode, WritesNothingForNoBytes) {
    const std::uint8_t byte = 0x12;
    char text[2] = {'x', 'x'};
    EXPECT_EQ(HexEncode(0, &byte, text), 0);
    EXPECT_EQ(HexEncode(-3, &byte, text), 0);
    EXPECT_EQ(text[0], 'x');
}

TEST(HexEncode, RefusesMissingBuffers) {
    const std::uint8_t byte = 0x12;
    char text[2] = {'x', 'x'};
    EXPECT_EQ(HexEncode(1, nullptr, text), -1);
    EXPECT_EQ(HexEncode(1, &byte, nullptr), -1);
    EXPECT_EQ(text[0], 'x');
}

TEST(HexEncode, EveryByteValueSurvivesARoundTrip) {
    std::array<std::uint8_t, 256> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    std::array<char, 512> text{};
    ASSERT_EQ(HexEncode(256, bytes.data(), text.data()), 0);
    for (const char c : text) {
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << c;
    }
    std::array<std::uint8_t, 256> decoded{};
    ASSERT_EQ(HexDecode(512, text.data(), decoded.data()), 0);
    EXPECT_EQ(decoded, bytes);
}

TEST(HexDigitValue, AcceptsDigitsAndBothCasesOfEveryLetter) {
    for (char c = '0'; c <= '9'; ++c) {
        std::uint8_t value = 0xEE;
        EXPECT_EQ(HexDigitValue(c, &value), 0);
        EXPECT_EQ(value, c - '0');
    }
    for (int i = 0; i < 26; ++i) {
        std::uint8_t upper = 0xEE;
        std::uint8_t lower = 0xEE;
        EXPECT_EQ(HexDigitValue(static_cast<char>('A' + i), &upper), 0);
        EXPECT_EQ(HexDigitValue(static_cast<char>('a' + i), &lower), 0);
        EXPECT_EQ(upper, 10 + i);
        EXPECT_EQ(lower, 10 + i);
    }
}

TEST(HexDigitValue, RefusesEverythingElseAndLeavesTheValue) {
    // Neighbours of the accepted ranges, the terminator, and bytes with the
    // high bit set (Big5 lead bytes arrive as negative chars).
    const std::string refused = std::string("/:@[`{ -+.\t", 11) + '\0' + "\x80\xA4\xFF";
    for (const char c : refused) {
        std::uint8_t value = kUntouched;
        EXPECT_EQ(HexDigitValue(c, &value), 1) << static_cast<int>(c);
        EXPECT_EQ(value, kUntouched);
    }
    EXPECT_EQ(HexDigitValue('A', nullptr), 1);
}

TEST(HexDecode, PairsGiveBytesInEitherCase) {
    auto bytes = Filled<2>(kUntouched);
    EXPECT_EQ(HexDecode(4, "0aFf", bytes.data()), 0);
    EXPECT_EQ(bytes[0], 0x0A);
    EXPECT_EQ(bytes[1], 0xFF);
}

TEST(HexDecode, LettersBeyondFKeepTheirLowFourBits) {
    auto bytes = Filled<4>(kUntouched);
    // G = 16 -> 0, H = 17 -> 1, Z = 35 -> 3; the same in lower case.
    EXPECT_EQ(HexDecode(8, "1GZZhgzA", bytes.data()), 0);
    EXPECT_EQ(bytes[0], 0x10);
    EXPECT_EQ(bytes[1], 0x33);
    EXPECT_EQ(bytes[2], 0x10);
    EXPECT_EQ(bytes[3], 0x3A);
}

TEST(HexDecode, OddCountPutsTheLastDigitInTheHighNibbleOfOneMoreByte) {
    std::array<std::uint8_t, 3> zeroed{};
    EXPECT_EQ(HexDecode(3, "ABC", zeroed.data()), 0);
    EXPECT_EQ(zeroed[0], 0xAB);
    EXPECT_EQ(zeroed[1], 0xC0);
    EXPECT_EQ(zeroed[2], 0x00);

    // The extra byte's low nibble takes its former high nibble: an FF-filled
    // block gets an F pad, any other byte its old high half.
    auto filled = Filled<4>(0xFF);
    EXPECT_EQ(HexDecode(5, "12345", filled.data()), 0);
    EXPECT_EQ(filled[0], 0x12);
    EXPECT_EQ(filled[1], 0x34);
    EXPECT_EQ(filled[2], 0x5F);
    EXPECT_EQ(filled[3], 0xFF);

    std::array<std::uint8_t, 1> mixed = {0xA7};
    EXPECT_EQ(HexDecode(1, "z", mixed.data()), 0);
    EXPECT_EQ(mixed[0], 0x3A);
}

TEST(HexDecode, StopsAtTheFirstRefusedCharacterKeepingEarlierBytes) {
    auto single = Filled<1>(kUntouched);
    EXPECT_EQ(HexDecode(2, "1-", single.data()), -1);
    EXPECT_EQ(single[0], kUntouched) << "a half-read pair writes nothing";

    auto bytes = Filled<3>(kUntouched);
    EXPECT_EQ(HexDecode(6, "AB1-CD", bytes.data()), -1);
    EXPECT_EQ(bytes[0], 0xAB);
    EXPECT_EQ(bytes[1], kUntouched);
    EXPECT_EQ(bytes[2], kUntouched);

    auto odd = Filled<2>(kUntouched);
    EXPECT_EQ(HexDecode(3, "AB ", odd.data()), -1);
    EXPECT_EQ(odd[0], 0xAB);
    EXPECT_EQ(odd[1], kUntouched);
}

TEST(HexDecode, NeverReadsPastTheTerminator) {
    // Exactly three characters of storage; the sanitizer build catches any
    // read past the zero even though the count promises far more.
    const auto text = std::make_unique<char[]>(3);
    text[0] = '4';
    text[1] = 'F';
    text[2] = '\0';
    auto bytes = Filled<64>(kUntouched);
    EXPECT_EQ(HexDecode(128, text.get(), bytes.data()), -1);
    EXPECT_EQ(bytes[0], 0x4F);
    EXPECT_EQ(bytes[1], kUntouched);

    const auto shortOdd = std::make_unique<char[]>(2);
    shortOdd[0] = '7';
    shortOdd[1] = '\0';
    EXPECT_EQ(HexDecode(3, shortOdd.get(), bytes.data()), -1);
}

TEST(HexDecode, NothingToDoAndMissingBuffers) {
    auto bytes = Filled<1>(kUntouched);
    EXPECT_EQ(HexDecode(0, "AB", bytes.data()), 0);
    EXPECT_EQ(HexDecode(-2, "AB", bytes.data()), 0);
    EXPECT_EQ(bytes[0], kUntouched);
    EXPECT_EQ(HexDecode(2, nullptr, bytes.data()), -1);
    EXPECT_EQ(HexDecode(2, "AB", nullptr), -1);
}

}  // namespace
}  // namespace kestrova
