// exchange_batch.cpp - the batch calls over the per-entry steps of the single data calls.
#include "exchange/exchange_batch.h"

#include "exchange/admission.h"
#include "exchange/data_access.h"

namespace zyn::exchange {

namespace {

template <typename EntryStep>
int32_t transferEach(core::LibraryState& state, ExchangeTransfer* transfers, uint32_t count, EntryStep step) {
    if (transfers == nullptr && count != 0) return ZYN_E_NOT_FOUND;
    core::SharedStateLock held(state, false);
    const int32_t status = admitDataCall(state, held);
    int32_t firstFailure = ZYN_OK;
    for (uint32_t i = 0; i < count; ++i) {
        ExchangeTransfer& entry = transfers[i];
        if (status != ZYN_OK)
            entry.result = status;
        else
            entry.result = entry.access == nullptr ? ZYN_E_NOT_FOUND : step(state, held, *entry.access, entry.buffer);
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
