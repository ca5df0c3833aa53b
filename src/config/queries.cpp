// queries.cpp - the lookup by exchange name and the copies of the exchange table.
#include "config/queries.h"

#include <algorithm>
#include <cstring>

#include "core/library_state.h"

namespace zyn::config {

int64_t findExchangePosition(const core::LibraryState& state, const ExchangeName& name) {
    if (state.loaded == 0) return -1;
    const IdIndex& index = state.idIndex;
    if (index.filled == state.exchangeCount && index.filled != 0) {
        // The records of one id in table order: the first that answers is the scan's answer.
        const IdIndexEntry* begin = index.entries.data();
        const IdIndexEntry* end = begin + index.filled;
        for (const IdIndexEntry* at = std::lower_bound(begin, end, IdIndexEntry{name.id, INT32_MIN}, idIndexOrder);
             at != end && at->exchangeId == name.id; ++at) {
            const ExchangeDef* record = state.exchangeTable.record(static_cast<uint64_t>(at->tablePosition));
            if (record != nullptr && answersTo(*record, name, state.params.exchMap)) return at->tablePosition;
        }
        return -1;
    }
    for (uint32_t i = 0; i < state.exchangeCount; ++i) {
        const ExchangeDef* record = state.exchangeTable.record(i);
        if (record == nullptr) break;
        if (answersTo(*record, name, state.params.exchMap)) return i;
    }
    return -1;
}

int64_t lookupExchange(const core::LibraryState& state, std::string_view name, ExchangeDef& out) {
    std::memset(&out, 0, sizeof out);
    ExchangeName wanted;
    if (!parseExchangeName(name, wanted)) return -1;
    const int64_t position = findExchangePosition(state, wanted);
    const ExchangeDef* record = position < 0 ? nullptr : state.exchangeTable.record(static_cast<uint64_t>(position));
    if (record == nullptr) return -1;
    std::memcpy(&out, record, sizeof out);
    return position;
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
