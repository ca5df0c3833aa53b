// One exchange definition line of zyn.ini: which lines count, the five fields and their
// ranges, the options, and the 92-byte record a line becomes.
#include "exchange_def_builder.h"
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "config/definition_line.h"
#include "config/text.h"

namespace zyn::testing {
namespace {

using test_support::exchangeDef;

using config::DefinitionLimits;
using config::DefinitionLineKind;

constexpr DefinitionLimits kDefaults{512, 1024};

std::string describe(const ExchangeDef& def) {
    std::ostringstream out;
    out << def.exchangeNumber << ' ' << def.size << ' ' << def.thirdNumber << " '"
        << std::string(def.producer, config::boundedLength(def.producer, 32)) << "' '"
        << std::string(def.destination, config::boundedLength(def.destination, 32)) << "' flags " << def.flags << " P "
        << def.pValue << " reserved " << def.reserved << " id " << def.exchangeId;
    return out.str();
}

// Byte for byte, so that the NUL padding and the reserved word are checked too.
void expectSameRecord(const ExchangeDef& actual, const ExchangeDef& expected) {
    EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0)
        << "actual:   " << describe(actual) << "\nexpected: " << describe(expected);
}

std::optional<ExchangeDef> parse(std::string_view line, DefinitionLimits limits = kDefaults) {
    ExchangeDef out;
    std::memset(&out, 0xA5, sizeof out);
    if (!config::parseDefinitionLine(line, limits, out)) return std::nullopt;
    return out;
}

TEST(DefinitionLine, OnlyLinesStartingWithADigitCount) {
    const struct {
        std::string_view line;
        DefinitionLineKind kind;
    } cases[] = {
        {"12 100 1 node1 node2\n", DefinitionLineKind::Counted},
        {"  \t12 100 1 a b", DefinitionLineKind::Counted},
        {"\v\f\r0", DefinitionLineKind::Counted},
        {"9", DefinitionLineKind::Counted},
        {"#12 100 1 a b", DefinitionLineKind::Comment},
        {"   # a comment\n", DefinitionLineKind::Comment},
        {"", DefinitionLineKind::Ignored},
        {"\n", DefinitionLineKind::Ignored},
        {"  \t \r\n", DefinitionLineKind::Ignored},
        {"node1 12 100", DefinitionLineKind::Ignored},
        {"+12 100 1 a b", DefinitionLineKind::Ignored},
        {"-12 100 1 a b", DefinitionLineKind::Ignored},
        {"[EXCHANGE_DEFS]", DefinitionLineKind::Ignored},
        {"; 12 100 1 a b", DefinitionLineKind::Ignored},
        {"EXCH_MAP = 1", DefinitionLineKind::Ignored},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << row.line << '"');
        EXPECT_EQ(config::classifyDefinitionLine(row.line), row.kind);
    }
}

TEST(DefinitionLine, FieldsBecomeTheRecordWithDefaultsForTheOptions) {
    const struct {
        std::string_view line;
        ExchangeDef expected;
    } cases[] = {
        {"   12 100 1 node1 node2", exchangeDef(12, 100, 1, "NODE1", "NODE2", 1, 0, 12)},
        {"12\t100\t1\tnode1\tnode2\t\n", exchangeDef(12, 100, 1, "NODE1", "NODE2", 1, 0, 12)},
        {"12  \t 100 \t\t 1   Node-1.a   x_y\n", exchangeDef(12, 100, 1, "NODE-1.A", "X_Y", 1, 0, 12)},
        // Commas do not separate fields: they stay in the texts.
        {"12 100 1 a,b c,d", exchangeDef(12, 100, 1, "A,B", "C,D", 1, 0, 12)},
        // Only a to z are upper-cased.
        {"12 100 1 n\xF6"
         "de \xE9t\xE9",
         exchangeDef(12, 100, 1,
                     "N\xF6"
                     "DE",
                     "\xE9T\xE9", 1, 0, 12)},
        // Numbers end at their first other character.
        {"12x 100y 1z a b", exchangeDef(12, 100, 1, "A", "B", 1, 0, 12)},
        {"12 +100 +1 a b", exchangeDef(12, 100, 1, "A", "B", 1, 0, 12)},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << row.line << '"');
        std::optional<ExchangeDef> def = parse(row.line);
        ASSERT_TRUE(def.has_value());
        expectSameRecord(*def, row.expected);
    }
}

struct RangeCase {
    std::string_view line;
    DefinitionLimits limits;
    bool accepted;
};

