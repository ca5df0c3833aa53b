// find_page.h - which page of the page table holds an exchange's data.
#pragma once

#include <cstdint>

namespace zyn::core {
struct LibraryState;
}

namespace zyn::exchange {

// The page-table index of the exchange with this producer and exchange id, or -1. It follows
// the layout the page table was built with and never names an entry outside it, whatever
// EXCH_MAP and MAX_STATIC_EXCHANGES the library state holds since.
int64_t FindPageIndex(const core::LibraryState& state, const char* producer, int32_t exchangeId);

} // namespace zyn::exchange
