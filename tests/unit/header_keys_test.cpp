// zyn.ini's header: the key lookup by first occurrence in the key table (with the code read
// one character before it), and the effect of each key line on the service parameters.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "config/header_keys.h"

namespace zyn::testing {
namespace {

using config::HeaderLine;
using config::ServiceParams;

constexpr int kNone = config::kKeyNone;

TEST(HeaderKeys, CodeIsReadOneCharacterBeforeTheFirstOccurrence) {
    const struct {
        std::string_view key;
        int code;
    } cases[] = {
        // The keys as written in full.
        {"CONSUMEALL", 0x0C},
        {"MULTICAST", 1},
        {"MAX_EXCHANGE_SIZE", 2},
        {"MAX_STATIC_EXCHANGES", 3},
        {"MAX_DYNAMIC_EXCHANGES", 4},
        {"EXCH_MAP", 0x5E},
        {"[EXCHANGE_DEFS]", 6},
        // With their codes in front: the code digit is part of the occurrence.
        {"5EXCH_MAP", 0x5E},
        {"0CONSUMEALL", 0x0C},
        {"1MULTICAST", 1},
        {"2MAX_EXCHANGE_SIZE", 2},
        // Pieces of the table select whatever their first occurrence yields.
        {"MULTI", 1},
        {"MU", 1},
        {"MAX", 2},
        {"MA", 2},
        {"MAX_", 2},
        {"MAX_E", 2},
        {"MAX_STATIC", 3},
        {"MAX_S", 3},
        {"MAX_D", 4},
        {"[EXCHANGE", 6},
        {"[", 6},
        {"1", 1},
        {"2", 2},
        {"3", 3},
        {"4", 4},
        {"5", 0x5E},
        {"6", 6},
        {"0", 0x0C},
        {"XCH_MAP", 0x0E},
        {"ALL", 0xEA},
        {"ONSUMEALL", 0x0C},
        // No code can be read before these occurrences.
        {"MAP", kNone},
        {"SIZE", kNone},
        {"_SIZE", 0x0E},
        {"M", kNone},
        {"E", kNone},
        {"EXCHANGE", kNone},
        {"EXCHANGE_DEFS]", kNone},
        {"STATIC", kNone},
        {"CAST", kNone},
        // Not in the table at all.
        {"EXCH_MAPS", kNone},
        {"[EXCHANGE_DEFS]X", kNone},
        {"[FOO]", kNone},
        {"MAX_EXCHANGE_SIZES", kNone},
        {"exch_map", kNone}, // the lookup itself is exact; callers upper-case first
        {"", kNone},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << row.key << '"');
        EXPECT_EQ(config::headerKeyCode(row.key), row.code);
    }
}

// The parameters after one line applied to the defaults.
struct LineCase {
    std::string_view line;
    int32_t maxExchangeSize;
    int32_t maxStaticExchanges;
    uint32_t maxDynamicExchanges;
    int32_t exchMap;
    const char* multicast; // the one entry expected, or null for none
};

constexpr int32_t E = config::kDefaultMaxExchangeSize;
constexpr int32_t S = config::kDefaultMaxStaticExchanges;
constexpr uint32_t D = config::kDefaultMaxDynamicExchanges;

TEST(HeaderLines, EachKeySetsItsParameterFromTheNextToken) {
    const LineCase cases[] = {
        {"MAX_EXCHANGE_SIZE = 2000\n", 2000, S, D, 0, nullptr},
        {"MAX_EXCHANGE_SIZE=2000", 2000, S, D, 0, nullptr},
        {"MAX_EXCHANGE_SIZE: 2000", 2000, S, D, 0, nullptr},
        {"MAX_EXCHANGE_SIZE 2000", 2000, S, D, 0, nullptr},
        {"\t MAX_EXCHANGE_SIZE\t=\t2000 trailing words\n", 2000, S, D, 0, nullptr},
        {"  ==MAX_EXCHANGE_SIZE::==2000", 2000, S, D, 0, nullptr},
        {"MAX_STATIC_EXCHANGES = 100", E, 100, D, 0, nullptr},
        {"MAX_DYNAMIC_EXCHANGES = 64", E, S, 64, 0, nullptr},
        {"EXCH_MAP = 1", E, S, D, 1, nullptr},
        {"EXCH_MAP = 7", E, S, D, 7, nullptr},
        {"MULTICAST = 239.255.0.1\n", E, S, D, 0, "239.255.0.1"},
        // Keys are upper-cased before the lookup; multicast values keep their case.
        {"exch_map = 1", E, S, D, 1, nullptr},
        {"Max_Exchange_Size = 300", 300, S, D, 0, nullptr},
        {"multicast = abcDEF", E, S, D, 0, "abcDEF"},
        // Pieces and coded forms of the keys.
        {"MAX 2000", 2000, S, D, 0, nullptr},
        {"max = 2000", 2000, S, D, 0, nullptr},
        {"MAX_STATIC = 9", E, 9, D, 0, nullptr},
        {"MULTI = 224.0.0.1", E, S, D, 0, "224.0.0.1"},
        {"5EXCH_MAP = 3", E, S, D, 3, nullptr},
        {"1 100 1 node1 node2", E, S, D, 0, "100"}, // "1" selects MULTICAST
        {"3 40", E, 40, D, 0, nullptr},
        // Decimal conversion, no range checks.
        {"MAX_EXCHANGE_SIZE = -5", -5, S, D, 0, nullptr},
        {"MAX_EXCHANGE_SIZE = 12abc", 12, S, D, 0, nullptr},
        {"MAX_EXCHANGE_SIZE = abc", 0, S, D, 0, nullptr},
        {"MAX_STATIC_EXCHANGES = 0", E, 0, D, 0, nullptr},
        {"MAX_DYNAMIC_EXCHANGES = -1", E, S, 0xFFFFFFFFu, 0, nullptr},
        {"EXCH_MAP = -1", E, S, D, -1, nullptr},
        // Ignored lines.
        {"CONSUMEALL = 5", E, S, D, 0, nullptr},
        {"0CONSUMEALL = 5", E, S, D, 0, nullptr},
        {"XCH_MAP = 1", E, S, D, 0, nullptr},
        {"MAP = 1", E, S, D, 0, nullptr},
        {"SIZE = 1", E, S, D, 0, nullptr},
        {"EXCHANGE = 1", E, S, D, 0, nullptr},
        {"UNKNOWN = 1", E, S, D, 0, nullptr},
        {"# MAX_EXCHANGE_SIZE = 1", E, S, D, 0, nullptr},
        {"; EXCH_MAP = 1", E, S, D, 0, nullptr},
        {"", E, S, D, 0, nullptr},
        {"   \t\n", E, S, D, 0, nullptr},
        // A key without a value changes nothing and uses no multicast entry.
        {"MAX_EXCHANGE_SIZE", E, S, D, 0, nullptr},
        {"MAX_EXCHANGE_SIZE =\n", E, S, D, 0, nullptr},
        {"EXCH_MAP : ", E, S, D, 0, nullptr},
        {"MULTICAST =", E, S, D, 0, nullptr},
    };
    for (const LineCase& row : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << row.line << '"');
        ServiceParams params;
        EXPECT_EQ(config::applyHeaderLine(params, row.line), HeaderLine::Continue);
        EXPECT_EQ(params.maxExchangeSize, row.maxExchangeSize);
        EXPECT_EQ(params.maxStaticExchanges, row.maxStaticExchanges);
        EXPECT_EQ(params.maxDynamicExchanges, row.maxDynamicExchanges);
        EXPECT_EQ(params.exchMap, row.exchMap);
        if (row.multicast == nullptr) {
            EXPECT_EQ(params.multicastCount, 0u);
        } else {
            ASSERT_EQ(params.multicastCount, 1u);
            EXPECT_STREQ(params.multicast[0], row.multicast);
        }
    }
}

