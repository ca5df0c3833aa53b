// admission.h - the first half of every data call: the status tests, and the attach on demand
// when the service runs but this process has no view of its section.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"
#include "core/state_lock.h"

namespace zyn::exchange {

// ZYN_OK with `held` holding the state lock shared, or -19 or -21 with it not held. `held` must
// not hold the lock when called. Attached or not, an admitted call goes on: without a view its
// checks answer -18.
int32_t admitDataCall(core::LibraryState& state, core::SharedStateLock& held);

} // namespace zyn::exchange
