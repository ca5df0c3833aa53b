// record_format.h - the library's records as zynctl shows them, in text and in JSON: an
// ExchangeDef, and the service parameters of a ServiceConfigParams.
#pragma once

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "json.h"
#include "trvzyn32.h"

namespace zynctl {

// A NUL-padded text field of a record, read no further than the field reaches.
template <size_t N> std::string fieldText(const char (&field)[N]) { return std::string(field, strnlen(field, N)); }

// "exchange_<id>@<producer>", the name by which the library finds the exchange.
std::string exchangeName(const ExchangeDef& definition);

// The option letters of the flag bits: M (own mutex), T, S; "-" when none is set.
std::string flagLetters(uint32_t flags);

// With "usableSize", the data bytes its page has room for (configured_exchanges.h).
Json definitionJson(const ExchangeDef& definition, uint32_t usableSize);

// The multicast addresses, up to the first empty entry.
std::vector<std::string> multicastList(const ServiceConfigParams& params);

// Keyed by the zyn.ini keys, which are also what `params --set` takes.
std::vector<std::pair<std::string, std::string>> parameterFields(const ServiceConfigParams& params);
Json parametersJson(const ServiceConfigParams& params);

} // namespace zynctl
