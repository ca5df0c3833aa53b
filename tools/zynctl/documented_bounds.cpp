// documented_bounds.cpp - the checks of ZYN_AddStaticExchange and ZYN_SetServiceConfigParams,
// each worded as the field and the bound it misses.
#include "documented_bounds.h"

#include <string_view>

#include "record_format.h"

namespace zynctl {

namespace {

constexpr std::string_view kMulticastPrefix = "224.0.7.";
constexpr uint32_t kMaxMulticastGroup = 32;

std::string withinText(int64_t min, int64_t max) {
    return "within " + std::to_string(min) + " to " + std::to_string(max);
}

// "size 300 is not within 1 to 200 (MAX_EXCHANGE_SIZE)"; `limitName` names a limit that is itself
// a setting.
std::optional<std::string> outside(const char* field, int64_t value, int64_t min, int64_t max,
                                   const char* limitName = nullptr) {
    if (value >= min && value <= max) return std::nullopt;
    return std::string(field) + " " + std::to_string(value) + " is not " + withinText(min, max) +
           (limitName ? std::string(" (") + limitName + ")" : "");
}

// Exactly "224.0.7.N", N from 1 to 32 in plain decimal: nothing else reads back as the address.
bool multicastAddress(std::string_view text) {
    if (!text.starts_with(kMulticastPrefix)) return false;
    const std::string_view digits = text.substr(kMulticastPrefix.size());
    if (digits.empty() || digits.size() > 2 || digits[0] == '0') return false;
    uint32_t group = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        group = group * 10 + static_cast<uint32_t>(c - '0');
    }
    return group <= kMaxMulticastGroup;
}

} // namespace

std::optional<std::string> fieldTextFault(const std::string& text) {
    if (text.empty()) return "must not be empty";
    if (text.size() >= ZYN_TEXT_FIELD_SIZE)
        return "'" + text + "' is longer than the " + std::to_string(ZYN_TEXT_FIELD_SIZE - 1) +
               " characters the record holds";
    // zyn.ini separates a definition line's fields by blanks and tabs, and its options by commas.
    if (text.find_first_of(" \t,\r\n") != std::string::npos)
        return "'" + text + "' must not hold a blank, tab, comma or line end";
    return std::nullopt;
}

std::optional<std::string> definitionFault(const ExchangeDef& definition, const ServiceConfigParams& limits) {
    if (auto fault =
            outside("exchangeNumber", definition.exchangeNumber, 1, limits.maxStaticExchanges, "MAX_STATIC_EXCHANGES"))
        return fault;
    if (auto fault = outside("size", definition.size, 1, limits.maxExchangeSize, "MAX_EXCHANGE_SIZE")) return fault;
    if (auto fault = outside("thirdNumber", definition.thirdNumber, 1, kMaxThirdNumber)) return fault;
    if (definition.pValue != 0 && outside("pValue", definition.pValue, kMinPValue, kMaxPValue))
        return "pValue " + std::to_string(definition.pValue) + " is neither 0 nor " +
               withinText(kMinPValue, kMaxPValue);
    if (auto fault = fieldTextFault(fieldText(definition.producer))) return "producer " + *fault;
    if (auto fault = fieldTextFault(fieldText(definition.destination))) return "destination " + *fault;
    return std::nullopt;
}

std::optional<std::string> parametersFault(const ServiceConfigParams& params) {
    for (const std::string& address : multicastList(params)) {
        if (!multicastAddress(address))
            return "MULTICAST " + address + " is not one of " + std::string(kMulticastPrefix) + "1 to " +
                   std::string(kMulticastPrefix) + std::to_string(kMaxMulticastGroup) + " (plain decimal)";
    }
    if (auto fault = outside("MAX_EXCHANGE_SIZE", params.maxExchangeSize, 1, kMaxSettableExchangeSize)) return fault;
    if (auto fault = outside("MAX_STATIC_EXCHANGES", params.maxStaticExchanges, 1, kMaxSettableStaticExchanges))
        return fault;
    if (params.maxDynamicExchanges == 0) return "MAX_DYNAMIC_EXCHANGES must not be 0";
    if (params.exchMap != 0 && params.exchMap != 1)
        return "EXCH_MAP " + std::to_string(params.exchMap) + " is neither 0 nor 1";
    return std::nullopt;
}

} // namespace zynctl
