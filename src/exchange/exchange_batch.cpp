// exchange_batch.cpp - the batch calls over the per-entry steps of the single data calls.
#include "exchange/exchange_batch.h"

#include "core/service_status.h"
#include "exchange/data_access.h"

namespace zyn::exchange {

namespace {

template <typename EntryStep>
int32_t transferEach(core::LibraryState& state, ExchangeTransfer* transfers, uint32_t count, EntryStep step) {
    if (transfers == nullptr && count != 0) return ZYN_E_NOT_FOUND;
    const int32_t status = core::checkServiceRunning(state);
    int32_t firstFailure = ZYN_OK;
    for (uint32_t i = 0; i < count; ++i) {
        ExchangeTransfer& entry = transfers[i];
        entry.result = status == ZYN_OK ? step(state, entry.access, entry.buffer) : status;
        if (firstFailure == ZYN_OK) firstFailure = entry.result;
    }
    return status == ZYN_OK ? firstFailure : status;
}

} // namespace

int32_t getExchanges(core::LibraryState& state, ExchangeTransfer* transfers, uint32_t count) {
    return transferEach(state, transfers, count, readExchangeData);
}

int32_t putExchanges(core::LibraryState& state, ExchangeTransfer* transfers, uint32_t count) {
    return transferEach(state, transfers, count, writeExchangeData);
}

} // namespace zyn::exchange
