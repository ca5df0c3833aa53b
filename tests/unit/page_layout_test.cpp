// Where pages and status bytes lie in "ZYN_MAP_1" in the two layouts, and the names of the
// exchange mutexes: the contract with the service.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "config/page_layout.h"

namespace zyn::testing {
namespace {

TEST(PageLayout, ExchMapZeroSelectsTheFixedLayoutAndAnythingElseThePackedOne) {
    EXPECT_EQ(config::layoutFor(0), config::PageLayout::Fixed);
    for (int32_t exchMap : {1, 2, -1, INT32_MAX, INT32_MIN}) {
        SCOPED_TRACE(exchMap);
        EXPECT_EQ(config::layoutFor(exchMap), config::PageLayout::Packed);
    }
}

TEST(PageLayout, FixedLayoutPutsPageNAtNTimesTheExchangeSize) {
    const struct {
        int64_t page;
        int32_t maxExchangeSize;
        int64_t pageOffset;
    } cases[] = {
        {1, 1024, 1024},
        {2, 1024, 2048},
        {512, 1024, 524288},
        {3, 100, 300},
        // No wrap even where the product leaves 32 bits.
        {0x3FFFFFFF, INT32_MAX, int64_t{0x3FFFFFFF} * INT32_MAX},
        {INT32_MAX, INT32_MAX, int64_t{INT32_MAX} * INT32_MAX},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::Message() << "page " << row.page << " size " << row.maxExchangeSize);
        EXPECT_EQ(config::fixedPageOffset(row.page, row.maxExchangeSize), row.pageOffset);
        EXPECT_EQ(config::fixedStatusOffset(row.page), row.page);
    }
}

TEST(PageLayout, PackedLayoutStartsAfterTheStatusBytesAndPacksPagesWithoutAlignment) {
    EXPECT_EQ(config::packedFirstPageOffset(512, 256), 768);
    EXPECT_EQ(config::packedFirstPageOffset(0, 0), 0);
    EXPECT_EQ(config::packedFirstPageOffset(INT32_MAX, UINT32_MAX), int64_t{INT32_MAX} + UINT32_MAX);
    // The worked example: sizes 100, 8 and 1000 give pages at 768, 900 and 940.
    int64_t offset = config::packedFirstPageOffset(512, 256);
    int64_t pages[3];
    const uint32_t sizes[3] = {100, 8, 1000};
    for (int i = 0; i < 3; ++i) {
        pages[i] = offset;
        offset += config::packedPageLength(sizes[i]);
    }
    EXPECT_EQ(pages[0], 768);
    EXPECT_EQ(pages[1], 900);
    EXPECT_EQ(pages[2], 940);
    EXPECT_EQ(offset, 1972);
    EXPECT_EQ(config::packedPageLength(UINT32_MAX), int64_t{UINT32_MAX} + 32);
}

TEST(PageLayout, MutexNamesCarryTheNumberInAtLeastFiveDigits) {
    const struct {
        int32_t number;
        const char* name;
    } cases[] = {
        {0, "ZYN_MAP_1-00000"},
        {1, "ZYN_MAP_1-00001"},
        {2, "ZYN_MAP_1-00002"},
        {512, "ZYN_MAP_1-00512"},
        {99999, "ZYN_MAP_1-99999"},
        {100000, "ZYN_MAP_1-100000"},
        {INT32_MAX, "ZYN_MAP_1-2147483647"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.number);
        char name[config::kMutexNameSize];
        config::formatExchangeMutexName(name, row.number);
        EXPECT_STREQ(name, row.name);
    }
}

} // namespace
} // namespace zyn::testing
