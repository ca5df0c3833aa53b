// data_access.h - reading and writing an exchange's live data in the section "ZYN_MAP_1".
//
// A data call has two halves. admitDataCall (exchange/admission.h) makes the status tests and
// ends holding the state lock shared. The per-exchange halves here then do everything that
// follows the status tests, under that shared hold, so that a call that names many exchanges
// admits itself once and runs them all.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"
#include "core/state_lock.h"
#include "trvzyn32.h"

namespace zyn::exchange {

// What ZYN_GetExchange, ZYN_PutExchange and ZYN_GetExchangePtr do after admission: every other
// check, the copy under the exchange's mutex, and the result. The batch calls run exactly these
// per entry, so a batch entry and a single call cannot come to different answers. `held` holds
// the state lock shared on entry and on return; a read or write lets it go while it waits for a
// mutex held elsewhere (data_access.cpp says how).
int32_t readExchangeData(const core::LibraryState& state, core::SharedStateLock& held, ExchangeAccess& access,
                         void* destination);
int32_t writeExchangeData(const core::LibraryState& state, core::SharedStateLock& held, const ExchangeAccess& access,
                          const void* source);
void* exchangePageAddress(const core::LibraryState& state, const ExchangeAccess& access);

} // namespace zyn::exchange
