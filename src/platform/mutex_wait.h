// mutex_wait.h - the one rule for waiting on a named mutex, used by the zyn.ini lock and by
// the exchange data path alike.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace zyn::platform {

// Waits without time limit until the mutex is acquired, found abandoned (which counts as
// acquired) or the wait fails. Returns the wait's last result.
uint32_t waitForMutex(Handle mutex);

inline bool mutexAcquired(uint32_t waitResult) { return waitResult == kWaitObject0 || waitResult == kWaitAbandoned; }

} // namespace zyn::platform
