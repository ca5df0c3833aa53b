// data_access.h - reading and writing an exchange's live data in the section "ZYN_MAP_1".
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"
#include "trvzyn32.h"

namespace zyn::exchange {

int32_t getExchange(core::LibraryState& state, ExchangeAccess* access, void* destination);
int32_t putExchange(core::LibraryState& state, ExchangeAccess* access, const void* source);
void* getExchangePtr(core::LibraryState& state, ExchangeAccess* access);

// What ZYN_GetExchange and ZYN_PutExchange do once the status test has passed: every other
// check, the copy under the exchange's mutex, and the result. The batches run exactly these per
// entry, so a batch entry and a single call cannot come to different answers.
int32_t readExchangeData(core::LibraryState& state, ExchangeAccess* access, void* destination);
int32_t writeExchangeData(core::LibraryState& state, ExchangeAccess* access, const void* source);

} // namespace zyn::exchange
