// page_layout.h - where each exchange's page and status byte lie in the section "ZYN_MAP_1",
// and the names of the mutexes that guard them. The service and the library share these rules.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zyn::config {

constexpr char kSectionName[] = "ZYN_MAP_1";
constexpr char kIniMutexName[] = "__ZYN_INIFILE";
constexpr int64_t kPageHeaderSize = 32;
constexpr size_t kMutexNameSize = 32;

enum class PageLayout { Fixed, Packed };

inline PageLayout layoutFor(int32_t exchMap) { return exchMap == 0 ? PageLayout::Fixed : PageLayout::Packed; }

// Fixed layout: page n (1 to S) at n x E, its status byte at n. Offsets are 64-bit so that no
// header value can wrap them; a negative result lies outside every view.
inline int64_t fixedPageOffset(int64_t page, int32_t maxExchangeSize) { return page * maxExchangeSize; }
inline int64_t fixedStatusOffset(int64_t page) { return page; }
// Pages lie E bytes apart and each starts with its header, so a page has room for E - 32 data
// bytes whatever its record's size: the bytes beyond are the next page's header.
inline int64_t fixedPageRoom(int32_t maxExchangeSize) { return int64_t{maxExchangeSize} - kPageHeaderSize; }

// Packed layout: the first page at S + D, each next one 32 + size bytes further on; the status
// byte of table position i at i.
inline int64_t packedFirstPageOffset(int32_t maxStaticExchanges, uint32_t maxDynamicExchanges) {
    return int64_t{maxStaticExchanges} + int64_t{maxDynamicExchanges};
}
inline int64_t packedPageLength(uint32_t size) { return kPageHeaderSize + size; }
// Each packed page is as long as its record's size, so the page sets no bound of its own.
constexpr int64_t kPackedPageRoom = INT64_MAX;

// "ZYN_MAP_1-%05d": the name of the mutex that guards page or table position `number`.
void formatExchangeMutexName(char (&name)[kMutexNameSize], int32_t number);

} // namespace zyn::config
