// queries.cpp - the lookup by exchange name and the copies of the exchange table.
#include "config/queries.h"

#include <cstring>

#include "config/exchange_name.h"
#include "core/library_state.h"

namespace zyn::config {

bool lookupExchange(const core::LibraryState& state, std::string_view name, ExchangeDef& out) {
    std::memset(&out, 0, sizeof out);
    ExchangeName wanted;
    if (state.loaded == 0 || !parseExchangeName(name, wanted)) return false;
    const bool producerCounts = state.params.exchMap == 1;
    for (uint32_t i = 0; i < state.exchangeCount; ++i) {
        const ExchangeDef* record = state.exchangeTable.record(i);
        if (record == nullptr) break;
        if (record->exchangeId != wanted.id) continue;
        if (producerCounts && std::strncmp(record->producer, wanted.producer, sizeof wanted.producer) != 0) continue;
        std::memcpy(&out, record, sizeof out);
        return true;
    }
    return false;
}

int32_t IsExchangeDefined(const core::LibraryState& state, std::string_view name) {
    ExchangeDef found;
    lookupExchange(state, name, found);
    return found.exchangeNumber != 0 ? 1 : 0;
}

int32_t copyAllExchanges(const core::LibraryState& state, ExchangeDef* out) {
    if (state.loaded == 0 || out == nullptr) return 0;
    for (uint32_t i = 0; i < state.exchangeCount; ++i) {
        const ExchangeDef* record = state.exchangeTable.record(i);
        if (record == nullptr) break;
        std::memcpy(out + i, record, sizeof *record);
    }
    return ZYN_OK;
}

} // namespace zyn::config
