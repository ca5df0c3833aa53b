// The text conversions every reader of zyn.ini relies on: decimal and hexadecimal values,
// strtok-style tokens, ASCII-only upper-casing and bounded text fields.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "config/text.h"

namespace zyn::testing {
namespace {

using config::kDecimalLimit;

struct DecimalCase {
    std::string_view text;
    int64_t value;
};

TEST(ConfigText, DecimalValueSkipsBlanksTakesSignAndStopsAtFirstOtherCharacter) {
    const DecimalCase cases[] = {
        {"42", 42},
        {"  42", 42},
        {"\t\n\v\f\r 7", 7},
        {"+3", 3},
        {"-17", -17},
        {"12abc", 12},
        {"12 34", 12},
        {"007", 7},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+", 0},
        {"- 5", 0}, // the sign must be followed by the digits
        {"--5", 0},
        {"0x1F", 0}, // decimal only
        {"2147483647", 2147483647},
        {"2147483648", 2147483648},
        {"4294967296", 4294967296},
        {"-2147483649", -2147483649},
    };
    for (const DecimalCase& row : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << row.text << '"');
        EXPECT_EQ(config::decimalValue(row.text), row.value);
    }
}

TEST(ConfigText, DecimalValueReadsOnlyTheGivenView) {
    // A view into a longer text: digits past its end are not read.
    const char text[] = "123456";
    EXPECT_EQ(config::decimalValue(std::string_view(text, 3)), 123);
}

TEST(ConfigText, DecimalValuesFarBeyond32BitsStayBeyondEvery32BitRange) {
    for (std::string digits : {std::string(25, '9'), std::string(100, '9'), "1" + std::string(40, '0')}) {
        SCOPED_TRACE(digits.size());
        int64_t positive = config::decimalValue(digits);
        int64_t negative = config::decimalValue("-" + digits);
        EXPECT_GT(positive, int64_t{UINT32_MAX});
        EXPECT_LE(positive, kDecimalLimit);
        EXPECT_LT(negative, int64_t{INT32_MIN});
        EXPECT_GE(negative, -kDecimalLimit);
    }
}

TEST(ConfigText, DecimalToInt32HoldsOutOfRangeValuesAtTheEnds) {
    const struct {
        std::string_view text;
        int32_t value;
    } cases[] = {
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"99999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"-99999999999999999999", INT32_MIN},
        {" -5", -5},
        {"x", 0},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(config::decimalToInt32(row.text), row.value);
    }
}

TEST(ConfigText, HexadecimalValueTakesDigitsOfEitherCaseAfterBlanks) {
    const DecimalCase cases[] = {
        {"0CONSUMEALL", 0x0C},
        {" 5EXCH_MAP", 0x5E},
        {"EXCH_MAP", 0x0E},
        {"ff", 0xFF},
        {"Ab9z", 0xAB9},
        {"\t1MULTICAST", 1},
        {"6[EXCHANGE", 6},
        {"MAP", -1},
        {"_SIZE", -1},
        {"", -1},
        {" ", -1},
        {"-1", -1},
        {"0x10", 0},
        {"g", -1},
    };
    for (const DecimalCase& row : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << row.text << '"');
        EXPECT_EQ(config::hexadecimalValue(row.text), row.value);
    }
}

TEST(ConfigText, NextTokenSplitsAsStrtokDoes) {
    const struct {
        std::string_view text;
        std::string_view separators;
        std::vector<std::string_view> tokens;
    } cases[] = {
        {"MAX_EXCHANGE_SIZE = 2000\n", " =:\t\n", {"MAX_EXCHANGE_SIZE", "2000"}},
        {"EXCH_MAP=1", " =:\t\n", {"EXCH_MAP", "1"}},
        {"MULTICAST: 239.1.2.3", " =:\t\n", {"MULTICAST", "239.1.2.3"}},
        {"  \t==::  ", " =:\t\n", {}},
        {"", " ", {}},
        {"T,,S, P=5510 ,E=40", " ,\t\n", {"T", "S", "P=5510", "E=40"}},
        {"a\tb\n", " \t\n", {"a", "b"}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.text);
        std::string_view rest = row.text;
        std::vector<std::string_view> tokens;
        for (std::string_view token = config::nextToken(rest, row.separators); !token.empty();
             token = config::nextToken(rest, row.separators)) {
            tokens.push_back(token);
        }
        EXPECT_EQ(tokens, row.tokens);
        EXPECT_TRUE(rest.empty());
    }
}

TEST(ConfigText, NextTokenConsumesExactlyOneSeparatorAfterTheToken) {
    // As strtok: the rest starts right after the one separator that ended the token, so a
    // later call with other separators sees everything that followed it.
    std::string_view rest = "12 100,T";
    EXPECT_EQ(config::nextToken(rest, " "), "12");
    EXPECT_EQ(rest, "100,T");
    EXPECT_EQ(config::nextToken(rest, " "), "100,T");
    EXPECT_TRUE(rest.empty());
}

TEST(ConfigText, UpperCasingChangesOnlyTheLettersAToZ) {
    std::string text = "azAZ09_`{@[\x80\xE0\xE9\xFF node1";
    config::upperAscii(text.data());
    EXPECT_EQ(text, "AZAZ09_`{@[\x80\xE0\xE9\xFF NODE1");
    for (int c = 0; c < 256; ++c) {
        char in = static_cast<char>(c);
        char expected = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : in;
        EXPECT_EQ(config::upperAscii(in), expected) << "byte " << c;
    }
}

TEST(ConfigText, CopyToFieldNeedsRoomForTheTerminatorAndZeroFillsTheRest) {
    char field[17];
    std::memset(field, 'x', sizeof field);
    EXPECT_TRUE(config::copyToField(field, sizeof field, "239.255.255.250"));
    EXPECT_STREQ(field, "239.255.255.250");
    EXPECT_EQ(field[16], '\0');

    EXPECT_TRUE(config::copyToField(field, sizeof field, std::string(16, 'a')));
    EXPECT_EQ(config::boundedLength(field, sizeof field), 16u);

    std::memset(field, 'x', sizeof field);
    EXPECT_FALSE(config::copyToField(field, sizeof field, std::string(17, 'b')));
    EXPECT_EQ(std::string(field, sizeof field), std::string(17, 'x')) << "a refused copy writes nothing";
    EXPECT_EQ(config::boundedLength(field, sizeof field), 17u);
}

} // namespace
} // namespace zyn::testing
