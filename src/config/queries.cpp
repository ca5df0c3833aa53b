// queries.cpp - the lookup by exchange name and the copies of the exchange table.
#include "config/queries.h"

#include <algorithm>
#include <cstring>

#include "core/library_state.h"

namespace zyn::config {

namespace {

// Through the name index, when it answers for the whole table: it is sorted by producer and
// id, so a binary search finds what the scan of the table would find first.
bool indexAnswersFor(const core::LibraryState& state) {
    return state.params.exchMap == kExchMapByProducer && state.pageTable &&
           state.pageTable.layout() == PageLayout::Packed && state.nameIndex.count() >= state.exchangeCount;
}

int64_t searchNameIndex(const core::LibraryState& state, const ExchangeName& name) {
    const NameIndexEntry* begin = state.nameIndex.data();
    const NameIndexEntry* end = begin + state.exchangeCount;
    NameIndexEntry wanted{};
    std::memcpy(wanted.producer, name.producer, sizeof wanted.producer);
    wanted.exchangeId = name.id;
    wanted.tablePosition = INT32_MIN;
    const NameIndexEntry* found = std::lower_bound(begin, end, wanted, nameIndexOrder);
    if (found == end || found->exchangeId != name.id ||
        std::strncmp(found->producer, name.producer, sizeof name.producer) != 0) {
        return -1;
    }
    return found->tablePosition;
}

} // namespace

int64_t findExchangePosition(const core::LibraryState& state, const ExchangeName& name) {
    if (state.loaded == 0) return -1;
    if (indexAnswersFor(state)) return searchNameIndex(state, name);
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
