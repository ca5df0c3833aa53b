// queries.h - read-only questions over the loaded exchange table.
#pragma once

#include <cstdint>
#include <string_view>

#include "config/exchange_name.h"
#include "core/library_state_fwd.h"
#include "trvzyn32.h"

namespace zyn::config {

// The table position of the first record that answers to `name` under the EXCH_MAP the state
// holds, or -1 (also when the table is not loaded).
int64_t findExchangePosition(const core::LibraryState& state, const ExchangeName& name);

// Finds the exchange a name designates and fills `out` with it, or with zeros when nothing
// matches (not loaded, malformed name, no such exchange). Returns its table position, or -1.
int64_t lookupExchange(const core::LibraryState& state, std::string_view name, ExchangeDef& out);

// Copies every record in table order; 3, or 0 when the table is not loaded or `out` is null.
int32_t copyAllExchanges(const core::LibraryState& state, ExchangeDef* out);

} // namespace zyn::config
