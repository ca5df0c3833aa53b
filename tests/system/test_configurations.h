// test_configurations.h - the zyn.ini files of the system scenarios, with what each defines, so
// that a test states its expectations next to the file it wrote.
#pragma once

#include <cstdint>

namespace zyn::test {

// What one definition line gives, and where its page lies in the section.
struct ExpectedPage {
    int32_t exchangeNumber;
    uint32_t size;
    int32_t exchangeId;
    int32_t tablePosition;
    int64_t pageOffset;
    int64_t statusOffset;
    int32_t mutexNumber; // "ZYN_MAP_1-%05d"
};

// Fixed layout, E = 200, S = 16: page n at n x 200, status byte at n, mutexes by exchange number.
// The third line's E option makes its exchange id differ from its number.
constexpr char kFixedLayoutIni[] = "MAX_EXCHANGE_SIZE = 200\n"
                                   "MAX_STATIC_EXCHANGES = 16\n"
                                   "MAX_DYNAMIC_EXCHANGES = 8\n"
                                   "EXCH_MAP = 0\n"
                                   "[EXCHANGE_DEFS]\n"
                                   "1\t100\t1\tNODE1\tGROUP\tM,E=1\n"
                                   "2\t8\t1\tNODE2\tGROUP\tM,E=2\n"
                                   "5\t200\t1\tnode1\tgroup\tT,M,E=40\n";
constexpr ExpectedPage kFixedLayoutPages[] = {
    {1, 100, 1, 0, 200, 1, 1},
    {2, 8, 2, 1, 400, 2, 2},
    {5, 200, 40, 2, 1000, 5, 5},
};
// (S + 1) x E + 32: page 16's header and 200 data bytes fit.
constexpr int64_t kFixedLayoutSectionBytes = 17 * 200 + 32;

// Packed layout, S = 16, D = 8: pages packed in table order from offset 24, status bytes and
// mutexes by table position whatever the exchange numbers.
constexpr char kPackedLayoutIni[] = "MAX_EXCHANGE_SIZE = 200\n"
                                    "MAX_STATIC_EXCHANGES = 16\n"
                                    "MAX_DYNAMIC_EXCHANGES = 8\n"
                                    "EXCH_MAP = 1\n"
                                    "[EXCHANGE_DEFS]\n"
                                    "1\t100\t1\tNODE1\tGROUP\tM,E=1\n"
                                    "4\t8\t1\tNODE2\tGROUP\tM,E=2\n"
                                    "9\t50\t1\tNODE3\tGROUP\tS,M\n";
constexpr ExpectedPage kPackedLayoutPages[] = {
    {1, 100, 1, 0, 24, 0, 0},
    {4, 8, 2, 1, 24 + 132, 1, 1},
    {9, 50, 9, 2, 24 + 132 + 40, 2, 2},
};
constexpr int64_t kPackedLayoutSectionBytes = 24 + 132 + 40 + 82;

} // namespace zyn::test