TEST(HeaderLines, ValuesBeyond32BitsAreHeldWithoutWrapping) {
    const struct {
        std::string_view line;
        int32_t maxExchangeSize;
        int32_t maxStaticExchanges;
        uint32_t maxDynamicExchanges;
    } cases[] = {
        // 2^32 + 1 must not wrap to 1, nor 2^32 + 512 to 512.
        {"MAX_EXCHANGE_SIZE = 4294967297", INT32_MAX, S, D},
        {"MAX_STATIC_EXCHANGES = 4294967808", E, INT32_MAX, D},
        {"MAX_STATIC_EXCHANGES = 99999999999999999999999999", E, INT32_MAX, D},
        {"MAX_EXCHANGE_SIZE = -99999999999999999999999999", INT32_MIN, S, D},
        {"MAX_DYNAMIC_EXCHANGES = 4294967552", E, S, 0x7FFFFFFFu},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.line);
        ServiceParams params;
        config::applyHeaderLine(params, row.line);
        EXPECT_EQ(params.maxExchangeSize, row.maxExchangeSize);
        EXPECT_EQ(params.maxStaticExchanges, row.maxStaticExchanges);
        EXPECT_EQ(params.maxDynamicExchanges, row.maxDynamicExchanges);
    }
}

TEST(HeaderLines, MarkerKeyEndsTheHeaderWithOrWithoutValue) {
    for (std::string_view line : {"[EXCHANGE_DEFS]\n", "[EXCHANGE_DEFS]", "  [exchange_defs]  \n", "[EXCHANGE = 1",
                                  "[EXCHANGE_DEFS] EXCH_MAP = 1", "6", "[", "\t[exchange\n"}) {
        SCOPED_TRACE(line);
        ServiceParams params;
        EXPECT_EQ(config::applyHeaderLine(params, line), HeaderLine::EndOfHeader);
        EXPECT_EQ(params.exchMap, 0);
    }
    // The marker joined to more text is not a key: the header goes on.
    for (std::string_view line : {"[EXCHANGE_DEFS]x", "x[EXCHANGE_DEFS]", "# [EXCHANGE_DEFS]", "EXCHANGE_DEFS"}) {
        SCOPED_TRACE(line);
        ServiceParams params;
        EXPECT_EQ(config::applyHeaderLine(params, line), HeaderLine::Continue);
    }
}

