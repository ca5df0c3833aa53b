// exchange_name.cpp - reading and writing exchange names.
#include "config/exchange_name.h"

#include <cstdio>
#include <cstring>

#include "config/text.h"

namespace zyn::config {

bool parseExchangeName(std::string_view name, ExchangeName& out) {
    size_t underscore = name.find('_');
    if (underscore == std::string_view::npos) return false;
    size_t at = name.find('@', underscore + 1);
    if (at == std::string_view::npos) return false;
    std::string_view idText = subview(name, underscore + 1, at - underscore - 1);
    std::string_view producer = subview(name, at + 1);
    if (idText.size() > kMaxIdText || producer.size() > kMaxProducerText) return false;
    // Nine characters hold no number beyond the 32-bit range.
    out.id = static_cast<int32_t>(decimalValue(idText));
    std::memset(out.producer, 0, sizeof out.producer);
    for (size_t i = 0; i < producer.size(); ++i)
        out.producer[i] = upperAscii(producer[i]);
    return true;
}

ExchangeName nameOf(const ExchangeDef& definition) {
    ExchangeName name;
    name.id = definition.exchangeId;
    for (size_t i = 0; i + 1 < sizeof name.producer && definition.producer[i] != '\0'; ++i)
        name.producer[i] = upperAscii(definition.producer[i]);
    return name;
}

bool answersTo(const ExchangeDef& record, const ExchangeName& name, int32_t exchMap) {
    if (record.exchangeId != name.id) return false;
    return exchMap != kExchMapByProducer || std::strncmp(record.producer, name.producer, sizeof name.producer) == 0;
}

void formatExchangeName(char (&out)[kExchangeNameCapacity], int32_t id, const char* producer) {
    std::snprintf(out, sizeof out, "exchange_%d@%.31s", static_cast<int>(id), producer);
}

} // namespace zyn::config
