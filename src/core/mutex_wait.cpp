// mutex_wait.cpp - the mutex wait rule.
#include "core/mutex_wait.h"

namespace zyn::core {

uint32_t waitForMutex(platform::Handle mutex) {
    for (;;) {
        uint32_t result = platform::waitForObject(mutex, platform::kInfinite);
        if (mutexAcquired(result) || result == platform::kWaitFailed || result == platform::kWaitTimeout) return result;
    }
}

} // namespace zyn::core
