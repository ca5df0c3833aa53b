// data_access.h - reading and writing an exchange's live data in the section "ZYN_MAP_1".
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"
#include "trvzyn32.h"

namespace zyn::exchange {

int32_t getExchange(core::LibraryState& state, ExchangeAccess* access, void* destination);
int32_t putExchange(core::LibraryState& state, ExchangeAccess* access, const void* source);
void* getExchangePtr(core::LibraryState& state, ExchangeAccess* access);

} // namespace zyn::exchange
