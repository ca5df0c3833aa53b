// editing.h - adding, deleting and changing static exchange definitions in zyn.ini.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"
#include "trvzyn32.h"

namespace zyn::config {

int32_t addStaticExchange(core::LibraryState& state, const ExchangeDef& definition);
int32_t deleteStaticExchange(core::LibraryState& state, char* exchangeName);
int32_t changeStaticExchangeParams(core::LibraryState& state, const ExchangeDef& definition);

// -11 when the definition is outside the bounds the library state holds, or when one of its
// texts would be read back differently by the loader; 0 when it may be written.
int32_t checkDefinition(const core::LibraryState& state, const ExchangeDef& definition);

} // namespace zyn::config
