// find_page.h - which page of the page table holds an exchange's data.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"
#include "trvzyn32.h"

namespace zyn::exchange {

// The page-table index of the exchange whose record the lookup found at table position
// `position`, or -1. It follows the layout the page table was built with and never names an
// entry outside it, whatever EXCH_MAP and MAX_STATIC_EXCHANGES the library state holds since.
int64_t FindPageIndex(const core::LibraryState& state, const ExchangeDef& record, int64_t position);

} // namespace zyn::exchange