TEST(DefinitionLine, EveryNumberIsCheckedAgainstItsRange) {
    const RangeCase cases[] = {
        // Exchange number: 1 to MAX_STATIC_EXCHANGES.
        {"0 100 1 a b", kDefaults, false},
        {"1 100 1 a b", kDefaults, true},
        {"512 100 1 a b", kDefaults, true},
        {"513 100 1 a b", kDefaults, false},
        {"5 100 1 a b", {5, 1024}, true},
        {"6 100 1 a b", {5, 1024}, false},
        {"1 100 1 a b", {0, 1024}, false},
        {"1 100 1 a b", {-1, 1024}, false},
        {"2147483647 100 1 a b", {INT32_MAX, 1024}, true},
        // Size: 1 to MAX_EXCHANGE_SIZE, compared unsigned.
        {"1 0 1 a b", kDefaults, false},
        {"1 1 1 a b", kDefaults, true},
        {"1 1024 1 a b", kDefaults, true},
        {"1 1025 1 a b", kDefaults, false},
        {"1 -1 1 a b", kDefaults, false},
        {"1 -1024 1 a b", kDefaults, false},
        {"1 10 1 a b", {512, 10}, true},
        {"1 11 1 a b", {512, 10}, false},
        {"1 1 1 a b", {512, 0}, false},
        {"1 5000 1 a b", {512, -1}, true}, // a limit of -1 is 4294967295 unsigned
        {"1 4294967295 1 a b", {512, -1}, true},
        {"1 4294967296 1 a b", {512, -1}, false},
        // Third number: 1 to 0x3FFFFFFF.
        {"1 100 0 a b", kDefaults, false},
        {"1 100 1073741823 a b", kDefaults, true},
        {"1 100 1073741824 a b", kDefaults, false},
        {"1 100 -1 a b", kDefaults, false},
        // Fewer than five fields.
        {"1 100 1 a", kDefaults, false},
        {"1 100 1 a \t\n", kDefaults, false},
        {"1 100 1", kDefaults, false},
        {"1", kDefaults, false},
        {"", kDefaults, false},
        {"12,100,1,a,b", kDefaults, false},
    };
    for (const RangeCase& row : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << row.line << "\" limits " << row.limits.maxStaticExchanges << ", "
                                          << row.limits.maxExchangeSize);
        EXPECT_EQ(parse(row.line, row.limits).has_value(), row.accepted);
    }
}

TEST(DefinitionLine, NumbersBeyond32BitsFailTheirRangesInsteadOfWrapping) {
    const RangeCase cases[] = {
        // 2^32 + 1 and 2^32 + 512 would wrap into range.
        {"4294967297 100 1 a b", kDefaults, false},
        {"4294967808 100 1 a b", kDefaults, false},
        {"2147483648 100 1 a b", {INT32_MAX, 1024}, false},
        {"99999999999999999999999999 100 1 a b", kDefaults, false},
        {"1 4294967297 1 a b", kDefaults, false},
        {"1 4294968320 1 a b", kDefaults, false},
        {"1 -4294967295 1 a b", kDefaults, false}, // -(2^32 - 1) is 1 as unsigned 32 bits
        {"1 99999999999999999999999999 1 a b", {512, -1}, false},
        {"1 100 4294967297 a b", kDefaults, false},
        {"1 100 -4294967295 a b", kDefaults, false},
        // Options: no 32-bit field can hold these values, so the line goes.
        {"1 100 1 a b E=4294967297", kDefaults, false},
        {"1 100 1 a b E=2147483648", kDefaults, false},
        {"1 100 1 a b P=-2147483649", kDefaults, false},
        {"1 100 1 a b P=99999999999999999999999999", kDefaults, false},
        {"1 100 1 a b E=2147483647,P=-2147483648", kDefaults, true},
    };
    for (const RangeCase& row : cases) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(parse(row.line, row.limits).has_value(), row.accepted);
    }
    std::optional<ExchangeDef> extreme = parse("1 100 1 a b E=2147483647,P=-2147483648");
    ASSERT_TRUE(extreme.has_value());
    EXPECT_EQ(extreme->exchangeId, INT32_MAX);
    EXPECT_EQ(extreme->pValue, INT32_MIN);
}

TEST(DefinitionLine, TextsOfUpTo31CharactersFitAndLongerOnesSkipTheLine) {
    const std::string p31(31, 'p');
    const std::string d31(31, 'd');
    std::optional<ExchangeDef> def = parse("1 100 1 " + p31 + " " + d31);
    ASSERT_TRUE(def.has_value());
    EXPECT_EQ(std::string(def->producer), std::string(31, 'P'));
    EXPECT_EQ(std::string(def->destination), std::string(31, 'D'));
    EXPECT_EQ(def->producer[31], '\0');
    EXPECT_EQ(def->destination[31], '\0');

    EXPECT_FALSE(parse("1 100 1 " + p31 + "x " + d31).has_value());
    EXPECT_FALSE(parse("1 100 1 " + p31 + " " + d31 + "x").has_value());
    EXPECT_FALSE(parse("1 100 1 " + std::string(100, 'p') + " d").has_value());
}