TEST(HeaderLines, MulticastTakesEntriesInOrderUpTo32TextsOf16Characters) {
    ServiceParams params;
    const std::string sixteen = "239.255.255.250x";
    ASSERT_EQ(sixteen.size(), 16u);
    config::applyHeaderLine(params, "MULTICAST = " + sixteen + "\n");
    config::applyHeaderLine(params, "MULTICAST = " + sixteen + "y\n"); // 17 characters: passed over
    config::applyHeaderLine(params, "MULTICAST = 224.0.0.2\n");
    ASSERT_EQ(params.multicastCount, 2u);
    EXPECT_EQ(std::string(params.multicast[0]), sixteen);
    EXPECT_STREQ(params.multicast[1], "224.0.0.2");
    EXPECT_EQ(params.multicast[2][0], '\0');

    for (int i = 3; i <= 40; ++i)
        config::applyHeaderLine(params, "MULTICAST = 10.0.0." + std::to_string(i));
    EXPECT_EQ(params.multicastCount, 32u);
    EXPECT_STREQ(params.multicast[31], "10.0.0.32");
    for (const auto& entry : params.multicast) {
        EXPECT_NE(std::memchr(entry, '\0', sizeof entry), nullptr) << "every entry stays terminated";
    }
}

TEST(HeaderLines, LaterLinesOverrideEarlierOnes) {
    ServiceParams params;
    for (std::string_view line : {"MAX_EXCHANGE_SIZE = 100", "MAX = 200", "EXCH_MAP = 1", "exch_map = 0"}) {
        config::applyHeaderLine(params, line);
    }
    EXPECT_EQ(params.maxExchangeSize, 200);
    EXPECT_EQ(params.exchMap, 0);
}

TEST(HeaderLines, ResetToDefaultsKeepsTheMulticastTextsButClearsTheirCount) {
    ServiceParams params;
    config::applyHeaderLine(params, "MULTICAST = 224.0.0.9");
    config::applyHeaderLine(params, "MAX_STATIC_EXCHANGES = 3");
    config::applyHeaderLine(params, "EXCH_MAP = 1");
    params.resetToDefaults();
    EXPECT_EQ(params.multicastCount, 0u);
    EXPECT_EQ(params.maxStaticExchanges, S);
    EXPECT_EQ(params.exchMap, 0);
    EXPECT_STREQ(params.multicast[0], "224.0.0.9");
}

} // namespace
} // namespace zyn::testing
