// documented_bounds.h - the bounds the library documents for an exchange definition and for the
// service parameters. The library answers -11 without saying which field it refused; checked
// here in the library's own order, the first field outside its bounds is the one it stopped at,
// and a refusal can name it with its limit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "trvzyn32.h"

namespace zynctl {

constexpr int32_t kMaxThirdNumber = 0x3FFFFFFF;
constexpr int32_t kMinPValue = 5500;
constexpr int32_t kMaxPValue = 5532;
// The largest values ZYN_SetServiceConfigParams accepts.
constexpr uint32_t kMaxSettableExchangeSize = 1400;
constexpr uint32_t kMaxSettableStaticExchanges = 3158063; // the most whose tables fit the library's 1 GiB

// Why `text` cannot be a producer or destination, or nothing when it can: it is written into a
// zyn.ini definition line, so it must fit its record with the terminator and be one non-empty
// token of that line.
std::optional<std::string> fieldTextFault(const std::string& text);

// The first field of `definition` outside its bounds, in the order of ZYN_AddStaticExchange's
// checks, with its limit: "size 300 is not within 1 to 200 (MAX_EXCHANGE_SIZE)". `limits` holds
// the MAX_STATIC_EXCHANGES and MAX_EXCHANGE_SIZE the library checks against. Nothing when every
// field is within its bounds.
std::optional<std::string> definitionFault(const ExchangeDef& definition, const ServiceConfigParams& limits);

// The same for ZYN_SetServiceConfigParams, fields named by their zyn.ini keys.
std::optional<std::string> parametersFault(const ServiceConfigParams& params);

} // namespace zynctl
