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

// As findExchange, but a missing exchange is a Failure.
ExchangeDef requireExchange(const std::string& name);

} // namespace zynctl
