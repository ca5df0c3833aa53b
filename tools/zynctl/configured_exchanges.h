// configured_exchanges.h - the exchange table of the loaded zyn.ini, as the library hands it out.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "trvzyn32.h"

namespace zynctl {

// All definitions in table order; a LibraryFailure when no table is loaded.
std::vector<ExchangeDef> configuredExchanges();

// The definition the library finds under `name`, or nothing (its zeroed record).
std::optional<ExchangeDef> findExchange(const std::string& name);

// As findExchange, but a missing exchange is a Failure of `function`, the library function of
// the command the user asked for.
ExchangeDef requireExchange(const std::string& name, const char* function);

// The data bytes of the exchange that can be read and written. In the fixed page layout pages
// lie MAX_EXCHANGE_SIZE bytes apart, so a definition larger than MAX_EXCHANGE_SIZE - 32 has room
// for only that many; otherwise its size.
uint32_t usableSize(const ExchangeDef& definition);

} // namespace zynctl