struct OptionCase {
    std::string_view options;
    uint32_t flags;
    int32_t pValue;
    int32_t exchangeId;
};

TEST(DefinitionLine, OptionsSetFlagsPValueAndExchangeId) {
    const OptionCase cases[] = {
        {"", 1, 0, 12},
        {"T", 3, 0, 12},
        {"S", 5, 0, 12},
        {"M", 1, 0, 12},
        {"T,S,P=5510,E=40", 7, 5510, 40},
        {"T S P=5510 E=40", 7, 5510, 40},
        {"T\tS\tP=5510\tE=40\n", 7, 5510, 40},
        {" ,, T ,,S,, ", 7, 0, 12},
        {"M,T,M", 3, 0, 12},
        // Only the first character of a token counts, and case matters.
        {"TSM", 3, 0, 12},
        {"Sync", 5, 0, 12},
        {"t,s,m", 1, 0, 12},
        {"e=40,p=5", 1, 0, 12},
        {"X,Y,#,T", 3, 0, 12},
        // E and P values: spaces and '=' after the letter are skipped.
        {"E=7", 1, 0, 7},
        {"E7", 1, 0, 7},
        {"E==7", 1, 0, 7},
        {"E=7x,T", 3, 0, 7},
        {"E=-3", 1, 0, -3},
        {"E=0", 1, 0, 0},
        {"E=x,T", 3, 0, 0}, // something is left after '=': its value is 0 and the options go on
        {"P5510", 1, 5510, 12},
        {"P=-1", 1, -1, 12},
        {"E=5,E=6", 1, 0, 6},
        // An E or P with nothing after it ends the options of the line.
        {"E", 1, 0, 12},
        {"E,T", 1, 0, 12},
        {"E=,T", 1, 0, 12},
        {"E==,S", 1, 0, 12},
        {"P=,T", 1, 0, 12},
        {"P,S", 1, 0, 12},
        {"E= 40", 1, 0, 12},
        {"E = 7", 1, 0, 12},
        {"T,E=,S,E=40", 3, 0, 12},
        {"E=40,P=9,P=,T,E=50", 1, 9, 40},
    };
    for (const OptionCase& row : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << row.options << '"');
        std::optional<ExchangeDef> def = parse("12 100 1 node1 node2 " + std::string(row.options));
        ASSERT_TRUE(def.has_value());
        expectSameRecord(*def, exchangeDef(12, 100, 1, "NODE1", "NODE2", row.flags, row.pValue, row.exchangeId));
    }
}

TEST(DefinitionLine, OptionsMayFollowTheDestinationAfterAComma) {
    // The destination ends at a blank; a comma right after it belongs to the destination.
    std::optional<ExchangeDef> joined = parse("12 100 1 a b,T");
    ASSERT_TRUE(joined.has_value());
    EXPECT_STREQ(joined->destination, "B,T");
    EXPECT_EQ(joined->flags, 1u);

    std::optional<ExchangeDef> separated = parse("12 100 1 a b ,T");
    ASSERT_TRUE(separated.has_value());
    EXPECT_STREQ(separated->destination, "B");
    EXPECT_EQ(separated->flags, 3u);
}

TEST(DefinitionLine, EachLineStartsFromFreshOptions) {
    ExchangeDef def;
    ASSERT_TRUE(config::parseDefinitionLine("3 100 1 a b T,S,P=9,E=77", kDefaults, def));
    EXPECT_EQ(def.flags, 7u);
    ASSERT_TRUE(config::parseDefinitionLine("4 50 2 c d", kDefaults, def));
    expectSameRecord(def, exchangeDef(4, 50, 2, "C", "D", 1, 0, 4));

    // An empty E in one line does not stop the options of the next.
    ASSERT_TRUE(config::parseDefinitionLine("5 50 2 c d E=,T", kDefaults, def));
    EXPECT_EQ(def.flags, 1u);
    ASSERT_TRUE(config::parseDefinitionLine("6 50 2 c d T,E=8", kDefaults, def));
    expectSameRecord(def, exchangeDef(6, 50, 2, "C", "D", 3, 0, 8));
}

TEST(DefinitionLine, ShorterTextsOverwriteLongerOnesCompletely) {
    // A record reused for a second line must not keep bytes of the first line's texts.
    ExchangeDef def;
    ASSERT_TRUE(config::parseDefinitionLine("1 100 1 a_long_producer_name a_long_destination_x", kDefaults, def));
    ASSERT_TRUE(config::parseDefinitionLine("2 100 1 p d", kDefaults, def));
    expectSameRecord(def, exchangeDef(2, 100, 1, "P", "D", 1, 0, 2));
}

} // namespace
} // namespace zyn::testing
