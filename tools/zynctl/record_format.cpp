// record_format.cpp - names, flag letters and the two records' JSON forms.
#include "record_format.h"

namespace zynctl {

std::string exchangeName(const ExchangeDef& definition) {
    return "exchange_" + std::to_string(definition.exchangeId) + "@" + fieldText(definition.producer);
}

std::string flagLetters(uint32_t flags) {
    std::string letters;
    if (flags & ZYN_FLAG_MUTEX) letters += 'M';
    if (flags & ZYN_FLAG_T) letters += 'T';
    if (flags & ZYN_FLAG_S) letters += 'S';
    return letters.empty() ? "-" : letters;
}

Json definitionJson(const ExchangeDef& definition, uint32_t usableSize) {
    return Json::Object{
        {"name", exchangeName(definition)},
        {"number", definition.exchangeNumber},
        {"size", definition.size},
        {"usableSize", usableSize},
        {"thirdNumber", definition.thirdNumber},
        {"producer", fieldText(definition.producer)},
        {"destination", fieldText(definition.destination)},
        {"flags", flagLetters(definition.flags)},
        {"flagBits", definition.flags},
        {"p", definition.pValue},
        {"id", definition.exchangeId},
    };
}

std::vector<std::string> multicastList(const ServiceConfigParams& params) {
    std::vector<std::string> addresses;
    for (const auto& entry : params.multicast) {
        if (entry[0] == '\0') break;
        addresses.push_back(fieldText(entry));
    }
    return addresses;
}

std::vector<std::pair<std::string, std::string>> parameterFields(const ServiceConfigParams& params) {
    std::string multicast;
    for (const std::string& address : multicastList(params))
        multicast += (multicast.empty() ? "" : " ") + address;
    return {
        {"MULTICAST", multicast.empty() ? "(none)" : multicast},
        {"MAX_EXCHANGE_SIZE", std::to_string(params.maxExchangeSize)},
        {"MAX_STATIC_EXCHANGES", std::to_string(params.maxStaticExchanges)},
        {"MAX_DYNAMIC_EXCHANGES", std::to_string(params.maxDynamicExchanges)},
        {"EXCH_MAP", std::to_string(params.exchMap) + (params.exchMap == 0 ? " (fixed page layout)" : " (packed)")},
    };
}

Json parametersJson(const ServiceConfigParams& params) {
    Json::Array multicast;
    for (const std::string& address : multicastList(params))
        multicast.emplace_back(address);
    return Json::Object{
        {"MULTICAST", std::move(multicast)},
        {"MAX_EXCHANGE_SIZE", params.maxExchangeSize},
        {"MAX_STATIC_EXCHANGES", params.maxStaticExchanges},
        {"MAX_DYNAMIC_EXCHANGES", params.maxDynamicExchanges},
        {"EXCH_MAP", params.exchMap},
    };
}

} // namespace zynctl
