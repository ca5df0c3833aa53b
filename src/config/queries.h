// queries.h - read-only questions over the loaded exchange table.
#pragma once

#include <cstdint>
#include <string_view>

#include "trvzyn32.h"

namespace zyn::core {
struct LibraryState;
}

namespace zyn::config {

// Finds the exchange a name designates: the first record whose exchange id matches and, when
// EXCH_MAP is exactly 1, whose producer equals the name's. Fills `out` with it, or with zeros
// when nothing matches (not loaded, malformed name, no such exchange); true when found.
bool lookupExchange(const core::LibraryState& state, std::string_view name, ExchangeDef& out);

// 1 when the name designates an exchange of the loaded table.
int32_t IsExchangeDefined(const core::LibraryState& state, std::string_view name);

// Copies every record in table order; 3, or 0 when the table is not loaded or `out` is null.
int32_t copyAllExchanges(const core::LibraryState& state, ExchangeDef* out);

} // namespace zyn::config
