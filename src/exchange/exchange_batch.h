// exchange_batch.h - ZYN_GetExchanges and ZYN_PutExchanges: many exchanges read or written for
// one status test.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"
#include "trvzyn32.h"

namespace zyn::exchange {

// One status test for the whole batch, then each entry in order as ZYN_GetExchange
// (ZYN_PutExchange) would treat it once that test has passed, under its own exchange mutex,
// released before the next entry's is taken. Every entry's result is written; a failed status
// test becomes every entry's result and touches nothing else. Returns ZYN_OK when every entry
// succeeded, else the first failed entry's result; a null array with a non-zero count is
// ZYN_E_NOT_FOUND, and nothing is written.
int32_t getExchanges(core::LibraryState& state, ExchangeTransfer* transfers, uint32_t count);
int32_t putExchanges(core::LibraryState& state, ExchangeTransfer* transfers, uint32_t count);

} // namespace zyn::exchange
